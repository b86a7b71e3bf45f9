#pragma once
// Starting the real programs of this build in the test's Wine prefix, and waiting for them.
#include "ChildProcess.h"
#include "TestSupport.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

namespace testsupport {

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
    tl::unique_handle process = Launch(std::move(commandLine));
    if (!process) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
    }
    return process;
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
    piped.process = Launch(std::move(commandLine), nullptr, writeEnd.get());
    if (!piped.process) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return {};
    }
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

} // namespace testsupport
