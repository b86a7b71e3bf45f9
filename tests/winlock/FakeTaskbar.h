#pragma once
// Windows of the taskbar's classes, made by the test: Wine shows its own taskbar only in a
// desktop that has one, and a test must not hide a real one.
#include "TestWindow.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace testsupport {

class FakeTaskbar {
public:
    FakeTaskbar()
    {
        Make(L"Shell_TrayWnd", true);
        Make(L"Shell_SecondaryTrayWnd", true);
        Make(L"Shell_SecondaryTrayWnd", false);
        Make(L"Button", true); // the Start button
    }

    // Shown as they were made: the hidden one stays hidden.
    bool AsMade() const
    {
        return std::ranges::all_of(m_bars, [](const Bar& bar) { return Shown(bar) == bar.visible; });
    }
    bool AllHidden() const { return std::ranges::none_of(m_bars, &Shown); }

    // The taskbar of a monitor plugged in later.
    HWND Plug() { return Make(L"Shell_SecondaryTrayWnd", true); }

private:
    struct Bar {
        tl::unique_hwnd window;
        bool visible;
    };

    static bool Shown(const Bar& bar) { return IsWindowVisible(bar.window.get()) != FALSE; }

    HWND Make(const wchar_t* className, bool visible)
    {
        m_bars.push_back({TestWindow({.className = className,
                                      .style = WS_POPUP | (visible ? WS_VISIBLE : 0u),
                                      .exStyle = WS_EX_TOOLWINDOW,
                                      .size = {50, 20}}),
                          visible});
        return m_bars.back().window.get();
    }

    std::vector<Bar> m_bars;
};

} // namespace testsupport
