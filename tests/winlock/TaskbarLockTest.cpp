// The taskbars and the Start button hidden and exactly those shown again.
#include "TaskbarLock.h"

#include "FakeTaskbar.h"
#include "Journal.h"
#include "TaskSwitchLock.h"
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(TaskbarLock, HidesEveryTaskbarAndShowsOnlyWhatItHid)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "hides the machine's taskbar, which only our own Wine displays may have";
    }
    const KeyPath session = Journal::SessionScope();
    Journal::Forget(L"Taskbar", session);
    testsupport::FakeTaskbar bars;
    ASSERT_TRUE(bars.AsMade());
    // Another session's taskbars, hidden by a lock there: their handles mean nothing here,
    // and that session's unlock shows them.
    const KeyPath otherSession((L"Sessions\\" + std::to_wstring(GetCurrentProcessId() + 1000)).c_str());
    const BYTE otherHandle[] = {1, 2, 3, 4, 5, 6, 7, 8};
    const SavedValue otherHidden = SavedValue::Of(REG_BINARY, otherHandle, sizeof(otherHandle)).value();
    ASSERT_TRUE(Journal::Record(L"Taskbar", otherHidden, otherSession));

    // The windows are the taskbar's thread's: they change as that thread gets to it.
    ASSERT_TRUE(TaskbarLock::Lock());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AllHidden(); }));
    EXPECT_TRUE(Journal::Find(L"Taskbar", session)) << "journaled as this session's";
    ASSERT_TRUE(TaskbarLock::Lock()) << "a second lock is harmless";

    ASSERT_TRUE(TaskbarLock::Unlock());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AsMade(); }));
    ASSERT_TRUE(TaskbarLock::Unlock()) << "a second unlock is harmless";
    testsupport::PumpPending();
    EXPECT_TRUE(bars.AsMade());
    EXPECT_FALSE(Journal::Find(L"Taskbar", session));
    EXPECT_EQ(otherHidden, Journal::Find(L"Taskbar", otherSession));
    Journal::Forget(L"Taskbar", otherSession);
}

TEST(TaskbarLock, TheTaskbarOfAMonitorPluggedInWhileLockedIsHiddenAndShownAgain)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "hides the machine's taskbar, which only our own Wine displays may have";
    }
    Journal::Forget(L"Taskbar", Journal::SessionScope());
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
