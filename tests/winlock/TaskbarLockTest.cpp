// The taskbars and the Start button hidden and exactly those shown again.
#include "TaskbarLock.h"

#include "FakeTaskbar.h"
#include "Journal.h"
#include "TaskSwitchLock.h"
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

TEST(TaskbarLock, TheTaskbarOfAMonitorPluggedInWhileLockedIsHiddenAndShownAgain)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "hides the machine's taskbar, which only our own Wine displays may have";
    }
    Journal::Forget(L"Taskbar");
    testsupport::FakeTaskbar bars;
    // The program's way: the library, with task switching locked too, whose thread watches.
    const HMODULE library = LoadLibraryW(testsupport::WindowsPath(WINLOCK_DLL).c_str());
    ASSERT_NE(nullptr, library);
    using Control = int(WINAPI*)(int);
    const auto switching =
        reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, "_Control_Switching@4")));
    const auto taskbar =
        reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, "_Control_Taskbar@4")));
    ASSERT_NE(nullptr, switching);
    ASSERT_NE(nullptr, taskbar);
    ASSERT_EQ(1, switching(0));
    ASSERT_EQ(1, taskbar(0));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AllHidden(); }));

    const HWND plugged = bars.Plug();
    const HWND watch = FindWindowW(TaskSwitchLock::WindowClass, nullptr);
    ASSERT_NE(nullptr, watch);
    SendMessageW(watch, WM_DISPLAYCHANGE, 32, MAKELPARAM(2304, 800));
    testsupport::PumpPending();
    EXPECT_FALSE(IsWindowVisible(plugged)) << "still shown after the display change";

    EXPECT_EQ(1, taskbar(1));
    EXPECT_EQ(1, switching(1));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AsMade() && IsWindowVisible(plugged); }));
    FreeLibrary(library);
}

} // namespace
