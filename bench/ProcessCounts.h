#pragma once
// The resources a process holds, as the benchmarks count them: GDI and USER objects and
// kernel handles. Windows counts all three for any process; Wine 8 counts only kernel
// handles, so under Wine the GUI objects are counted from inside the process itself.
#include <windows.h>

#include <optional>

namespace bench {

struct ProcessCounts {
    int gdiObjects = 0;
    int userObjects = 0;
    int kernelHandles = 0;
};

// A process's memory in KiB. Wine reports no private bytes (0): then the working set is
// the figure to compare. The peak is the largest working set since the process started.
struct Memory {
    double privateKiB = 0;
    double workingSetKiB = 0;
    double peakWorkingSetKiB = 0;
};

// nullopt when the process's memory cannot be read.
std::optional<Memory> MemoryOf(HANDLE process);

// The kernel handles of a process, from the system's process list (what Task Manager
// shows); nullopt when it is not listed.
std::optional<int> KernelHandles(DWORD processId);

// This process's resources. Under Wine the GDI objects are the live, non-stock entries of
// the process's GDI handle table, and the USER objects are the windows, menus and
// icons or cursors that this process's handles reach.
ProcessCounts CountThisProcess();

// How CountThisProcess counted, for a note under the table.
const char* CountingMethod();

} // namespace bench
