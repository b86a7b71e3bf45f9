#pragma once
// A Win32 window timer that ticks as WM_TIMER with its id to its window. SetTimer on a
// running timer would restart its interval, so a start while running is skipped.
#include "protection/Timer.h"

#include <windows.h>

class WindowTimer final : public protection::Timer {
public:
    WindowTimer(HWND window, UINT_PTR id, UINT intervalMs) noexcept;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    ~WindowTimer() override;

    void Start() override;
    void Stop() override;

    bool Enabled() const noexcept { return m_enabled; }
    UINT_PTR Id() const noexcept { return m_id; }

private:
    HWND m_window;
    UINT_PTR m_id;
    UINT m_intervalMs;
    bool m_enabled = false;
};
