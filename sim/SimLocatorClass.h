#pragma once
// The class that TremorlinkSimProvider.dll serves: the simulated provider's locator.
//
// Our scripts and end-to-end tests put the DLL in place of WMI inside their own Wine
// prefixes only, never on a Windows machine: CLSID_WbemLocator gets a TreatAs entry that
// names this class, and this class gets the DLL as its InprocServer32 (ThreadingModel
// Both). Wine looks classes up under HKEY_LOCAL_MACHINE\Software\Classes only, so the
// entries go there; removing the TreatAs key gives the prefix its own WMI back, and the
// system's registration of CLSID_WbemLocator is never touched.
#include <windows.h>

namespace sim {

// {1FBDE939-3573-4357-9F09-1DEC097C5718}
inline constexpr CLSID CLSID_TremorlinkSimLocator = {
    0x1FBDE939, 0x3573, 0x4357, {0x9F, 0x09, 0x1D, 0xEC, 0x09, 0x7C, 0x57, 0x18}};

} // namespace sim
