#pragma once
// The program's settings: one registry key with nine DWORD values and the string value
// UserPassword. The key is opened for every access and nothing is cached, so a value
// written by one window is what the next reader sees.
//
// A missing key or value, or a value of another type, reads as its first-start value
// (HddProtectionEnabled 1, the battery side's timers -1 for "not saved", every other
// number 0, UserPassword empty); a write creates what is missing.
#include "Handles.h"

#include <windows.h>

#include <string>

enum class Setting {
    HddProtectionEnabled,
    NotebookProtectionEnabled,
    CloseLid,
    PowerButton,
    SleepButton,
    EnablePassword,
    HibernationTimer,
    // The battery side's stand-by and hibernation minutes before arming, which the timers
    // above, read from the mains side, do not tell.
    StandbyTimerDc,
    HibernationTimerDc,
};

class SettingsStore {
public:
    // HKEY_LOCAL_MACHINE\Software\Quen\Tremorlink.
    SettingsStore();
    // Another location, so that tests never touch the real key.
    SettingsStore(HKEY root, std::wstring subKey);

    int Read(Setting setting) const;
    [[nodiscard]] bool Write(Setting setting, int value) const;

    std::wstring ReadUserPassword() const;
    [[nodiscard]] bool WriteUserPassword(const std::wstring& digest) const;

    static const wchar_t* ValueName(Setting setting) noexcept;
    static int FirstStartValue(Setting setting) noexcept;

private:
    [[nodiscard]] tl::unique_hkey Open() const;
    [[nodiscard]] tl::unique_hkey Create() const;

    HKEY m_root;
    std::wstring m_subKey;
};
