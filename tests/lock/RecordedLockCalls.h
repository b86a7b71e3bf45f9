#pragma once
// What the recording WinLock.dll (tests/lock) was asked to do in this process.
#include <windows.h>

#include <string>

namespace testsupport {

// The calls the loaded recording library got, one line each ("Taskbar 0"); empty
// without one.
inline std::string RecordedLockCalls()
{
    using Recorded = const char*(WINAPIV*)();
    const HMODULE library = GetModuleHandleW(L"WinLock.dll");
    const auto recorded =
        library == nullptr
            ? nullptr
            : reinterpret_cast<Recorded>(reinterpret_cast<void*>(GetProcAddress(library, "RecordedLockCalls")));
    return recorded != nullptr ? recorded() : std::string();
}

} // namespace testsupport
