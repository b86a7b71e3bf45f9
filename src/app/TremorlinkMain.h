#pragma once
// The body of the program's entry: the administrator and single-instance tests, then
// the main window and its message loop. Returns the exit code, 0 on every path.
#include "platform/SettingsStore.h"

class WMI;

using AdministratorTest = bool (*)();

// True when the process may manage the service control manager of this machine, which
// only an administrator may.
bool HasAdministratorRights();

int TremorlinkMain(WMI& wmi, const SettingsStore& settings,
                   AdministratorTest isAdministrator = &HasAdministratorRights);
