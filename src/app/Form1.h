#pragma once
// The main window: a normal top-level window that is never shown and has no taskbar
// button. It exists to be found by its title, to receive the sensor messages and to own
// the tray icon, the timers and the way into the protections; closing it ends the program.
#include "platform/Handles.h"

#include <windows.h>

class WMI;

class Form1 {
public:
    explicit Form1(WMI& wmi);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    ~Form1();

    HWND Handle() const noexcept { return m_window.get(); }

    // The window's class and properties, so that tests can check what the user never sees.
    static constexpr wchar_t ClassName[] = L"Form1";
    static constexpr POINT StartPosition{-140, -40};
    static constexpr SIZE ClientSize{131, 0};
    static constexpr SIZE MaximumSize{646, 510};

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateMainWindow();

    WMI& m_wmi;
    tl::unique_hwnd m_window;
};
