// The exports of the simulated powrprof.dll: the functions of the power-management library
// that the program uses, under their own names and signatures, answered from the power
// settings kept in the registry of the Wine prefix (PowerStore.h). Our scripts and tests
// put it in place of the system's library for Tremorlink.exe alone, in our prefixes only.
#include "PowerStore.h"

#include <windows.h>

namespace {

// Nothing may be thrown out of the library, and a null pointer is refused, not followed.
BOOLEAN Answer(bool writes, const std::function<bool(sim::PowerState&)>& call) noexcept
{
    try {
        return sim::AnswerFromStore(writes, call) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

constexpr bool Reads = false;
constexpr bool Writes = true;

} // namespace

BOOLEAN WINAPI ReadGlobalPwrPolicy(PGLOBAL_POWER_POLICY policy)
{
    return policy != nullptr &&
           Answer(Reads, [&](sim::PowerState& state) { return state.ReadGlobalPwrPolicy(*policy); });
}

BOOLEAN WINAPI WriteGlobalPwrPolicy(PGLOBAL_POWER_POLICY policy)
{
    return policy != nullptr &&
           Answer(Writes, [&](sim::PowerState& state) { return state.WriteGlobalPwrPolicy(*policy); });
}

BOOLEAN WINAPI ReadPwrScheme(UINT index, PPOWER_POLICY policy)
{
    return policy != nullptr &&
           Answer(Reads, [&](sim::PowerState& state) { return state.ReadPwrScheme(index, *policy); });
}

BOOLEAN WINAPI WritePwrScheme(PUINT index, LPWSTR name, LPWSTR description, PPOWER_POLICY policy)
{
    if (index == nullptr || policy == nullptr) {
        return FALSE;
    }
    // The index changes only when the scheme was written and stored.
    UINT written = *index;
    if (!Answer(Writes,
                [&](sim::PowerState& state) { return state.WritePwrScheme(written, name, description, *policy); })) {
        return FALSE;
    }
    *index = written;
    return TRUE;
}

BOOLEAN WINAPI ReadProcessorPwrScheme(UINT index, PMACHINE_PROCESSOR_POWER_POLICY policy)
{
    return policy != nullptr &&
           Answer(Reads, [&](sim::PowerState& state) { return state.ReadProcessorPwrScheme(index, *policy); });
}

BOOLEAN WINAPI WriteProcessorPwrScheme(UINT index, PMACHINE_PROCESSOR_POWER_POLICY policy)
{
    return policy != nullptr &&
           Answer(Writes, [&](sim::PowerState& state) { return state.WriteProcessorPwrScheme(index, *policy); });
}

BOOLEAN WINAPI DeletePwrScheme(UINT index)
{
    return Answer(Writes, [&](sim::PowerState& state) { return state.DeletePwrScheme(index); });
}

BOOLEAN WINAPI GetActivePwrScheme(PUINT index)
{
    return index != nullptr && Answer(Reads, [&](sim::PowerState& state) { return state.GetActivePwrScheme(*index); });
}

BOOLEAN WINAPI SetActivePwrScheme(UINT index, PGLOBAL_POWER_POLICY global, PPOWER_POLICY policy)
{
    return Answer(Writes, [&](sim::PowerState& state) { return state.SetActivePwrScheme(index, global, policy); });
}

BOOLEAN WINAPI CanUserWritePwrScheme()
{
    return Answer(Reads, [](sim::PowerState& state) { return state.CanUserWritePwrScheme(); });
}

BOOLEAN WINAPI IsPwrSuspendAllowed()
{
    return Answer(Reads, [](sim::PowerState& state) { return state.IsPwrSuspendAllowed(); });
}

BOOLEAN WINAPI IsPwrHibernateAllowed()
{
    return Answer(Reads, [](sim::PowerState& state) { return state.IsPwrHibernateAllowed(); });
}
