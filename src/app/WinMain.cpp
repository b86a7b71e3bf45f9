#include "app/TremorlinkMain.h"
#include "platform/WMI.h"

#include <windows.h>

// The one sensor-provider client. It connects while the process starts, before WinMain
// runs, and lives until the process ends.
WMI* const WmiEvent = new WMI();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return TremorlinkMain(*WmiEvent, SettingsStore()); }
