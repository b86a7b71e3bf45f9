#pragma once
// The installers of this build, the setup program made by NSIS and the MSI package made by
// wixl, run silently in the test prefix as an administrator's deployment would, and what
// they leave there: the files, the settings key and its access list, the logon task, and
// an armed end for the uninstall to put right. One fixture serves both; a test of what
// only one of them does takes it with that one alone.
#include "MessagePump.h"
#include "PowerReport.h"
#include "PowerStore.h"
#include "ProtectedKey.h"
#include "TestSupport.h"
#include "app/SimulatedPower.h"
#include "app/SimulatedProvider.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"
#include "RegistryText.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <optional>
#include <ostream>
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

inline const std::wstring UninstallKeys = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline const std::wstring SetupUninstallKey = UninstallKeys + L"QuenTremorlink";
inline const std::wstring MsiUninstallKey = UninstallKeys + L"" TREMORLINK_TEST_MSI_PRODUCT_CODE;
// The same package as the next version, which upgrades this one.
inline const std::wstring NextMsiUninstallKey = UninstallKeys + L"" TREMORLINK_TEST_NEXT_MSI_PRODUCT_CODE;
// A password as the program keeps it, for the settings an install must keep.
inline constexpr wchar_t PasswordDigest[] = L"5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8";

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

// Runs an installer and waits until it and every program it started have ended: its exit
// code, or STILL_ACTIVE after ending them all when that takes too long. Its own end is not
// the end of its work: the setup's uninstaller hands over to a copy of itself and ends at
// once, and the program an uninstall starts to put back an armed period's power settings
// may outlive it; the next install, or the power library put back after the test, would
// meet what is still running. The time allowed holds the half minute an uninstall gives
// that restore and the program's own time to end.
inline DWORD RunToTheEnd(std::wstring commandLine)
{
    const tl::unique_handle job(CreateJobObjectW(nullptr, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!job || !CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                nullptr, &startup, &started)) {
        ADD_FAILURE() << "could not start an installer: " << GetLastError();
        return STILL_ACTIVE;
    }
    const tl::unique_handle process(started.hProcess);
    const tl::unique_handle thread(started.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get())) {
        ADD_FAILURE() << "AssignProcessToJobObject failed: " << GetLastError();
        TerminateProcess(process.get(), 1);
        return STILL_ACTIVE;
    }
    ResumeThread(thread.get());
    const bool ended = PumpUntil(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
            return QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &accounting,
                                             sizeof(accounting), nullptr) &&
                   accounting.ActiveProcesses == 0;
        },
        std::chrono::seconds(90));
    if (!ended) {
        TerminateJobObject(job.get(), 1);
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

// The setup program or its uninstaller, silently.
inline DWORD RunSilently(const std::wstring& program, const std::wstring& lastArguments = L"")
{
    return RunToTheEnd(L"\"" + program + L"\" /S" + lastArguments);
}

// msiexec /i or /x with a package, silently.
inline DWORD Msiexec(const std::wstring& option, const std::wstring& properties = L"",
                     const char* package = TREMORLINK_TEST_MSI)
{
    return RunToTheEnd(L"msiexec.exe " + option + L" \"" + WindowsPath(package) + L"\" " + properties + L" /qn");
}

// Nothing of either installer is left.
inline bool Uninstalled()
{
    return !Exists(InstallFolder) && !KeyExists(SettingsKey) && !KeyExists(SetupUninstallKey) &&
           !KeyExists(MsiUninstallKey) && !KeyExists(NextMsiUninstallKey) && !Exists(TaskFile);
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
        // A refused install may have removed the folder the link leads to (Wine's msiexec
        // does), and a link that leads nowhere is gone for Windows before rm has run.
        CreateDirectoryW(L"C:\\Elsewhere", nullptr);
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

enum class Package { Setup, Msi };

// For the names ctest shows (::testing::PrintToStringParamName).
inline std::ostream& operator<<(std::ostream& out, Package package)
{
    return out << (package == Package::Setup ? "Setup" : "Msi");
}

// A test starts where neither installer left anything, with the simulated power library
// and G-sensor in place for the program it installs.
class Installer : public ::testing::TestWithParam<Package> {
protected:
    void SetUp() override
    {
        if (!UnderWine() || std::string(TREMORLINK_TEST_SETUP).empty() || std::string(TREMORLINK_TEST_MSI).empty()) {
            GTEST_SKIP() << "installs into C:\\Quen and HKEY_LOCAL_MACHINE, which only a Wine prefix of ours may get";
        }
        GetDesktopWindow();
        ASSERT_TRUE(power.InPlace());
        ASSERT_TRUE(provider.InPlace());
        ASSERT_TRUE(RemoveEveryInstall()) << "an earlier test's install";
        ForgetEarlierSettings();
        ASSERT_TRUE(Uninstalled());
    }
    void TearDown() override
    {
        if (IsSkipped()) {
            return;
        }
        EndIfRunning(program.get());
        EXPECT_TRUE(RemoveEveryInstall());
    }

    DWORD Install() const
    {
        return GetParam() == Package::Setup ? RunSilently(WindowsPath(TREMORLINK_TEST_SETUP)) : Msiexec(L"/i");
    }
    // An install over the same version. msiexec would find the package installed and do
    // nothing, so it reinstalls all of it: REINSTALLMODE a and m, every file and every
    // machine setting.
    DWORD Reinstall() const
    {
        return GetParam() == Package::Setup ? Install() : Msiexec(L"/i", L"REINSTALL=ALL REINSTALLMODE=vamus");
    }
    DWORD Uninstall() const
    {
        return GetParam() == Package::Setup ? RunSilently(InstallFolder + L"\\Uninstall.exe") : Msiexec(L"/x");
    }
    const std::wstring& UninstallKey() const
    {
        return GetParam() == Package::Setup ? SetupUninstallKey : MsiUninstallKey;
    }

    SimulatedPowerInPlace power;
    SimulatedProviderInPlace provider;
    SettingsStore settings;
    tl::unique_handle program;

private:
    // Whatever an earlier test left installed, removed by its own uninstaller.
    static bool RemoveEveryInstall()
    {
        return (!Exists(InstallFolder + L"\\Uninstall.exe") || RunSilently(InstallFolder + L"\\Uninstall.exe") == 0) &&
               (!KeyExists(MsiUninstallKey) || Msiexec(L"/x") == 0) &&
               (!KeyExists(NextMsiUninstallKey) || Msiexec(L"/x", L"", TREMORLINK_TEST_NEXT_MSI) == 0);
    }
};

} // namespace testsupport
