#pragma once
// Windows of the taskbar's classes, made by the test: Wine shows its own taskbar only in a
// desktop that has one, and a test must not hide a real one.
#include <windows.h>

#include <initializer_list>

namespace testsupport {

class FakeTaskbar {
public:
    FakeTaskbar()
        : taskbar(Make(L"Shell_TrayWnd", true)), secondary(Make(L"Shell_SecondaryTrayWnd", true)),
          hiddenSecondary(Make(L"Shell_SecondaryTrayWnd", false)), startButton(Make(L"Button", true))
    {
    }
    FakeTaskbar(const FakeTaskbar&) = delete;
    FakeTaskbar& operator=(const FakeTaskbar&) = delete;
    ~FakeTaskbar()
    {
        for (const HWND window : {taskbar, secondary, hiddenSecondary, startButton, plugged}) {
            DestroyWindow(window);
        }
    }

    // Shown as they were made: the hidden one stays hidden.
    bool AsMade() const
    {
        return IsWindowVisible(taskbar) && IsWindowVisible(secondary) && !IsWindowVisible(hiddenSecondary) &&
               IsWindowVisible(startButton);
    }
    bool AllHidden() const
    {
        return !IsWindowVisible(taskbar) && !IsWindowVisible(secondary) && !IsWindowVisible(hiddenSecondary) &&
               !IsWindowVisible(startButton);
    }

    // The taskbar of a monitor plugged in later.
    HWND Plug() { return plugged = Make(L"Shell_SecondaryTrayWnd", true); }

    HWND taskbar;
    HWND secondary;
    HWND hiddenSecondary;
    HWND startButton;
    HWND plugged = nullptr;

private:
    static HWND Make(const wchar_t* className, bool visible)
    {
        WNDCLASSEXW windowClass{};
        if (!GetClassInfoExW(GetModuleHandleW(nullptr), className, &windowClass)) {
            windowClass.cbSize = sizeof(windowClass);
            windowClass.lpfnWndProc = &DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = className;
            RegisterClassExW(&windowClass);
        }
        return CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 50, 20,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
};

} // namespace testsupport
