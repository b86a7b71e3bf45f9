#include "app/SystemScreenSaver.h"

#include <windows.h>

// No update flags: the change lasts for this session and the user's profile keeps its own
// setting. The result is not reported.
void SystemScreenSaver::SetActive(bool active) { SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active, nullptr, 0); }
