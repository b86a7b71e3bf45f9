// Takes Ctrl+Alt+Del, task switching and the taskbar away through the WinLock.dll it is
// given, says "locked" and waits to be killed: a program that ends while anti-theft is
// armed.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: WinLockHolder WINLOCK_DLL\n", stderr);
        return 2;
    }
    using Control = int(WINAPI*)(int);
    const HMODULE library = LoadLibraryW(argv[1]);
    const auto lockCtrlAltDel =
        reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, "_Control_CtrlAltDel@4")));
    const auto lockSwitching =
        reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, "_Control_Switching@4")));
    const auto lockTaskbar =
        reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, "_Control_Taskbar@4")));
    if (lockCtrlAltDel == nullptr || lockSwitching == nullptr || lockTaskbar == nullptr) {
        return 1;
    }
    lockCtrlAltDel(0);
    lockSwitching(0);
    lockTaskbar(0);
    std::puts("locked");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
