// What both installers do, and what only the setup program does: what they put where,
// what an install over an earlier one keeps, and that the uninstall ends the program,
// puts back an armed period's power settings and leaves nothing of ours behind.
#include "installer/Installed.h"

#include <fstream>
#include <optional>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

TEST_P(Installer, InstallsTheProgramItsHelpSettingsTaskAndEntryAndUninstallsThemWhileItRuns)
{
    {
        const QuenLeadsElsewhere link;
        ASSERT_TRUE(link.InPlace());
        EXPECT_EQ(GetParam() == Package::Setup ? DWORD{4} : DWORD{ERROR_INSTALL_FAILURE}, Install());
        EXPECT_FALSE(link.WrittenThrough());
        EXPECT_TRUE(Uninstalled());
    }

    // A library that someone put where the program would load it before its own.
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Quen", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW(InstallFolder.c_str(), nullptr));
    const std::wstring planted = InstallFolder + L"\\powrprof.dll";
    ASSERT_TRUE(CopyFileW(WindowsPath(WINLOCK_DLL).c_str(), planted.c_str(), FALSE));

    ASSERT_EQ(0u, Install());

    EXPECT_FALSE(Exists(planted));
    for (const wchar_t* file : ProgramFiles) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    EXPECT_EQ(GetParam() == Package::Setup, Exists(InstallFolder + L"\\Uninstall.exe")) << "the setup's own";
    ExpectFirstStartSettings(settings);
    EXPECT_TRUE(Exists(TaskFile));
    EXPECT_EQ(L"Quen Tremorlink", StringValue(UninstallKey(), L"DisplayName"));
    EXPECT_EQ(L"" TREMORLINK_PROJECT_VERSION, StringValue(UninstallKey(), L"DisplayVersion"));
    EXPECT_EQ(L"Quen", StringValue(UninstallKey(), L"Publisher"));
    if (GetParam() == Package::Setup) {
        EXPECT_EQ(L"C:\\Quen\\Tremorlink\\Tremorlink.exe,0", StringValue(UninstallKey(), L"DisplayIcon"));
        EXPECT_EQ(L"\"C:\\Quen\\Tremorlink\\Uninstall.exe\" /S", StringValue(UninstallKey(), L"QuietUninstallString"));
    }

    program = StartProgram(L"\"" + InstallFolder + L"\\Tremorlink.exe\" boot");
    ASSERT_NE(nullptr, WaitForMainWindow(program.get())) << "the installed program runs";

    ASSERT_EQ(0u, Uninstall());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program.get(), 0)) << "the program was ended first";
    EXPECT_TRUE(Uninstalled());
    EXPECT_FALSE(Exists(L"C:\\Quen"));
}

// Settings left by the other installer or an earlier version: an install adds what is
// missing and keeps the rest, and an install over it keeps them all.
TEST_P(Installer, AnInstallOverAnEarlierOneKeepsEverySettingAndOnlyAdministratorsReachThem)
{
    ASSERT_TRUE(settings.WriteUserPassword(PasswordDigest));
    ASSERT_TRUE(settings.Write(Setting::HddProtectionEnabled, 0));

    ASSERT_EQ(0u, Install());

    EXPECT_EQ(PasswordDigest, settings.ReadUserPassword());
    EXPECT_EQ(0, settings.Read(Setting::HddProtectionEnabled));
    const tl::unique_hkey key = tl::OpenKey(HKEY_LOCAL_MACHINE, SettingsKey, KEY_READ | KEY_WOW64_64KEY);
    ASSERT_TRUE(key);
    for (const Setting missing : {Setting::NotebookProtectionEnabled, Setting::StandbyTimerDc}) {
        EXPECT_EQ(std::optional(static_cast<DWORD>(SettingsStore::FirstStartValue(missing))),
                  tl::ReadDword(key.get(), SettingsStore::ValueName(missing)))
            << SettingsStore::ValueName(missing);
    }
    EXPECT_EQ(ProtectedKeyAccess, AccessListOf(HKEY_LOCAL_MACHINE, SettingsKey));

    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        ASSERT_TRUE(settings.Write(static_cast<Setting>(index), 7 + index));
    }
    ASSERT_EQ(0u, Reinstall());

    EXPECT_EQ(PasswordDigest, settings.ReadUserPassword());
    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        EXPECT_EQ(7 + index, settings.Read(static_cast<Setting>(index))) << index;
    }
    EXPECT_EQ(ProtectedKeyAccess, AccessListOf(HKEY_LOCAL_MACHINE, SettingsKey));
    EXPECT_TRUE(Exists(TaskFile));
}

TEST_P(Installer, UninstallingAfterAnArmedEndPutsThePowerSettingsBackFirst)
{
    ASSERT_EQ(0u, Install());
    ASSERT_NO_FATAL_FAILURE(LeaveAnArmedEnd(settings));

    ASSERT_EQ(0u, Uninstall());

    ExpectPowerSettingsPutBack();
    EXPECT_TRUE(Uninstalled());
}

INSTANTIATE_TEST_SUITE_P(Both, Installer, ::testing::Values(Package::Setup, Package::Msi),
                         ::testing::PrintToStringParamName());

class SetupInstaller : public Installer {};

// The uninstaller run in place (its copy in the temporary folder would end at once), while
// the task cannot be deleted: it stops with its own exit code before removing anything,
// since any user could put a program where the elevated task would start it.
TEST_P(SetupInstaller, AnUninstallThatCannotRemoveTheLogonTaskRemovesNothing)
{
    ASSERT_EQ(0u, Install());
    ASSERT_TRUE(SetFileAttributesW(TaskFile, FILE_ATTRIBUTE_READONLY));

    const DWORD exitCode = RunSilently(InstallFolder + L"\\Uninstall.exe", L" _?=" + InstallFolder);
    SetFileAttributesW(TaskFile, FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(5u, exitCode);
    EXPECT_TRUE(Exists(TaskFile));
    for (const wchar_t* file : ProgramFiles) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    EXPECT_TRUE(KeyExists(SettingsKey));
    EXPECT_TRUE(KeyExists(SetupUninstallKey));
}

INSTANTIATE_TEST_SUITE_P(Only, SetupInstaller, ::testing::Values(Package::Setup), ::testing::PrintToStringParamName());

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
