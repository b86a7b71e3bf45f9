#pragma once
// Takes task switching away from the person at the keyboard: a low-level keyboard hook
// swallows the keys that leave the foreground window (Alt+Tab, Alt+Esc, Ctrl+Esc,
// Ctrl+Shift+Esc, both Windows keys and with them every Windows-key shortcut, Alt+F4,
// Alt+Space), the keys that open windows of the system's or of other programs (the
// browser, mail, media and application keys, Print Screen), and every key while the
// foreground window is another process's: the lock runs in the process whose windows are
// the blocking windows and the password prompt, and a window that came up over them must
// not get what is typed. The accessibility shortcuts that open windows of their own (five
// Shift presses, a held right Shift, a held Num Lock, Left Alt+Left Shift+Print Screen,
// Left Alt+Left Shift+Num Lock) lose their hot keys until the lock ends. Every other key,
// Enter among them, passes to our own windows.
//
// The hook runs on a thread of its own, at time-critical priority, that does nothing but
// pump messages: Windows removes, without a word, a low-level hook whose thread keeps it
// waiting longer than LowLevelHooksTimeout (a busy thread, one inside a modal loop, the
// first key after a resume, a loaded machine). Since nothing tells us, the thread installs
// the hook again every 2 s and on every resume from sleep, the new one before the old one
// goes, so that no key finds the desktop without a hook. A hidden top-level window of that
// thread receives the resume and the display changes (a message-only window would get no
// broadcast). Lock and Unlock may be called from any thread, and twice in a row. The hot
// keys' flags are journaled before they change, so that an unlock in a later process puts
// them back after a killed one switched them off; the hook ends with the process that
// installed it.
#include "Handles.h"
#include "Journal.h"

#include <windows.h>

#include <array>
#include <optional>

class TaskSwitchLock {
public:
    // Called on the lock's thread after every display change and every 2 s while locked: for
    // a lock that must catch up with what the system shows anew (a monitor's taskbar).
    using Watch = void (*)() noexcept;

    explicit TaskSwitchLock(Watch watch = nullptr) : m_watch(watch) {}
    TaskSwitchLock(const TaskSwitchLock&) = delete;
    TaskSwitchLock& operator=(const TaskSwitchLock&) = delete;

    // False when the hook could not be installed; the accessibility hot keys are off
    // either way until Unlock.
    bool Lock();
    void Unlock();

    // Whether a key, with Alt and Ctrl as they are held, is one that the lock swallows, while
    // the foreground window is one of this process's or another's.
    static bool Swallows(DWORD virtualKey, bool alt, bool ctrl, bool foreignForeground) noexcept;

    // The class of the lock thread's hidden window.
    static constexpr wchar_t WindowClass[] = L"QuenWinLockWatch";

    // The flags of Sticky Keys, Filter Keys, Toggle Keys, High Contrast and Mouse Keys.
    using HotKeyFlags = std::array<DWORD, 5>;
    // The flags as the journal keeps them; null when there is no room for them.
    static std::optional<SavedValue> Journaled(const HotKeyFlags& flags) noexcept;
    // The flags a journal puts back over the current ones: all five, or the first four from a
    // journal of the version before, which left Mouse Keys alone. Null for what neither wrote.
    static std::optional<HotKeyFlags> FromJournal(const SavedValue& journal, const HotKeyFlags& current) noexcept;

private:
    static void SwitchOffHotKeys() noexcept;
    static void PutBackHotKeys() noexcept;

    Watch m_watch;
    SRWLOCK m_lock = SRWLOCK_INIT;
    bool m_locked = false;
    tl::unique_handle m_thread;
    DWORD m_threadId = 0;
};
