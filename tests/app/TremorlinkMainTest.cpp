#include "app/TremorlinkMain.h"

#include "SimProvider.h"
#include "TestSupport.h"
#include "platform/WMI.h"

#include <gtest/gtest.h>

namespace {

bool NotAdministrator() { return false; }
bool Administrator() { return true; }

class TremorlinkMainTest : public ::testing::Test {
protected:
    testsupport::TestSettingsKey settingsKey;
    sim::Provider provider;
    WMI wmi{provider.Locator()};
};

TEST_F(TremorlinkMainTest, WithoutAdministratorRightsEndsAtOnceWithoutAWindow)
{
    EXPECT_EQ(0, TremorlinkMain(wmi, settingsKey.Store(), &NotAdministrator));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
    EXPECT_FALSE(provider.Subscribed());
    EXPECT_TRUE(provider.Calls().empty());
}

TEST_F(TremorlinkMainTest, BesideARunningCopyEndsAtOnceAndLeavesItAlone)
{
    const HWND running = CreateWindowExW(0, L"STATIC", L"QUEN_Tremorlink", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, running);

    EXPECT_EQ(0, TremorlinkMain(wmi, settingsKey.Store(), &Administrator));
    EXPECT_TRUE(IsWindow(running));
    EXPECT_FALSE(IsWindowVisible(running)) << "the running copy is not brought forward";
    EXPECT_FALSE(provider.Subscribed());
    DestroyWindow(running);
}

void CALLBACK CloseMainWindow(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    PostMessageA(FindWindowA(nullptr, "QUEN_Tremorlink"), WM_CLOSE, 0, 0);
}

TEST_F(TremorlinkMainTest, RunsUntilTheMainWindowIsClosed)
{
    // Fires inside the message loop, once the main window exists.
    ASSERT_NE(0u, SetTimer(nullptr, 0, 50, &CloseMainWindow));

    EXPECT_EQ(0, TremorlinkMain(wmi, settingsKey.Store(), &Administrator));
    EXPECT_EQ(1, provider.CancelCount());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
}

} // namespace
