#pragma once
// A simulated power-management library in memory, for tests and benchmarks: a PowerState
// that answers the functions of PowerFunctions as the system's library does, and a record
// of every call it receives, writes with a copy of what they handed over.
#include "PowerState.h"

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim {

// The library functions, named as the library names them.
enum class PowerCall {
    ReadGlobalPwrPolicy,
    WriteGlobalPwrPolicy,
    ReadPwrScheme,
    WritePwrScheme,
    ReadProcessorPwrScheme,
    WriteProcessorPwrScheme,
    DeletePwrScheme,
    GetActivePwrScheme,
    SetActivePwrScheme,
    CanUserWritePwrScheme,
    IsPwrSuspendAllowed,
    IsPwrHibernateAllowed,
};

// One call as the library received it.
struct PowerCallRecord {
    PowerCall call{};
    // The scheme index the call named (WritePwrScheme: as handed in), 0 for calls that name
    // none.
    UINT index = 0;
    bool succeeded = false;
    // Copies of what the call handed over; empty where it handed over nothing.
    std::optional<POWER_POLICY> schemePolicy{};
    std::optional<MACHINE_PROCESSOR_POWER_POLICY> processorPolicy{};
    std::optional<GLOBAL_POWER_POLICY> globalPolicy{};
    std::optional<std::wstring> name{};
    std::optional<std::wstring> description{};
};

// The functions of the table reach the PowerLibrary made last in the process, while it
// lives; without one they fail. Calls are expected from one thread.
class PowerLibrary {
public:
    PowerLibrary();
    PowerLibrary(const PowerLibrary&) = delete;
    PowerLibrary& operator=(const PowerLibrary&) = delete;
    ~PowerLibrary();

    // The table that a PwrScheme is given to reach this library.
    PowerFunctions Functions() const;

    void PutScheme(UINT index, const PowerSchemeEntry& scheme);
    std::optional<PowerSchemeEntry> Scheme(UINT index) const;
    void SetGlobalPolicy(const GLOBAL_POWER_POLICY& policy);
    const GLOBAL_POWER_POLICY& GlobalPolicy() const;
    // The active scheme need not be in the table; activating another one must be.
    void SetActiveScheme(UINT index);
    UINT ActiveScheme() const;

    // What IsPwrSuspendAllowed, IsPwrHibernateAllowed and CanUserWritePwrScheme answer (all
    // true at first). A user who may not write schemes has WritePwrScheme and
    // DeletePwrScheme refused.
    void SetStandbyAllowed(bool allowed);
    void SetHibernationAllowed(bool allowed);
    void SetUserMayWriteSchemes(bool allowed);
    // Every later call of that function reports failure and changes nothing, until it is
    // set not to fail again.
    void Fail(PowerCall call, bool fail = true);

    // Every call received, in order.
    const std::vector<PowerCallRecord>& Calls() const;
    // What a person watching the library reads, one line per call received, in order: the
    // function, the scheme index it named, whether it was handed a global ("global") or
    // scheme ("scheme") policy to apply, and "= FALSE" when it answered FALSE:
    // "SetActivePwrScheme 3 scheme = FALSE".
    std::vector<std::wstring> Log() const;
    // The calls received that change the library when they succeed (the writes, the
    // deletion and the activation), in order, whether they succeeded or not.
    std::vector<PowerCallRecord> Writes() const;
    void ClearCalls();

private:
    class Answer;

    PowerState m_state;
    std::set<PowerCall> m_failing;
    std::vector<PowerCallRecord> m_calls;
};

} // namespace sim
