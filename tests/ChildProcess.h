#pragma once
// Starting a program, waiting for it and ending it: for the tests and for the benchmarks
// that measure the program from outside.
#include "Handles.h"

#include <windows.h>

#include <string>

namespace testsupport {

inline constexpr DWORD StartTimeoutMs = 20000;

// A program started without waiting for it; empty, with the error kept, when it could not
// be started. With an output handle, its standard output and error go there (inherited,
// so meant for the write end of a pipe) and it gets no console window.
inline tl::unique_handle Launch(std::wstring commandLine, DWORD* processId = nullptr, HANDLE output = nullptr)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr,
                        output != nullptr ? CREATE_NO_WINDOW : 0, nullptr, nullptr, &startup, &started)) {
        return {};
    }
    const tl::unique_handle thread(started.hThread);
    if (processId != nullptr) {
        *processId = started.dwProcessId;
    }
    return tl::unique_handle(started.hProcess);
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

// Ends a program that a failed run left running, and waits until it has ended, so that
// the next start finds no copy and the files it held are free. Whether it has ended.
inline bool EndIfRunning(HANDLE process, DWORD timeoutMs = StartTimeoutMs)
{
    if (process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    }
    return true;
}

} // namespace testsupport
