#pragma once
// Windows of this thread and message pumping for code that waits on them: the tests and
// the benchmarks that run the program's code in their own process.
#include "Handles.h"

#include <windows.h>

#include <chrono>
#include <functional>

namespace testsupport {

// Dispatches this thread's messages until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Dispatches every message already queued for this thread.
inline void PumpPending()
{
    PumpUntil([] { return true; }, std::chrono::milliseconds(0));
}

// Dispatches this thread's messages for this long.
inline void PumpFor(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

struct WindowSpec {
    const wchar_t* className;
    WNDPROC procedure = &DefWindowProcW;
    const wchar_t* title = L"";
    DWORD style = WS_OVERLAPPED;
    DWORD exStyle = 0;
    SIZE size{10, 10};
    HWND parent = nullptr;
};

// A window at the screen's origin. Its class is registered by the first window of that
// name in the process, and later ones, as those of a class the system has, find it there.
// Empty, with the error of the call that failed, when the class or the window is refused.
inline tl::unique_hwnd MakeWindow(const WindowSpec& wanted)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(instance, wanted.className, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = wanted.procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = wanted.className;
        if (RegisterClassExW(&windowClass) == 0) {
            return {};
        }
    }
    return tl::unique_hwnd(CreateWindowExW(wanted.exStyle, wanted.className, wanted.title, wanted.style, 0, 0,
                                           wanted.size.cx, wanted.size.cy, wanted.parent, nullptr, instance, nullptr));
}

} // namespace testsupport
