// What only the x64 MSI package does, installed and removed with msiexec /qn as Group
// Policy or device management would: it installs nowhere but C:\Quen\Tremorlink, and the
// next version's package upgrades it in place.
#include "installer/Installed.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

class MsiInstaller : public Installer {};

// Another folder would leave the logon task pointing at C:\Quen\Tremorlink, where anyone
// could put a program.
TEST_P(MsiInstaller, RefusesAnotherFolder)
{
    EXPECT_NE(0u, Msiexec(L"/i", L"TARGETDIR=C:\\Elsewhere\\"));
    EXPECT_FALSE(Exists(L"C:\\Elsewhere"));
    EXPECT_TRUE(Uninstalled());
}

// The next version's package installs first and then removes this version, which leaves
// it the settings, the task and the files; its own removal then leaves nothing.
TEST_P(MsiInstaller, TheNextVersionUpgradesInPlaceAndTakesOverTheSettingsAndTheTask)
{
    ASSERT_EQ(0u, Install());
    ASSERT_TRUE(settings.WriteUserPassword(PasswordDigest));
    ASSERT_TRUE(settings.Write(Setting::HddProtectionEnabled, 0));

    ASSERT_EQ(0u, Msiexec(L"/i", L"", TREMORLINK_TEST_NEXT_MSI));

    EXPECT_EQ(PasswordDigest, settings.ReadUserPassword());
    EXPECT_EQ(0, settings.Read(Setting::HddProtectionEnabled));
    EXPECT_TRUE(Exists(TaskFile));
    for (const wchar_t* file : ProgramFiles) {
        EXPECT_TRUE(Exists(InstallFolder + L"\\" + file)) << file;
    }
    EXPECT_FALSE(KeyExists(MsiUninstallKey)) << "the earlier version is gone from Apps and Features";
    EXPECT_EQ(L"Quen Tremorlink", StringValue(NextMsiUninstallKey, L"DisplayName"));

    ASSERT_EQ(0u, Msiexec(L"/x", L"", TREMORLINK_TEST_NEXT_MSI));
    EXPECT_TRUE(Uninstalled());
}

INSTANTIATE_TEST_SUITE_P(Only, MsiInstaller, ::testing::Values(Package::Msi), ::testing::PrintToStringParamName());

} // namespace
