#include "TaskSwitchLock.h"

namespace {

bool Held(int virtualKey) noexcept { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

HMODULE ThisLibrary() noexcept
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisLibrary), &module);
    return module;
}

struct HookStart {
    HANDLE ready;
    bool hooked = false;
};

} // namespace

bool TaskSwitchLock::Swallows(DWORD virtualKey, bool alt, bool ctrl) noexcept
{
    switch (virtualKey) {
    case VK_LWIN:
    case VK_RWIN: return true;
    case VK_TAB:
    case VK_F4:
    case VK_SPACE: return alt;
    case VK_ESCAPE: return alt || ctrl; // Ctrl+Shift+Esc, Task Manager, included
    default: return false;
    }
}

LRESULT CALLBACK TaskSwitchLock::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        // Wine never sets LLKHF_ALTDOWN; the key state tells on both.
        const bool alt = (key->flags & LLKHF_ALTDOWN) != 0 || Held(VK_MENU);
        if (Swallows(key->vkCode, alt, Held(VK_CONTROL))) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI TaskSwitchLock::HookThread(void* parameter) noexcept
{
    auto* start = static_cast<HookStart*>(parameter);
    MSG message{};
    // The thread's queue exists before anyone posts the quit to it.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardProc, ThisLibrary(), 0);
    start->hooked = hook != nullptr;
    SetEvent(start->ready);
    if (hook == nullptr) {
        return 1;
    }
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    UnhookWindowsHookEx(hook);
    return 0;
}

TaskSwitchLock::AccessibilityKeys TaskSwitchLock::SwitchOffHotKeys() noexcept
{
    AccessibilityKeys keys;
    keys.saved = SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(keys.sticky), &keys.sticky, 0) &&
                 SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof(keys.filter), &keys.filter, 0) &&
                 SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof(keys.toggle), &keys.toggle, 0) &&
                 SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(keys.contrast), &keys.contrast, 0);
    if (!keys.saved) {
        return keys;
    }
    AccessibilityKeys off = keys;
    off.sticky.dwFlags &= ~static_cast<DWORD>(SKF_HOTKEYACTIVE);
    off.filter.dwFlags &= ~static_cast<DWORD>(FKF_HOTKEYACTIVE);
    off.toggle.dwFlags &= ~static_cast<DWORD>(TKF_HOTKEYACTIVE);
    off.contrast.dwFlags &= ~static_cast<DWORD>(HCF_HOTKEYACTIVE);
    // For this session only: nothing is written to the user's profile.
    SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(off.sticky), &off.sticky, 0);
    SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof(off.filter), &off.filter, 0);
    SystemParametersInfoW(SPI_SETTOGGLEKEYS, sizeof(off.toggle), &off.toggle, 0);
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(off.contrast), &off.contrast, 0);
    return keys;
}

void TaskSwitchLock::PutBack(AccessibilityKeys& keys) noexcept
{
    if (!keys.saved) {
        return;
    }
    SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(keys.sticky), &keys.sticky, 0);
    SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof(keys.filter), &keys.filter, 0);
    SystemParametersInfoW(SPI_SETTOGGLEKEYS, sizeof(keys.toggle), &keys.toggle, 0);
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(keys.contrast), &keys.contrast, 0);
    keys.saved = false;
}

bool TaskSwitchLock::Lock()
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    if (m_locked) {
        return m_thread != nullptr;
    }
    m_locked = true;
    m_accessibility = SwitchOffHotKeys();
    HookStart start{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    if (start.ready == nullptr) {
        return false;
    }
    m_thread = CreateThread(nullptr, 0, &HookThread, &start, 0, &m_threadId);
    if (m_thread != nullptr) {
        WaitForSingleObject(start.ready, INFINITE);
        if (!start.hooked) {
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
            m_thread = nullptr;
        }
    }
    CloseHandle(start.ready);
    return m_thread != nullptr;
}

void TaskSwitchLock::Unlock()
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_locked) {
        return;
    }
    m_locked = false;
    if (m_thread != nullptr) {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    PutBack(m_accessibility);
}
