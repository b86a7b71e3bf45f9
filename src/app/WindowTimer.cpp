#include "app/WindowTimer.h"

WindowTimer::WindowTimer(HWND window, UINT_PTR id, UINT intervalMs) noexcept
    : m_window(window), m_id(id), m_intervalMs(intervalMs)
{
}

WindowTimer::~WindowTimer() { Stop(); }

void WindowTimer::Start()
{
    if (!m_enabled) {
        m_enabled = SetTimer(m_window, m_id, m_intervalMs, nullptr) != 0;
    }
}

void WindowTimer::Stop()
{
    if (m_enabled) {
        KillTimer(m_window, m_id);
        m_enabled = false;
    }
}
