// The real Tremorlink.exe of this build, started in the test's Wine prefix.
#include "TestSupport.h"
#include "platform/Handles.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace {

constexpr DWORD StartTimeoutMs = 20000;

// The build passes a Linux path; Wine maps the root of that file system to drive Z:.
std::wstring ExePath()
{
    const std::string path = TREMORLINK_EXE;
    std::wstring windowsPath = L"Z:";
    for (const char c : path) {
        windowsPath += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    }
    return windowsPath;
}

tl::unique_handle Start()
{
    std::wstring commandLine = L"\"" + ExePath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return {};
    }
    CloseHandle(process.hThread);
    return tl::unique_handle(process.hProcess);
}

HWND WaitForMainWindow(HANDLE process)
{
    HWND window = nullptr;
    testsupport::PumpUntil(
        [&] {
            window = FindWindowA(nullptr, "QUEN_Tremorlink");
            return window != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        std::chrono::milliseconds(StartTimeoutMs));
    return window;
}

DWORD WaitForExit(HANDLE process)
{
    if (WaitForSingleObject(process, StartTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

TEST(TremorlinkExe, RunsHiddenRefusesASecondCopyAndEndsOnClose)
{
    ASSERT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink")) << "a copy is already running";

    const tl::unique_handle first = Start();
    ASSERT_TRUE(first);
    const HWND window = WaitForMainWindow(first.get());
    ASSERT_NE(nullptr, window) << "the main window never appeared";

    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(GetProcessId(first.get()), owner);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    const tl::unique_handle second = Start();
    ASSERT_TRUE(second);
    EXPECT_EQ(0u, WaitForExit(second.get()));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(first.get(), 0)) << "the first copy ended";
    EXPECT_EQ(window, FindWindowA(nullptr, "QUEN_Tremorlink"));

    // Posted messages are handled in order: the movement and shock-over messages before the close.
    EXPECT_TRUE(PostMessageA(window, 0x0B03, 0, 0));
    EXPECT_TRUE(PostMessageA(window, 0x0B02, 0, 0));
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, WaitForExit(first.get()));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
}

} // namespace
