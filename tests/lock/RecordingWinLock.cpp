// A stand-in for WinLock.dll that locks nothing and records each call it gets, for the
// tests of the program's binding. Built twice: whole, and without the taskbar's export.
#include <windows.h>

#include <string>

namespace {

std::string calls;

int Record(const char* facility, int enable)
{
    calls += std::string(facility) + " " + std::to_string(enable) + "\n";
    return 1;
}

} // namespace

extern "C" {

int WINAPI ControlCtrlAltDel(int enable) { return Record("CtrlAltDel", enable); }
int WINAPI ControlSwitching(int enable) { return Record("Switching", enable); }
int WINAPI ControlTaskbar(int enable) { return Record("Taskbar", enable); }

// One line for each call so far: the facility and the argument.
const char* RecordedLockCalls() { return calls.c_str(); }

} // extern "C"
