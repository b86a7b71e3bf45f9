// The binding of the input lock library, against a WinLock.dll that records its calls.
// Each test is a process of its own, so each loads the library it chose for the first
// time.
#include "app/TremorlinkProcess.h"
#include "lock/RecordedLockCalls.h"
#include "platform/HaldenFunc.h"
#include "platform/LibrarySearch.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace {

using testsupport::RecordedLockCalls;
using testsupport::WindowsPath;

// The arming's order of locks, and the right password's order of unlocks.
void LockAndUnlock(HaldenFunc& halden)
{
    halden.LockCtrlAltDelKey(false);
    halden.LockSwitchingKey(false);
    halden.LockTaskbar(false);
    halden.LockCtrlAltDelKey(true);
    halden.LockSwitchingKey(true);
    halden.LockTaskbar(true);
}

TEST(LockBinding, PassesEveryCallThroughOnlyOnceBoundAndAgainAfterASecondLoad)
{
    HaldenFunc halden;
    // Before a load nothing is loaded or called, though a load would find the library.
    ASSERT_TRUE(SetDllDirectoryW(WindowsPath(RECORDING_LOCK_WHOLE_DIR).c_str()));
    LockAndUnlock(halden);
    EXPECT_EQ(nullptr, GetModuleHandleW(L"WinLock.dll"));

    // Nor after a load that found no library.
    ASSERT_TRUE(SetDllDirectoryW(WindowsPath(RECORDING_LOCK_WHOLE_DIR "/nowhere").c_str()));
    halden.LoadLockKeyDll2();
    LockAndUnlock(halden);
    EXPECT_EQ(nullptr, GetModuleHandleW(L"WinLock.dll"));

    ASSERT_TRUE(SetDllDirectoryW(WindowsPath(RECORDING_LOCK_WHOLE_DIR).c_str()));
    halden.LoadLockKeyDll2();
    LockAndUnlock(halden);
    const std::string once = "CtrlAltDel 0\nSwitching 0\nTaskbar 0\nCtrlAltDel 1\nSwitching 1\nTaskbar 1\n";
    EXPECT_EQ(once, RecordedLockCalls());

    // A second arming in the same run binds again; another accessor reaches the same.
    HaldenFunc other;
    other.LoadLockKeyDll2();
    LockAndUnlock(halden);
    EXPECT_EQ(once + once, RecordedLockCalls());
    SetDllDirectoryW(nullptr);
}

TEST(LockBinding, ALibraryWithoutAnExportLosesOnlyThatOperation)
{
    ASSERT_TRUE(SetDllDirectoryW(WindowsPath(RECORDING_LOCK_PARTIAL_DIR).c_str()));
    HaldenFunc halden;
    halden.LoadLockKeyDll2();
    LockAndUnlock(halden);
    EXPECT_EQ("CtrlAltDel 0\nSwitching 0\nCtrlAltDel 1\nSwitching 1\n", RecordedLockCalls());
    SetDllDirectoryW(nullptr);
}

// The program restricts the library search before anything loads a library. Wine, like
// Windows by default, would otherwise search the working folder and every folder on PATH,
// some of which any user may write to, and the elevated program would run what it found.
TEST(LockBinding, ALibraryOnlyOnPathOrInTheWorkingFolderIsNeverLoaded)
{
    const std::wstring elsewhere = WindowsPath(RECORDING_LOCK_WHOLE_DIR);
    ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", elsewhere.c_str()));
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.c_str()));
    ASSERT_TRUE(RestrictLibrarySearch());

    HaldenFunc halden;
    halden.LoadLockKeyDll2();
    LockAndUnlock(halden);
    EXPECT_EQ(nullptr, GetModuleHandleW(L"WinLock.dll"));
    EXPECT_EQ(nullptr, LoadSystemLibrary(L"WinLock.dll")) << "a system library comes from the system folder alone";
    EXPECT_NE(nullptr, LoadSystemLibrary(L"version.dll"));
}

} // namespace
