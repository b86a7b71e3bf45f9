#pragma once
// Where the simulated powrprof.dll keeps the power settings of a Wine prefix: the registry
// key HKLM\Software\Quen\TremorlinkSim\Power (64-bit view) of that prefix, so that they
// outlive the process that changed them and every process of the prefix sees the same.
// A prefix without the key has a notebook's settings as it comes (NotebookPowerState).
// Every access holds a lock that all processes share, so that a call of the library
// reads, changes and writes the settings as one step.
//
// Layout: GlobalPolicy (REG_BINARY, a GLOBAL_POWER_POLICY), ActiveScheme, StandbyAllowed,
// HibernationAllowed, UserMayWriteSchemes (REG_DWORD), and a subkey Schemes\<index> per
// scheme with Policy (REG_BINARY, a POWER_POLICY), ProcessorPolicy (REG_BINARY, a
// MACHINE_PROCESSOR_POWER_POLICY), Name and Description (REG_SZ).
#include "PowerState.h"

#include <functional>
#include <optional>

namespace sim {

inline constexpr wchar_t PowerStoreKey[] = L"Software\\Quen\\TremorlinkSim\\Power";

// The settings of the prefix; nullopt when what is stored cannot be read (a value missing,
// of another type or size), which no call of the library then replaces.
std::optional<PowerState> ReadStoredPowerState();
// Replaces what is stored.
bool StorePowerState(const PowerState& state);
// Removes what is stored: the prefix has a new notebook's settings again.
bool ClearStoredPowerState();

// Answers one call of the library on the stored settings: false, calling nothing, when they
// cannot be read; the settings the call changed are stored when it succeeds and writes.
bool AnswerFromStore(bool writes, const std::function<bool(PowerState&)>& call);

} // namespace sim
