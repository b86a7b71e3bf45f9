#pragma once
// What an installer of this build leaves in the test prefix, shared by the tests of the
// setup program and of the MSI package: the files, the settings key and its access list,
// the logon task, and an armed end for the uninstall to put right.
#include "PowerReport.h"
#include "PowerStore.h"
#include "TestSupport.h"
#include "platform/Handles.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

inline const std::wstring InstallFolder = L"C:\\Quen\\Tremorlink";
inline constexpr wchar_t SettingsKey[] = L"Software\\Quen\\Tremorlink";
// Where Wine keeps a registered task.
inline constexpr wchar_t TaskFile[] = L"C:\\windows\\system32\\tasks\\Quen Tremorlink";
// The program and its help, in the install folder.
inline constexpr const wchar_t* ProgramFiles[] = {
    L"Tremorlink.exe", L"WinLock.dll",    L"Help\\1033.chm", L"Help\\1028.chm", L"Help\\2052.chm",
    L"Help\\1036.chm", L"Help\\1031.chm", L"Help\\1040.chm", L"Help\\1046.chm", L"Help\\1034.chm"};

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool KeyExists(const std::wstring& subKey)
{
    tl::unique_hkey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS;
}

inline std::wstring StringValue(const std::wstring& subKey, const wchar_t* name)
{
    wchar_t text[512]{};
    DWORD size = sizeof(text);
    tl::unique_hkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS) {
        RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size);
    }
    return text;
}

// The programs that earlier tests ran in this prefix leave their settings key behind; an
// installer's test starts without it, as on a machine that never had the program.
inline void ForgetEarlierSettings() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, SettingsKey); }

// Every setting at the value a first start expects, the password empty.
inline void ExpectFirstStartSettings(const SettingsStore& settings)
{
    EXPECT_TRUE(KeyExists(SettingsKey));
    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        const auto setting = static_cast<Setting>(index);
        EXPECT_EQ(SettingsStore::FirstStartValue(setting), settings.Read(setting)) << SettingsStore::ValueName(setting);
    }
    EXPECT_EQ(L"", settings.ReadUserPassword());
}

// The SIDs of the key's allowing entries: the installers give administrators and the
// system alone, protected from what Software would pass on.
inline std::vector<std::wstring> GrantedTo(const wchar_t* subKey)
{
    tl::unique_hkey key;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, READ_CONTROL | KEY_WOW64_64KEY, key.put()));
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::vector<std::wstring> granted;
    if (GetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                        &descriptor) != ERROR_SUCCESS ||
        dacl == nullptr) {
        granted.push_back(L"no access list");
        return granted;
    }
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        ACE_HEADER* ace = nullptr;
        if (GetAce(dacl, index, reinterpret_cast<void**>(&ace)) && ace->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            wchar_t* sid = nullptr;
            ConvertSidToStringSidW(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, &sid);
            granted.push_back(sid != nullptr ? sid : L"?");
            LocalFree(sid);
        }
    }
    LocalFree(descriptor);
    return granted;
}

// The program killed while armed: what arming saved in the settings, and the power
// settings it overrode (the lid and the buttons doing nothing, no password on resume).
// (The screen saver's switch is the armed-restart test's: a value this process set is
// not what it reads after another process's change under Wine.)
inline void LeaveAnArmedEnd(const SettingsStore& settings)
{
    sim::PowerState armed = sim::NotebookPowerState();
    for (POWER_ACTION_POLICY* action :
         {&armed.global.user.LidCloseAc, &armed.global.user.LidCloseDc, &armed.global.user.PowerButtonAc,
          &armed.global.user.PowerButtonDc, &armed.global.user.SleepButtonAc, &armed.global.user.SleepButtonDc}) {
        *action = {PowerActionNone, 0, 0};
    }
    armed.global.user.GlobalFlags &= ~static_cast<ULONG>(EnablePasswordLogon);
    ASSERT_TRUE(sim::StorePowerState(armed));
    const std::pair<Setting, int> saved[] = {{Setting::CloseLid, 1},
                                             {Setting::PowerButton, 4},
                                             {Setting::SleepButton, 2},
                                             {Setting::EnablePassword, 1},
                                             {Setting::HibernationTimer, 80},
                                             {Setting::StandbyTimerDc, 5},
                                             {Setting::HibernationTimerDc, 35},
                                             {Setting::NotebookProtectionEnabled, 1}};
    for (const auto& [setting, value] : saved) {
        ASSERT_TRUE(settings.Write(setting, value));
    }
}

// The power settings as they were before the armed period, and the program that was
// started to put them back ended again.
inline void ExpectPowerSettingsPutBack()
{
    const std::optional<sim::PowerState> now = sim::ReadStoredPowerState();
    ASSERT_TRUE(now.has_value());
    EXPECT_EQ(sim::PowerReport(sim::NotebookPowerState(), true), sim::PowerReport(*now, true));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink")) << "the program started for it was ended again";
}

} // namespace testsupport
