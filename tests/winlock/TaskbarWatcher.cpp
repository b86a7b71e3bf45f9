// Run inside a Wine desktop that has a taskbar: takes the taskbar away through the
// WinLock.dll it is given and gives it back, and writes to a file whether the taskbar
// showed before, while locked and after, one line each ("before 1", "locked 0",
// "unlocked 1"): a program started in such a desktop has no standard output.
#include <windows.h>

#include <cstdio>

namespace {

// Whether the taskbar shows, once it has become so within the time.
bool TaskbarBecomes(bool visible, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
        const bool shows = taskbar != nullptr && IsWindowVisible(taskbar);
        if (shows == visible || GetTickCount() - start > timeoutMs) {
            return shows;
        }
        Sleep(50);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fputs("usage: TaskbarWatcher WINLOCK_DLL REPORT\n", stderr);
        return 2;
    }
    // The first FindWindow of a new process can fail until the desktop has been asked for.
    GetDesktopWindow();
    FILE* report = _wfopen(argv[2], L"w");
    if (report == nullptr) {
        return 1;
    }
    using Control = int(WINAPI*)(int);
    const HMODULE library = LoadLibraryW(argv[1]);
    const auto control =
        reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, "_Control_Taskbar@4")));
    if (control == nullptr) {
        std::fclose(report);
        return 1;
    }
    std::fprintf(report, "before %d\n", TaskbarBecomes(true, 10000) ? 1 : 0);
    control(0);
    std::fprintf(report, "locked %d\n", TaskbarBecomes(false, 5000) ? 1 : 0);
    control(1);
    std::fprintf(report, "unlocked %d\n", TaskbarBecomes(true, 5000) ? 1 : 0);
    std::fclose(report);
    return 0;
}
