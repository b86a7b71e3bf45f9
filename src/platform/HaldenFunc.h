#pragma once
#include <string>

// Accessors of the process-wide flags that the windows share while the program runs.
// HaldenFunc holds no data of its own: every instance sees the same integers, so a
// caller makes one wherever it needs one. Main thread only.
class HaldenFunc {
public:
    void SetBeepNow(int value);
    int GetBeepNow() const;

    void SetShakingNow(int value);
    int GetShakingNow() const;

    void SaveHddProtectionStatus(int value);
    int GetHddProtectionStatus() const;

    // Stores only 0 and 1; any other argument leaves the flag as it is.
    void ModifyPassWord(int value);
    int GetModifyPassWord() const;

    void SetMsgIndex(int value);
    int GetMsgIndex() const;

    // The password's digest as stored in the settings: SHA-1 of the text in the ANSI code
    // page of this thread's locale, as 40 upper-case hexadecimal digits. Empty when the
    // digest cannot be made, which matches no stored password and is never stored.
    std::wstring GetHashCode(const std::wstring& password) const;

    // The input lock library, WinLock.dll, found by the system's library search and
    // bound for the whole process: each load binds its three operations afresh. A
    // library or an operation that is missing makes only that operation do nothing.
    void LoadLockKeyDll2();
    // Each passes its argument through: false takes the facility away, true gives it
    // back. Nothing is reported.
    void LockCtrlAltDelKey(bool enable);
    void LockSwitchingKey(bool enable);
    void LockTaskbar(bool enable);
};
