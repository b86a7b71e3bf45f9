// The real Tremorlink.exe of this build, started in the test's Wine prefix.
#include "app/TremorlinkProcess.h"
#include "Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using testsupport::StartTremorlink;
using testsupport::UnderWine;
using testsupport::WaitForExit;
using testsupport::WaitForMainWindow;

TEST(TremorlinkExe, RunsHiddenRefusesASecondCopyAndEndsOnClose)
{
    if (!UnderWine()) {
        GTEST_SKIP() << "the program applies its stored setting to this machine's settings key and sensor provider";
    }
    ASSERT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink")) << "a copy is already running";

    const tl::unique_handle first = StartTremorlink();
    ASSERT_TRUE(first);
    const HWND window = WaitForMainWindow(first.get());
    ASSERT_NE(nullptr, window) << "the main window never appeared";

    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(GetProcessId(first.get()), owner);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    const tl::unique_handle second = StartTremorlink();
    ASSERT_TRUE(second);
    EXPECT_EQ(0u, WaitForExit(second.get()));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(first.get(), 0)) << "the first copy ended";
    EXPECT_EQ(window, FindWindowA(nullptr, "QUEN_Tremorlink"));

    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, WaitForExit(first.get()));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
}

} // namespace
