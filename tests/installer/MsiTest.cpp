// The x64 MSI package of this build, installed and removed with msiexec /qn in the test
// prefix as Group Policy or device management would: what it puts where, what it keeps of
// settings that are there already, and that its uninstall ends the program, puts back an
// armed period's power settings and leaves nothing of ours behind.
#include "TestSupport.h"
#include "app/SimulatedPower.h"
#include "app/SimulatedProvider.h"
#include "app/TremorlinkProcess.h"
#include "installer/Installed.h"
#include "Handles.h"
#include "Registry.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

const std::wstring Uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::wstring UninstallKey = Uninstall + L"" TREMORLINK_TEST_MSI_PRODUCT_CODE;
// The same package as the next version, which upgrades this one.
const std::wstring NextUninstallKey = Uninstall + L"" TREMORLINK_TEST_NEXT_MSI_PRODUCT_CODE;
// An uninstall waits up to half a minute for the program's restore of an armed period.
constexpr DWORD MsiexecTimeoutMs = 90000;

// msiexec /i or /x with a package, silently, and its exit code.
DWORD Msiexec(const std::wstring& option, const std::wstring& properties = L"",
              const char* package = TREMORLINK_TEST_MSI)
{
    tl::unique_handle process =
        StartProgram(L"msiexec.exe " + option + L" \"" + WindowsPath(package) + L"\" " + properties + L" /qn");
    return process ? WaitForExit(process.get(), MsiexecTimeoutMs) : STILL_ACTIVE;
}

bool Uninstalled()
{
    return !Exists(InstallFolder) && !KeyExists(SettingsKey) && !KeyExists(UninstallKey) &&
           !KeyExists(NextUninstallKey) && !Exists(TaskFile);
}

class MsiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!UnderWine() || std::string(TREMORLINK_TEST_MSI).empty()) {
            GTEST_SKIP() << "installs into C:\\Quen and HKEY_LOCAL_MACHINE, which only a Wine prefix of ours may get";
        }
        GetDesktopWindow();
        ASSERT_TRUE(power.InPlace());
        ASSERT_TRUE(provider.InPlace());
        if (KeyExists(UninstallKey)) {
            ASSERT_EQ(0u, Msiexec(L"/x")) << "an earlier test's install";
        }
        if (KeyExists(NextUninstallKey)) {
            ASSERT_EQ(0u, Msiexec(L"/x", L"", TREMORLINK_TEST_NEXT_MSI)) << "an earlier test's upgrade";
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
        if (KeyExists(UninstallKey)) {
            EXPECT_EQ(0u, Msiexec(L"/x"));
        }
        if (KeyExists(NextUninstallKey)) {
            EXPECT_EQ(0u, Msiexec(L"/x", L"", TREMORLINK_TEST_NEXT_MSI));
        }
    }

    SimulatedPowerInPlace power;
    SimulatedProviderInPlace provider;
    SettingsStore settings;
    tl::unique_handle program;
};

TEST_F(MsiTest, InstallsTheProgramItsHelpSettingsTaskAndEntryAndUninstallsThemWhileItRuns)
{
    // Another folder would leave the logon task pointing at C:\Quen\Tremorlink, where
    // anyone could put a program.
    EXPECT_NE(0u, Msiexec(L"/i", L"TARGETDIR=C:\\Elsewhere\\"));
    EXPECT_FALSE(Exists(L"C:\\Elsewhere"));
    EXPECT_TRUE(Uninstalled());
    {
        const QuenLeadsElsewhere link;
        ASSERT_TRUE(link.InPlace());
        EXPECT_NE(0u, Msiexec(L"/i"));
        EXPECT_FALSE(link.WrittenThrough());
        EXPECT_TRUE(Uninstalled());
    }

    ASSERT_EQ(0u, Msiexec(L"/i"));

    for (const wchar_t* file : ProgramFiles) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    ExpectFirstStartSettings(settings);
    EXPECT_TRUE(Exists(TaskFile));
    EXPECT_EQ(L"Quen Tremorlink", StringValue(UninstallKey, L"DisplayName"));
    EXPECT_EQ(L"" TREMORLINK_PROJECT_VERSION, StringValue(UninstallKey, L"DisplayVersion"));
    EXPECT_EQ(L"Quen", StringValue(UninstallKey, L"Publisher"));

    program = StartProgram(L"\"" + InstallFolder + L"\\Tremorlink.exe\" boot");
    ASSERT_NE(nullptr, WaitForMainWindow(program.get())) << "the installed program runs";

    ASSERT_EQ(0u, Msiexec(L"/x"));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program.get(), 0)) << "the program was ended first";
    EXPECT_TRUE(Uninstalled());
    EXPECT_FALSE(Exists(L"C:\\Quen"));
}

// Settings left by the setup program or an earlier version: the package adds what is
// missing and keeps the rest, and a reinstall that rewrites everything of the package
// (REINSTALLMODE a and m: every file, every machine setting) keeps them all the same.
TEST_F(MsiTest, AnInstallOverStoredSettingsAndAForcedReinstallKeepEverySettingAndOnlyAdministratorsReachThem)
{
    const std::wstring digest = L"5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8";
    ASSERT_TRUE(settings.WriteUserPassword(digest));
    ASSERT_TRUE(settings.Write(Setting::HddProtectionEnabled, 0));

    ASSERT_EQ(0u, Msiexec(L"/i"));

    EXPECT_EQ(digest, settings.ReadUserPassword());
    EXPECT_EQ(0, settings.Read(Setting::HddProtectionEnabled));
    const tl::unique_hkey key = tl::OpenKey(HKEY_LOCAL_MACHINE, SettingsKey, KEY_READ | KEY_WOW64_64KEY);
    ASSERT_TRUE(key);
    for (const Setting missing : {Setting::NotebookProtectionEnabled, Setting::StandbyTimerDc}) {
        EXPECT_EQ(std::optional(static_cast<DWORD>(SettingsStore::FirstStartValue(missing))),
                  tl::ReadDword(key.get(), SettingsStore::ValueName(missing)))
            << SettingsStore::ValueName(missing);
    }
    EXPECT_EQ(ProtectedKeyAccess, testsupport::AccessListOf(HKEY_LOCAL_MACHINE, SettingsKey));

    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        ASSERT_TRUE(settings.Write(static_cast<Setting>(index), 7 + index));
    }
    ASSERT_EQ(0u, Msiexec(L"/i", L"REINSTALL=ALL REINSTALLMODE=vamus"));

    EXPECT_EQ(digest, settings.ReadUserPassword());
    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        EXPECT_EQ(7 + index, settings.Read(static_cast<Setting>(index))) << index;
    }
    EXPECT_TRUE(Exists(TaskFile));
}

// The next version's package installs first and then removes this version, which leaves
// it the settings, the task and the files; its own removal then leaves nothing.
TEST_F(MsiTest, TheNextVersionUpgradesInPlaceAndTakesOverTheSettingsAndTheTask)
{
    ASSERT_EQ(0u, Msiexec(L"/i"));
    const std::wstring digest = L"5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8";
    ASSERT_TRUE(settings.WriteUserPassword(digest));
    ASSERT_TRUE(settings.Write(Setting::HddProtectionEnabled, 0));

    ASSERT_EQ(0u, Msiexec(L"/i", L"", TREMORLINK_TEST_NEXT_MSI));

    EXPECT_EQ(digest, settings.ReadUserPassword());
    EXPECT_EQ(0, settings.Read(Setting::HddProtectionEnabled));
    EXPECT_TRUE(Exists(TaskFile));
    for (const wchar_t* file : ProgramFiles) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    EXPECT_FALSE(KeyExists(UninstallKey)) << "the earlier version is gone from Apps and Features";
    EXPECT_EQ(L"Quen Tremorlink", StringValue(NextUninstallKey, L"DisplayName"));

    ASSERT_EQ(0u, Msiexec(L"/x", L"", TREMORLINK_TEST_NEXT_MSI));
    EXPECT_TRUE(Uninstalled());
}

TEST_F(MsiTest, UninstallingAfterAnArmedEndPutsThePowerSettingsBackFirst)
{
    ASSERT_EQ(0u, Msiexec(L"/i"));
    ASSERT_NO_FATAL_FAILURE(LeaveAnArmedEnd(settings));

    ASSERT_EQ(0u, Msiexec(L"/x"));

    ExpectPowerSettingsPutBack();
    EXPECT_TRUE(Uninstalled());
}

} // namespace
