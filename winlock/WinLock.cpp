// The exports of WinLock.dll. Each takes 0 to take its facility away and 1 to give it
// back, and answers 1 when the facility is as asked.
#include "PolicyLock.h"
#include "TaskbarLock.h"
#include "TaskSwitchLock.h"

#include <windows.h>

namespace {

// The taskbar catches up, on the hook's thread, with the taskbars that a display change
// brings while task switching is locked (the program locks both together).
TaskSwitchLock taskSwitching{&TaskbarLock::HideNew};

} // namespace

extern "C" int WINAPI ControlSwitching(int enable)
{
    if (enable == 0) {
        return taskSwitching.Lock() ? 1 : 0;
    }
    taskSwitching.Unlock();
    return 1;
}

extern "C" int WINAPI ControlCtrlAltDel(int enable)
{
    return (enable == 0 ? PolicyLock::Lock() : PolicyLock::Unlock()) ? 1 : 0;
}

extern "C" int WINAPI ControlTaskbar(int enable)
{
    return (enable == 0 ? TaskbarLock::Lock() : TaskbarLock::Unlock()) ? 1 : 0;
}
