// The taskbars and the Start button hidden and exactly those shown again.
#include "TaskbarLock.h"

#include "FakeTaskbar.h"
#include "Journal.h"
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(TaskbarLock, HidesEveryTaskbarAndShowsOnlyWhatItHid)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "hides the machine's taskbar, which only our own Wine displays may have";
    }
    Journal::Forget(L"Taskbar");
    testsupport::FakeTaskbar bars;
    ASSERT_TRUE(bars.AsMade());

    // The windows are the taskbar's thread's: they change as that thread gets to it.
    ASSERT_TRUE(TaskbarLock::Lock());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AllHidden(); }));
    ASSERT_TRUE(TaskbarLock::Lock()) << "a second lock is harmless";

    ASSERT_TRUE(TaskbarLock::Unlock());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AsMade(); }));
    ASSERT_TRUE(TaskbarLock::Unlock()) << "a second unlock is harmless";
    testsupport::PumpPending();
    EXPECT_TRUE(bars.AsMade());
    EXPECT_FALSE(Journal::Find(L"Taskbar"));
}

} // namespace
