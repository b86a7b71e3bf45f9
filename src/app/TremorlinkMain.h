#pragma once
// The body of the program's entry: the administrator and single-instance tests, then
// the main window and its message loop. Returns the exit code, 0 on every path.
#include "platform/SettingsStore.h"
#include "protection/ShockStateControl.h"

#include <memory>

class WMI;

using AdministratorTest = bool (*)();
using ShockStateOpener = std::unique_ptr<ShockStateControl> (*)();

// True when the process may manage the service control manager of this machine, which
// only an administrator may.
bool HasAdministratorRights();

// The shock-state control on the system volume "\\.\c:".
std::unique_ptr<ShockStateControl> OpenSystemVolume();

int TremorlinkMain(WMI& wmi, const SettingsStore& settings, AdministratorTest isAdministrator = &HasAdministratorRights,
                   ShockStateOpener openShockState = &OpenSystemVolume);
