#pragma once
// WinLockHolder, a program that takes Ctrl+Alt+Del, task switching and the taskbar away
// through WinLock.dll and waits to be killed, as the program does when it ends while
// anti-theft is armed; and the unlock that the next start's restore makes.
#include "app/TremorlinkProcess.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace testsupport {

class HeldLock {
public:
    // Returns once the holder has locked, or has ended without.
    HeldLock()
        : m_holder(StartPiped(L"\"" + WindowsPath(WINLOCK_HOLDER_EXE) + L"\" \"" + WindowsPath(WINLOCK_DLL) + L"\""))
    {
        char said[16] = {};
        DWORD size = 0;
        if (m_holder.process && ReadFile(m_holder.output.get(), said, sizeof(said) - 1, &size, nullptr)) {
            m_said.assign(said, size);
        }
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    ~HeldLock() { Kill(); }

    bool Locked() const { return m_said.rfind("locked", 0) == 0; }
    const std::string& Said() const { return m_said; }
    // Ends the holder as a power loss would end the program: nothing is given back.
    void Kill() { EndIfRunning(m_holder.process.get()); }

private:
    PipedProcess m_holder;
    std::string m_said;
};

// The next start's restore: this process loads the library and gives all three back.
inline ::testing::AssertionResult UnlockThroughLibrary()
{
    const HMODULE library = LoadLibraryW(WindowsPath(WINLOCK_DLL).c_str());
    if (library == nullptr) {
        return ::testing::AssertionFailure() << "WinLock.dll did not load: " << GetLastError();
    }
    using Control = int(WINAPI*)(int);
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    for (const char* name : {"_Control_CtrlAltDel@4", "_Control_Switching@4", "_Control_Taskbar@4"}) {
        const auto unlock = reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, name)));
        if (unlock == nullptr || unlock(1) != 1) {
            result = ::testing::AssertionFailure() << name << (unlock == nullptr ? " is missing" : " did not unlock");
        }
    }
    FreeLibrary(library);
    return result;
}

} // namespace testsupport
