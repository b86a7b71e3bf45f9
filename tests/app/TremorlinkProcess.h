#pragma once
// Starting the real programs of this build in the test's Wine prefix, and waiting for them.
#include "TestSupport.h"
#include "Handles.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace testsupport {

inline constexpr DWORD StartTimeoutMs = 20000;

// The build passes Linux paths; Wine maps the root of that file system to drive Z:.
inline std::wstring WindowsPath(std::string_view linuxPath)
{
    std::wstring windowsPath = L"Z:";
    for (const char c : linuxPath) {
        windowsPath += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    }
    return windowsPath;
}

// A program of the prefix, without waiting for it.
inline tl::unique_handle StartProgram(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return {};
    }
    const tl::unique_handle thread(process.hThread);
    return tl::unique_handle(process.hProcess);
}

inline tl::unique_handle StartTremorlink() { return StartProgram(L"\"" + WindowsPath(TREMORLINK_EXE) + L"\""); }

// A program started with its standard output and error into a pipe the caller reads.
struct PipedProcess {
    tl::unique_handle process; // empty when it could not be started
    tl::unique_handle output;
};

// pipeSize: large enough for all a program writes, so that it never waits for a reader.
inline PipedProcess StartPiped(std::wstring commandLine, DWORD pipeSize = 0)
{
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    PipedProcess piped;
    tl::unique_handle writeEnd;
    if (!CreatePipe(piped.output.put(), writeEnd.put(), &inheritable, pipeSize)) {
        ADD_FAILURE() << "CreatePipe failed: " << GetLastError();
        return {};
    }
    SetHandleInformation(piped.output.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started)) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return {};
    }
    const tl::unique_handle thread(started.hThread);
    piped.process.reset(started.hProcess);
    return piped;
}

// The main window of that process, or null when it ended or took too long.
inline HWND WaitForMainWindow(HANDLE process)
{
    HWND window = nullptr;
    PumpUntil(
        [&] {
            window = FindWindowA(nullptr, "QUEN_Tremorlink");
            return window != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        std::chrono::milliseconds(StartTimeoutMs));
    return window;
}

// The exit code, or STILL_ACTIVE after ending a process that did not end in time.
inline DWORD WaitForExit(HANDLE process, DWORD timeoutMs = StartTimeoutMs)
{
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

// Ends a program that a failed test left running, and waits until it has ended, so that
// the next test finds no copy and the files it held are free.
inline void EndIfRunning(HANDLE process)
{
    if (process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, StartTimeoutMs);
    }
}

} // namespace testsupport
