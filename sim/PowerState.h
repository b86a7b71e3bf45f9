#pragma once
// What a power-management library knows, and how it answers each of its functions on it:
// the table of power schemes with their scheme and processor policies, the global power
// policy, the active scheme, and what the platform allows. Shared by the in-memory library
// of the tests (PowerLibrary) and the simulated powrprof.dll, which keeps it in the
// registry of a Wine prefix (PowerStore.h).
//
// Reached through PowerFunctions.h, the one header that may bring the platform's power
// header, which has no include guard.
#include "platform/PowerFunctions.h"

#include <windows.h>

#include <map>
#include <string>

namespace sim {

struct PowerSchemeEntry {
    POWER_POLICY policy{};
    MACHINE_PROCESSOR_POWER_POLICY processorPolicy{};
    std::wstring name{};
    std::wstring description{};
};

// Each function has the name of the library function it answers and says whether that one
// succeeds, changing the state as the system's library does; a function that fails changes
// nothing.
struct PowerState {
    std::map<UINT, PowerSchemeEntry> schemes{};
    GLOBAL_POWER_POLICY global{};
    UINT active = 0;
    bool standbyAllowed = true;
    bool hibernationAllowed = true;
    // A user who may not write schemes has WritePwrScheme and DeletePwrScheme refused.
    bool userMayWriteSchemes = true;

    bool ReadGlobalPwrPolicy(GLOBAL_POWER_POLICY& policy) const;
    bool WriteGlobalPwrPolicy(const GLOBAL_POWER_POLICY& policy);
    bool ReadPwrScheme(UINT index, POWER_POLICY& policy) const;
    // index: NEWSCHEME asks for a new scheme, whose index comes back. A null name or
    // description keeps the scheme's own.
    bool WritePwrScheme(UINT& index, const wchar_t* name, const wchar_t* description, const POWER_POLICY& policy);
    bool ReadProcessorPwrScheme(UINT index, MACHINE_PROCESSOR_POWER_POLICY& policy) const;
    bool WriteProcessorPwrScheme(UINT index, const MACHINE_PROCESSOR_POWER_POLICY& policy);
    bool DeletePwrScheme(UINT index);
    bool GetActivePwrScheme(UINT& index) const;
    // Null policies leave the state's own in force.
    bool SetActivePwrScheme(UINT index, const GLOBAL_POWER_POLICY* global, const POWER_POLICY* policy);
    bool CanUserWritePwrScheme() const;
    bool IsPwrSuspendAllowed() const;
    bool IsPwrHibernateAllowed() const;
};

// A notebook as it comes: one active scheme, 0, "Portable/Laptop", that stands by after
// 20 minutes idle on AC (5 on battery) and hibernates 60 (30) minutes later; the lid stands
// by, the power button shuts down, the sleep button stands by, the password is asked for
// on resume, and the platform allows stand-by and hibernation.
PowerState NotebookPowerState();

} // namespace sim
