#include "app/TremorlinkMain.h"
#include "platform/LibrarySearch.h"
#include "platform/WMI.h"

#include <windows.h>

// The one sensor-provider client. It connects while the process starts, before WinMain
// runs, and lives until the process ends. Its connection is the first thing that loads a
// library, so the library search is restricted just before it (a Windows that allows
// neither restriction runs the program all the same).
WMI* const WmiEvent = (static_cast<void>(RestrictLibrarySearch()), new WMI());

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return TremorlinkMain(*WmiEvent, SettingsStore()); }
