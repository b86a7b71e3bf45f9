#include "app/TremorlinkMain.h"

#include "app/Form1.h"
#include "platform/Handles.h"
#include "platform/Messages.h"

#include <windows.h>

bool HasAdministratorRights()
{
    const tl::unique_sc_handle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    return static_cast<bool>(manager);
}

int TremorlinkMain(WMI& wmi, const SettingsStore& settings, AdministratorTest isAdministrator)
{
    // Both refusals are silent: no message, no window, and the running copy is not
    // brought forward.
    if (!isAdministrator()) {
        return 0;
    }
    if (FindWindowA(nullptr, MainWindowTitle) != nullptr) {
        return 0;
    }

    Form1 mainWindow(wmi, settings);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
