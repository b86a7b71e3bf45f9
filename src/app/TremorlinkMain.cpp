#include "app/TremorlinkMain.h"

#include "app/Form1.h"
#include "Handles.h"
#include "platform/Messages.h"
#include "protection/VolumeShockStateControl.h"

#include <windows.h>

bool HasAdministratorRights()
{
    const tl::unique_sc_handle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    return static_cast<bool>(manager);
}

std::unique_ptr<ShockStateControl> OpenSystemVolume() { return std::make_unique<VolumeShockStateControl>(); }

int TremorlinkMain(WMI& wmi, const SettingsStore& settings, AdministratorTest isAdministrator,
                   ShockStateOpener openShockState)
{
    // Both refusals are silent: no message, no window, and the running copy is not
    // brought forward.
    if (!isAdministrator()) {
        return 0;
    }
    if (FindWindowA(nullptr, MainWindowTitle) != nullptr) {
        return 0;
    }

    // While armed, a main thread that answers late must not get a ghost: Windows would put
    // a movable, closable copy of the prompt over the block.
    DisableProcessWindowsGhosting();
    const std::unique_ptr<ShockStateControl> shockState = openShockState();
    Form1 mainWindow(wmi, settings, *shockState, SystemPowerFunctions());
    // Without its window nothing could end the loop, nor would the next start find this
    // copy: a process that no one can see or end.
    if (!mainWindow.Create()) {
        return 0;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
