// The taskbars and the Start button hidden and exactly those shown again.
#include "TaskbarLock.h"

#include "FakeTaskbar.h"
#include "Journal.h"
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"
#include "platform/Handles.h"

#include <windows.h>

#include <cstdio>
#include <string>

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

// Wine shows its taskbar only in a desktop named "shell", which this test process is not in:
// the watcher runs there and writes down what it saw.
TEST(TaskbarLock, TheTaskbarOfAWineDesktopIsHiddenAndShownAgain)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "starts a desktop of Wine's own";
    }
    Journal::Forget(L"Taskbar");
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring report = std::wstring(folder) + L"QuenTaskbarWatcher.txt";
    DeleteFileW(report.c_str());
    std::wstring commandLine = L"explorer.exe /desktop=shell,800x600 \"" +
                               testsupport::WindowsPath(TASKBAR_WATCHER_EXE) + L"\" \"" +
                               testsupport::WindowsPath(WINLOCK_DLL) + L"\" \"" + report + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &started));
    CloseHandle(started.hThread);
    const tl::unique_handle desktop(started.hProcess);
    EXPECT_EQ(0u, testsupport::WaitForExit(desktop.get()));

    std::string seen;
    if (FILE* file = _wfopen(report.c_str(), L"r")) {
        char line[64];
        while (std::fgets(line, sizeof(line), file) != nullptr) {
            seen += line;
        }
        std::fclose(file);
    }
    DeleteFileW(report.c_str());
    EXPECT_EQ("before 1\nlocked 0\nunlocked 1\n", seen);
    EXPECT_FALSE(Journal::Find(L"Taskbar"));
}

} // namespace
