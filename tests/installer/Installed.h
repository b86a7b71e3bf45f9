#pragma once
// What an installer of this build leaves in the test prefix, shared by the tests of the
// setup program and of the MSI package: the files, the settings key and its access list,
// the logon task, and an armed end for the uninstall to put right.
#include "MessagePump.h"
#include "PowerReport.h"
#include "PowerStore.h"
#include "ProtectedKey.h"
#include "TestSupport.h"
#include "Handles.h"
#include "RegistryText.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

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
    return static_cast<bool>(tl::OpenKey(HKEY_LOCAL_MACHINE, subKey.c_str(), KEY_READ | KEY_WOW64_64KEY));
}

inline std::wstring StringValue(const std::wstring& subKey, const wchar_t* name)
{
    const tl::unique_hkey key = tl::OpenKey(HKEY_LOCAL_MACHINE, subKey.c_str(), KEY_READ | KEY_WOW64_64KEY);
    return key ? tl::ReadText(key.get(), name).value_or(std::wstring()) : std::wstring();
}

// C:\Quen made before an install as a link to C:\Elsewhere, as any user could make it on
// Windows. Wine shows a Linux link as a folder that is a reparse point and its
// CreateSymbolicLinkW makes nothing, so Linux's ln makes it; Wine starts a Linux program
// without a handle to wait on, so what it makes is waited for instead.
class QuenLeadsElsewhere {
public:
    QuenLeadsElsewhere()
    {
        CreateDirectoryW(L"C:\\Elsewhere", nullptr);
        m_inPlace = Linux(L"ln", L"-s Elsewhere Quen") && PumpUntil([] {
                        const DWORD attributes = GetFileAttributesW(L"C:\\Quen");
                        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
                    });
    }
    QuenLeadsElsewhere(const QuenLeadsElsewhere&) = delete;
    QuenLeadsElsewhere& operator=(const QuenLeadsElsewhere&) = delete;
    ~QuenLeadsElsewhere()
    {
        EXPECT_TRUE(Linux(L"rm", L"Quen") && PumpUntil([] { return !Exists(L"C:\\Quen"); }));
        RemoveDirectoryW(L"C:\\Elsewhere");
    }

    bool InPlace() const { return m_inPlace; }
    // What an installer would have written through the link.
    static bool WrittenThrough() { return Exists(L"C:\\Elsewhere\\Tremorlink"); }

private:
    // A program of /bin run in C:\.
    static bool Linux(const std::wstring& program, const std::wstring& arguments)
    {
        const std::wstring path = L"Z:\\bin\\" + program;
        std::wstring commandLine = program + L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\", &startup,
                            &started)) {
            return false;
        }
        tl::unique_handle process(started.hProcess);
        tl::unique_handle thread(started.hThread);
        return true;
    }

    bool m_inPlace = false;
};

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
