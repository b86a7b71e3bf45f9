#include "app/TremorlinkMain.h"

#include "RecordingShockState.h"
#include "SimProvider.h"
#include "TestSupport.h"
#include "app/Form1.h"
#include "platform/WMI.h"

#include <memory>

#include <gtest/gtest.h>

namespace {

bool NotAdministrator() { return false; }
bool Administrator() { return true; }
// The tests never reach the system volume.
std::unique_ptr<ShockStateControl> NoVolume() { return std::make_unique<testsupport::RecordingShockState>(); }

class TremorlinkMainTest : public ::testing::Test {
protected:
    testsupport::TestSettingsKey settingsKey;
    sim::Provider provider;
    WMI wmi{provider.Locator()};
};

TEST_F(TremorlinkMainTest, WithoutAdministratorRightsEndsAtOnceWithoutAWindow)
{
    EXPECT_EQ(0, TremorlinkMain(wmi, settingsKey.Store(), &NotAdministrator, &NoVolume));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
    EXPECT_FALSE(provider.Subscribed());
    EXPECT_TRUE(provider.Calls().empty());
}

TEST_F(TremorlinkMainTest, BesideARunningCopyEndsAtOnceAndLeavesItAlone)
{
    const HWND running = CreateWindowExW(0, L"STATIC", L"QUEN_Tremorlink", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, running);

    EXPECT_EQ(0, TremorlinkMain(wmi, settingsKey.Store(), &Administrator, &NoVolume));
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

    EXPECT_EQ(0, TremorlinkMain(wmi, settingsKey.Store(), &Administrator, &NoVolume));
    EXPECT_EQ(1, provider.CancelCount());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
}

bool gaveUpWaiting = false;

void CALLBACK GiveUpWaiting(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    gaveUpWaiting = true;
    PostQuitMessage(1);
}

TEST_F(TremorlinkMainTest, EndsWhenTheMainWindowCannotBeMade)
{
    {
        const testsupport::RefusedWindowClass refused(Form1::ClassName);
        ASSERT_TRUE(refused.Hooked());
        // Should the loop wait for a window that does not exist, this ends it.
        const UINT_PTR timer = SetTimer(nullptr, 0, 5000, &GiveUpWaiting);

        EXPECT_EQ(0, TremorlinkMain(wmi, settingsKey.Store(), &Administrator, &NoVolume));
        KillTimer(nullptr, timer);
    }
    EXPECT_FALSE(gaveUpWaiting) << "the entry waited in its loop";
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
    EXPECT_FALSE(provider.Subscribed()) << "nothing was started";
}

} // namespace
