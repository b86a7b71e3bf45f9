#pragma once
// Takes task switching away from the person at the keyboard: a low-level keyboard hook
// swallows the keys that leave the foreground window (Alt+Tab, Alt+Esc, Ctrl+Esc,
// Ctrl+Shift+Esc, both Windows keys and with them every Windows-key shortcut, Alt+F4,
// Alt+Space), and the accessibility shortcuts that open windows of their own (five Shift
// presses, a held right Shift, a held Num Lock, Left Alt+Left Shift+Print Screen) lose
// their hot keys until the lock ends. Every other key, Enter among them, passes.
//
// The hook runs on a thread of its own that does nothing but pump messages: Windows
// removes, without a word, a low-level hook whose thread keeps it waiting (a busy thread,
// or one inside a modal loop). Lock and Unlock may be called from any thread, and twice
// in a row. The hot keys' flags are journaled before they change, so that an unlock in a
// later process puts them back after a killed one switched them off; the hook ends with
// the process that installed it.
#include <windows.h>

#include <mutex>

class TaskSwitchLock {
public:
    TaskSwitchLock() = default;
    TaskSwitchLock(const TaskSwitchLock&) = delete;
    TaskSwitchLock& operator=(const TaskSwitchLock&) = delete;

    // False when the hook could not be installed; the accessibility hot keys are off
    // either way until Unlock.
    bool Lock();
    void Unlock();

    // Whether a key, with Alt and Ctrl as they are held, is one that the lock swallows.
    static bool Swallows(DWORD virtualKey, bool alt, bool ctrl) noexcept;

private:
    static void SwitchOffHotKeys() noexcept;
    static void PutBackHotKeys() noexcept;
    static DWORD WINAPI HookThread(void* started) noexcept;
    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

    std::mutex m_mutex;
    bool m_locked = false;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
};
