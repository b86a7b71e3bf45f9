#pragma once
// The tests' own windows, and the top-level windows and controls of the code under test
// found as a person, or another program, would find them.
#include "MessagePump.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// A window of the test; one that cannot be made fails the test.
inline tl::unique_hwnd TestWindow(const WindowSpec& wanted)
{
    tl::unique_hwnd window = MakeWindow(wanted);
    if (!window) {
        ADD_FAILURE() << "no window of the test's class could be made: error " << GetLastError();
    }
    return window;
}

// The window of another program that the user went on to, on top of the others.
inline tl::unique_hwnd AnotherProgram(SIZE size)
{
    tl::unique_hwnd window = TestWindow({.className = L"TremorlinkTestOtherProgram",
                                         .title = L"Another program",
                                         .style = WS_POPUP | WS_VISIBLE,
                                         .size = size});
    SetWindowPos(window.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return window;
}

// Whether upper lies above lower among the top-level windows.
inline bool Above(HWND upper, HWND lower)
{
    for (HWND window = GetWindow(lower, GW_HWNDPREV); window != nullptr; window = GetWindow(window, GW_HWNDPREV)) {
        if (window == upper) {
            return true;
        }
    }
    return false;
}

// The top-level window of that title (and class) if it is shown, else null. The narrow
// form finds the names that the program and the system give in the ANSI calls.
template <typename Char> HWND ShownWindow(const Char* title, const std::type_identity_t<Char>* className = nullptr)
{
    HWND window = nullptr;
    if constexpr (sizeof(Char) == 1) {
        window = FindWindowA(className, title);
    } else {
        window = FindWindowW(className, title);
    }
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// Serves this thread's messages until such a window is shown; null when none is in time.
template <typename Char>
HWND WaitForShownWindow(const Char* title, const std::type_identity_t<Char>* className = nullptr,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    PumpUntil([&] { return ShownWindow(title, className) != nullptr; }, timeout);
    return ShownWindow(title, className);
}

inline std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

inline bool OfClass(HWND window, const wchar_t* className)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return _wcsicmp(name, className) == 0;
}

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) noexcept
{
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The top-level windows from the top of the z-order down.
inline std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The top-level windows of this title, whatever its case, as FindWindow compares it.
inline int WindowsTitled(const std::wstring& title)
{
    const std::vector<HWND> windows = TopLevelWindows();
    return static_cast<int>(std::ranges::count_if(
        windows, [&](HWND window) { return lstrcmpiW(TextOf(window).c_str(), title.c_str()) == 0; }));
}

// Every child, at any depth.
inline std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

inline std::vector<HWND> EditsOf(HWND window)
{
    std::vector<HWND> edits = ChildrenOf(window);
    std::erase_if(edits, [](HWND child) { return !OfClass(child, L"Edit"); });
    return edits;
}

} // namespace testsupport
