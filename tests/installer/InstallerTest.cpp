// The installer of this build, run silently in the test prefix as an administrator's
// deployment would: what it puts where, what an install over an earlier one keeps, and
// that the uninstaller ends the program, puts back an armed period's power settings and
// leaves nothing of ours behind.
#include "TestSupport.h"
#include "app/SimulatedPower.h"
#include "app/SimulatedProvider.h"
#include "app/TremorlinkProcess.h"
#include "installer/Installed.h"
#include "Handles.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

constexpr wchar_t UninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuenTremorlink";

// Runs the setup or the uninstaller silently and waits until its work is done: the
// uninstaller hands over to a copy of itself and ends at once, so its end is the state it
// leaves.
DWORD RunSilently(const std::wstring& program, const std::wstring& lastArguments = L"")
{
    tl::unique_handle process = StartProgram(L"\"" + program + L"\" /S" + lastArguments);
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
        ForgetEarlierSettings();
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
    {
        const QuenLeadsElsewhere link;
        ASSERT_TRUE(link.InPlace());
        EXPECT_EQ(4u, RunSilently(WindowsPath(TREMORLINK_TEST_SETUP)));
        EXPECT_FALSE(link.WrittenThrough());
        EXPECT_TRUE(Uninstalled());
    }

    // A library that someone put where the program would load it before its own.
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Quen", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW(InstallFolder.c_str(), nullptr));
    const std::wstring planted = InstallFolder + L"\\powrprof.dll";
    ASSERT_TRUE(CopyFileW(WindowsPath(WINLOCK_DLL).c_str(), planted.c_str(), FALSE));

    Install();

    EXPECT_FALSE(Exists(planted));

    for (const wchar_t* file : ProgramFiles) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    EXPECT_TRUE(Exists(InstallFolder + L"\\Uninstall.exe"));
    ExpectFirstStartSettings(settings);
    EXPECT_TRUE(Exists(TaskFile));
    EXPECT_EQ(L"Quen Tremorlink", StringValue(UninstallKey, L"DisplayName"));
    EXPECT_EQ(L"" TREMORLINK_PROJECT_VERSION, StringValue(UninstallKey, L"DisplayVersion"));
    EXPECT_EQ(L"Quen", StringValue(UninstallKey, L"Publisher"));
    EXPECT_EQ(L"C:\\Quen\\Tremorlink\\Tremorlink.exe,0", StringValue(UninstallKey, L"DisplayIcon"));
    EXPECT_EQ(L"\"C:\\Quen\\Tremorlink\\Uninstall.exe\" /S", StringValue(UninstallKey, L"QuietUninstallString"));

    program = StartProgram(L"\"" + InstallFolder + L"\\Tremorlink.exe\" boot");
    ASSERT_NE(nullptr, WaitForMainWindow(program.get())) << "the installed program runs";

    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program.get(), 0)) << "the program was ended first";
    EXPECT_FALSE(Exists(L"C:\\Quen"));
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
    EXPECT_EQ(ProtectedKeyAccess, testsupport::AccessListOf(HKEY_LOCAL_MACHINE, SettingsKey));
}

// The uninstaller run in place (its copy in the temporary folder would end at once), while
// the task cannot be deleted: it stops with its own exit code before removing anything,
// since any user could put a program where the elevated task would start it.
TEST_F(InstallerTest, AnUninstallThatCannotRemoveTheLogonTaskRemovesNothing)
{
    Install();
    ASSERT_TRUE(SetFileAttributesW(TaskFile, FILE_ATTRIBUTE_READONLY));

    const DWORD exitCode = RunSilently(InstallFolder + L"\\Uninstall.exe", L" _?=" + InstallFolder);
    SetFileAttributesW(TaskFile, FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(5u, exitCode);
    EXPECT_TRUE(Exists(TaskFile));
    for (const wchar_t* file : ProgramFiles) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    EXPECT_TRUE(KeyExists(SettingsKey));
    EXPECT_TRUE(KeyExists(UninstallKey));
}

TEST_F(InstallerTest, UninstallingAfterAnArmedEndPutsThePowerSettingsBackFirst)
{
    Install();
    ASSERT_NO_FATAL_FAILURE(LeaveAnArmedEnd(settings));

    ASSERT_TRUE(Uninstall());
    ExpectPowerSettingsPutBack();
}

// Wine keeps a task's name but not its definition, so the definition is checked as the
// installers' library hands it to the Task Scheduler.
TEST(InstallerTask, StartsTheProgramElevatedAtEveryLogonOnBatteryAtNormalPriorityAndWithoutTimeLimit)
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
             L"<Priority>5</Priority>",
             L"<Command>C:\\Quen\\Tremorlink\\Tremorlink.exe</Command>",
             L"<Arguments>boot</Arguments>",
         }) {
        EXPECT_NE(std::wstring::npos, task.find(element)) << std::string(element, element + wcslen(element));
    }
}

} // namespace
