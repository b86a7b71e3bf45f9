// The installer of this build, run silently in the test prefix as an administrator's
// deployment would: what it puts where, what an install over an earlier one keeps, and
// that the uninstaller ends the program, puts back an armed period's power settings and
// leaves nothing of ours behind.
#include "PowerReport.h"
#include "PowerStore.h"
#include "TestSupport.h"
#include "app/SimulatedPower.h"
#include "app/SimulatedProvider.h"
#include "app/TremorlinkProcess.h"
#include "platform/Handles.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

const std::wstring InstallFolder = L"C:\\Quen\\Tremorlink";
constexpr wchar_t SettingsKey[] = L"Software\\Quen\\Tremorlink";
constexpr wchar_t UninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuenTremorlink";
// Where Wine keeps a registered task.
constexpr wchar_t TaskFile[] = L"C:\\windows\\system32\\tasks\\Quen Tremorlink";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(const wchar_t* subKey)
{
    tl::unique_hkey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS;
}

std::wstring StringValue(const wchar_t* subKey, const wchar_t* name)
{
    wchar_t text[512]{};
    DWORD size = sizeof(text);
    tl::unique_hkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS) {
        RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size);
    }
    return text;
}

// Runs the setup or the uninstaller silently and waits until its work is done: the
// uninstaller hands over to a copy of itself and ends at once, so its end is the state it
// leaves.
DWORD RunSilently(const std::wstring& program)
{
    tl::unique_handle process = StartProgram(L"\"" + program + L"\" /S");
    return process ? WaitForExit(process.get()) : STILL_ACTIVE;
}

bool Uninstalled()
{
    return !Exists(InstallFolder) && !KeyExists(SettingsKey) && !KeyExists(UninstallKey) && !Exists(TaskFile);
}

bool Uninstall()
{
    RunSilently(InstallFolder + L"\\Uninstall.exe");
    return PumpUntil(Uninstalled, std::chrono::seconds(60));
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!UnderWine() || std::string(TREMORLINK_TEST_SETUP).empty()) {
            GTEST_SKIP() << "installs into C:\\Quen and HKEY_LOCAL_MACHINE, which only a Wine prefix of ours may get";
        }
        GetDesktopWindow();
        ASSERT_TRUE(power.InPlace());
        ASSERT_TRUE(provider.InPlace());
        if (Exists(InstallFolder + L"\\Uninstall.exe")) {
            ASSERT_TRUE(Uninstall()) << "an earlier test's install";
        }
        // The settings of the programs earlier tests ran in this prefix, not installed.
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SettingsKey);
        ASSERT_TRUE(Uninstalled());
    }
    void TearDown() override
    {
        if (IsSkipped()) {
            return;
        }
        EndIfRunning(program.get());
        if (Exists(InstallFolder + L"\\Uninstall.exe")) {
            EXPECT_TRUE(Uninstall());
        }
    }

    static void Install() { ASSERT_EQ(0u, RunSilently(WindowsPath(TREMORLINK_TEST_SETUP))); }

    SimulatedPowerInPlace power;
    SimulatedProviderInPlace provider;
    SettingsStore settings;
    tl::unique_handle program;
};

TEST_F(InstallerTest, InstallsTheProgramItsHelpSettingsTaskAndEntryAndUninstallsThemWhileItRuns)
{
    Install();

    for (const wchar_t* file :
         {L"Tremorlink.exe", L"WinLock.dll", L"Uninstall.exe", L"Help\\1033.chm", L"Help\\1028.chm", L"Help\\2052.chm",
          L"Help\\1036.chm", L"Help\\1031.chm", L"Help\\1040.chm", L"Help\\1046.chm", L"Help\\1034.chm"}) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        const auto setting = static_cast<Setting>(index);
        EXPECT_EQ(SettingsStore::FirstStartValue(setting), settings.Read(setting)) << SettingsStore::ValueName(setting);
    }
    EXPECT_TRUE(KeyExists(SettingsKey));
    EXPECT_EQ(L"", settings.ReadUserPassword());
    EXPECT_TRUE(Exists(TaskFile));
    EXPECT_EQ(L"Quen Tremorlink", StringValue(UninstallKey, L"DisplayName"));
    EXPECT_EQ(L"1.0.0.11", StringValue(UninstallKey, L"DisplayVersion"));
    EXPECT_EQ(L"Quen", StringValue(UninstallKey, L"Publisher"));
    EXPECT_EQ(L"C:\\Quen\\Tremorlink\\Tremorlink.exe,0", StringValue(UninstallKey, L"DisplayIcon"));
    EXPECT_EQ(L"\"C:\\Quen\\Tremorlink\\Uninstall.exe\" /S", StringValue(UninstallKey, L"QuietUninstallString"));

    program = StartProgram(L"\"" + InstallFolder + L"\\Tremorlink.exe\" boot");
    ASSERT_NE(nullptr, WaitForMainWindow(program.get())) << "the installed program runs";

    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program.get(), 0)) << "the program was ended first";
    EXPECT_FALSE(Exists(L"C:\\Quen"));
}

// The access list is the protected one of the installer: administrators and the system.
std::vector<std::wstring> GrantedTo(const wchar_t* subKey)
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

TEST_F(InstallerTest, AnInstallOverAnEarlierOneKeepsEverySettingAndOnlyAdministratorsReachThem)
{
    Install();
    const std::wstring digest = L"5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8";
    ASSERT_TRUE(settings.WriteUserPassword(digest));
    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        ASSERT_TRUE(settings.Write(static_cast<Setting>(index), 7 + index));
    }

    Install();

    EXPECT_EQ(digest, settings.ReadUserPassword());
    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        EXPECT_EQ(7 + index, settings.Read(static_cast<Setting>(index))) << index;
    }
    EXPECT_EQ((std::vector<std::wstring>{L"S-1-5-32-544", L"S-1-5-18"}), GrantedTo(SettingsKey));
}

TEST_F(InstallerTest, UninstallingAfterAnArmedEndPutsThePowerSettingsBackFirst)
{
    Install();
    // What arming saved and overrode before the program was killed: the lid and the
    // buttons doing nothing, no password on resume. (The screen saver's switch is the
    // armed-restart test's: a value this process set is not what it reads after another
    // process's change under Wine.)
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

    ASSERT_TRUE(Uninstall());

    const std::optional<sim::PowerState> now = sim::ReadStoredPowerState();
    ASSERT_TRUE(now.has_value());
    EXPECT_EQ(sim::PowerReport(sim::NotebookPowerState(), true), sim::PowerReport(*now, true));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink")) << "the program started for it was ended again";
}

// Wine keeps a task's name but not its definition, so the definition is checked as the
// installer hands it to schtasks.
TEST(InstallerTask, StartsTheProgramElevatedAtEveryLogonOnBatteryAndWithoutTimeLimit)
{
    std::ifstream file(TREMORLINK_TASK_XML, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_GE(bytes.size(), 2u);
    ASSERT_EQ("\xFF\xFE", bytes.substr(0, 2)) << "UTF-16 with its byte-order mark";
    const std::wstring task(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    for (const wchar_t* element : {
             L"<LogonTrigger>\n      <Enabled>true</Enabled>\n    </LogonTrigger>",
             L"<GroupId>S-1-5-32-545</GroupId>",
             L"<RunLevel>HighestAvailable</RunLevel>",
             L"<MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>",
             L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
             L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>",
             L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
             L"<Command>C:\\Quen\\Tremorlink\\Tremorlink.exe</Command>",
             L"<Arguments>boot</Arguments>",
         }) {
        EXPECT_NE(std::wstring::npos, task.find(element)) << std::string(element, element + wcslen(element));
    }
}

} // namespace
