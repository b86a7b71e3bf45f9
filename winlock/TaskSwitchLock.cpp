#include "TaskSwitchLock.h"

#include "Journal.h"

#include <cstring>

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

constexpr wchar_t JournalEntry[] = L"AccessibilityHotKeys";

// The four accessibility features whose hot keys open windows of their own. Changed for
// this session only: nothing is written to the user's profile.
struct AccessibilityKeys {
    STICKYKEYS sticky{sizeof(STICKYKEYS), 0};
    FILTERKEYS filter{sizeof(FILTERKEYS), 0, 0, 0, 0, 0};
    TOGGLEKEYS toggle{sizeof(TOGGLEKEYS), 0};
    HIGHCONTRASTW contrast{sizeof(HIGHCONTRASTW), 0, nullptr};

    bool Read() noexcept
    {
        return SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(sticky), &sticky, 0) &&
               SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof(filter), &filter, 0) &&
               SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof(toggle), &toggle, 0) &&
               SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
    }
    bool Write() noexcept
    {
        return SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(sticky), &sticky, 0) &&
               SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof(filter), &filter, 0) &&
               SystemParametersInfoW(SPI_SETTOGGLEKEYS, sizeof(toggle), &toggle, 0) &&
               SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
    }
    // The four flags, as the journal keeps them.
    SavedValue Flags() const
    {
        const DWORD flags[] = {sticky.dwFlags, filter.dwFlags, toggle.dwFlags, contrast.dwFlags};
        const auto* bytes = reinterpret_cast<const BYTE*>(flags);
        return {true, REG_BINARY, {bytes, bytes + sizeof(flags)}};
    }
    bool SetFlags(const SavedValue& value) noexcept
    {
        DWORD flags[4] = {};
        if (value.data.size() != sizeof(flags)) {
            return false;
        }
        std::memcpy(flags, value.data.data(), sizeof(flags));
        SetFlags(flags);
        return true;
    }
    void SetFlags(const DWORD (&flags)[4]) noexcept
    {
        sticky.dwFlags = flags[0];
        filter.dwFlags = flags[1];
        toggle.dwFlags = flags[2];
        contrast.dwFlags = flags[3];
    }
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

void TaskSwitchLock::SwitchOffHotKeys() noexcept
{
    AccessibilityKeys keys;
    if (!keys.Read()) {
        return;
    }
    // A second lock, or one after a process that was killed while locked, keeps the flags
    // that were there before the first.
    if (!Journal::Find(JournalEntry) && !Journal::Record(JournalEntry, keys.Flags())) {
        return; // what could not be put back is not changed
    }
    keys.SetFlags({keys.sticky.dwFlags & ~static_cast<DWORD>(SKF_HOTKEYACTIVE),
                   keys.filter.dwFlags & ~static_cast<DWORD>(FKF_HOTKEYACTIVE),
                   keys.toggle.dwFlags & ~static_cast<DWORD>(TKF_HOTKEYACTIVE),
                   keys.contrast.dwFlags & ~static_cast<DWORD>(HCF_HOTKEYACTIVE)});
    keys.Write();
}

void TaskSwitchLock::PutBackHotKeys() noexcept
{
    const std::optional<SavedValue> before = Journal::Find(JournalEntry);
    if (!before) {
        return;
    }
    // Put back as well as the system lets us; an entry that cannot be applied now never
    // could, and would only stand in the next lock's way.
    AccessibilityKeys keys;
    if (keys.Read() && keys.SetFlags(*before)) {
        keys.Write();
    }
    Journal::Forget(JournalEntry);
}

bool TaskSwitchLock::Lock()
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    if (m_locked) {
        return m_thread != nullptr;
    }
    m_locked = true;
    SwitchOffHotKeys();
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
    m_locked = false;
    if (m_thread != nullptr) {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    PutBackHotKeys();
}
