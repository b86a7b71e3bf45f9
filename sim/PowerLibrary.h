#pragma once
// A simulated power-management library in memory, for tests and benchmarks: a table of
// power schemes with their scheme and processor policies, the global power policy, the
// active scheme, and what the platform allows. It answers the functions of PowerFunctions
// as the system's library does and records every call it receives, writes with a copy of
// what they handed over.
//
// The table it fills is its only tie to the program's sources, reached by a path of its own
// since this library's include path holds sim/ alone; that header also brings the
// platform's power header, which may be included only once.
#include "platform/PowerFunctions.h"

#include <windows.h>

#include <map>
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

struct PowerSchemeEntry {
    POWER_POLICY policy{};
    MACHINE_PROCESSOR_POWER_POLICY processorPolicy{};
    std::wstring name{};
    std::wstring description{};
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

    std::map<UINT, PowerSchemeEntry> m_schemes;
    GLOBAL_POWER_POLICY m_global{};
    UINT m_active = 0;
    bool m_standbyAllowed = true;
    bool m_hibernationAllowed = true;
    bool m_userMayWriteSchemes = true;
    std::set<PowerCall> m_failing;
    std::vector<PowerCallRecord> m_calls;
};

} // namespace sim
