#include "PowerLibrary.h"

#include <cstddef>
#include <iterator>
#include <utility>

namespace sim {

namespace {

// The library that the table's functions reach, as the system's library is reached through
// its exports: one per process.
PowerLibrary* g_library = nullptr;

// In the order of PowerCall.
constexpr const wchar_t* CallNames[] = {
    L"ReadGlobalPwrPolicy",    L"WriteGlobalPwrPolicy",    L"ReadPwrScheme",       L"WritePwrScheme",
    L"ReadProcessorPwrScheme", L"WriteProcessorPwrScheme", L"DeletePwrScheme",     L"GetActivePwrScheme",
    L"SetActivePwrScheme",     L"CanUserWritePwrScheme",   L"IsPwrSuspendAllowed", L"IsPwrHibernateAllowed",
};
static_assert(std::size(CallNames) == static_cast<std::size_t>(PowerCall::IsPwrHibernateAllowed) + 1);

bool NamesScheme(PowerCall call)
{
    switch (call) {
    case PowerCall::ReadPwrScheme:
    case PowerCall::WritePwrScheme:
    case PowerCall::ReadProcessorPwrScheme:
    case PowerCall::WriteProcessorPwrScheme:
    case PowerCall::DeletePwrScheme:
    case PowerCall::SetActivePwrScheme: return true;
    default: return false;
    }
}

std::optional<std::wstring> TextOrNothing(const wchar_t* text)
{
    return text != nullptr ? std::optional<std::wstring>(text) : std::nullopt;
}

} // namespace

// The table's functions: each records its call and, unless the call is set to fail, answers
// it from the library's state.
class PowerLibrary::Answer {
public:
    static BOOLEAN WINAPI ReadGlobalPwrPolicy(PGLOBAL_POWER_POLICY policy)
    {
        return Run({.call = PowerCall::ReadGlobalPwrPolicy},
                   [&](PowerState& state) { return state.ReadGlobalPwrPolicy(*policy); });
    }

    static BOOLEAN WINAPI WriteGlobalPwrPolicy(PGLOBAL_POWER_POLICY policy)
    {
        return Run({.call = PowerCall::WriteGlobalPwrPolicy, .globalPolicy = *policy},
                   [&](PowerState& state) { return state.WriteGlobalPwrPolicy(*policy); });
    }

    static BOOLEAN WINAPI ReadPwrScheme(UINT index, PPOWER_POLICY policy)
    {
        return Run({.call = PowerCall::ReadPwrScheme, .index = index},
                   [&](PowerState& state) { return state.ReadPwrScheme(index, *policy); });
    }

    static BOOLEAN WINAPI WritePwrScheme(PUINT index, LPWSTR name, LPWSTR description, PPOWER_POLICY policy)
    {
        return Run({.call = PowerCall::WritePwrScheme,
                    .index = *index,
                    .schemePolicy = *policy,
                    .name = TextOrNothing(name),
                    .description = TextOrNothing(description)},
                   [&](PowerState& state) { return state.WritePwrScheme(*index, name, description, *policy); });
    }

    static BOOLEAN WINAPI ReadProcessorPwrScheme(UINT index, PMACHINE_PROCESSOR_POWER_POLICY policy)
    {
        return Run({.call = PowerCall::ReadProcessorPwrScheme, .index = index},
                   [&](PowerState& state) { return state.ReadProcessorPwrScheme(index, *policy); });
    }

    static BOOLEAN WINAPI WriteProcessorPwrScheme(UINT index, PMACHINE_PROCESSOR_POWER_POLICY policy)
    {
        return Run({.call = PowerCall::WriteProcessorPwrScheme, .index = index, .processorPolicy = *policy},
                   [&](PowerState& state) { return state.WriteProcessorPwrScheme(index, *policy); });
    }

    static BOOLEAN WINAPI DeletePwrScheme(UINT index)
    {
        return Run({.call = PowerCall::DeletePwrScheme, .index = index},
                   [&](PowerState& state) { return state.DeletePwrScheme(index); });
    }

    static BOOLEAN WINAPI GetActivePwrScheme(PUINT index)
    {
        return Run({.call = PowerCall::GetActivePwrScheme},
                   [&](PowerState& state) { return state.GetActivePwrScheme(*index); });
    }

    static BOOLEAN WINAPI SetActivePwrScheme(UINT index, PGLOBAL_POWER_POLICY global, PPOWER_POLICY policy)
    {
        PowerCallRecord record{.call = PowerCall::SetActivePwrScheme, .index = index};
        if (global != nullptr) {
            record.globalPolicy = *global;
        }
        if (policy != nullptr) {
            record.schemePolicy = *policy;
        }
        return Run(std::move(record),
                   [&](PowerState& state) { return state.SetActivePwrScheme(index, global, policy); });
    }

    static BOOLEAN WINAPI CanUserWritePwrScheme()
    {
        return Run({.call = PowerCall::CanUserWritePwrScheme},
                   [](PowerState& state) { return state.CanUserWritePwrScheme(); });
    }

    static BOOLEAN WINAPI IsPwrSuspendAllowed()
    {
        return Run({.call = PowerCall::IsPwrSuspendAllowed},
                   [](PowerState& state) { return state.IsPwrSuspendAllowed(); });
    }

    static BOOLEAN WINAPI IsPwrHibernateAllowed()
    {
        return Run({.call = PowerCall::IsPwrHibernateAllowed},
                   [](PowerState& state) { return state.IsPwrHibernateAllowed(); });
    }

private:
    template <typename Body> static BOOLEAN Run(PowerCallRecord record, Body body)
    {
        if (g_library == nullptr) {
            return FALSE;
        }
        PowerLibrary& library = *g_library;
        record.succeeded = !library.m_failing.contains(record.call) && body(library.m_state);
        library.m_calls.push_back(std::move(record));
        return library.m_calls.back().succeeded ? TRUE : FALSE;
    }
};

PowerLibrary::PowerLibrary() { g_library = this; }

PowerLibrary::~PowerLibrary()
{
    if (g_library == this) {
        g_library = nullptr;
    }
}

PowerFunctions PowerLibrary::Functions() const
{
    return {
        .ReadGlobalPwrPolicy = &Answer::ReadGlobalPwrPolicy,
        .WriteGlobalPwrPolicy = &Answer::WriteGlobalPwrPolicy,
        .ReadPwrScheme = &Answer::ReadPwrScheme,
        .WritePwrScheme = &Answer::WritePwrScheme,
        .ReadProcessorPwrScheme = &Answer::ReadProcessorPwrScheme,
        .WriteProcessorPwrScheme = &Answer::WriteProcessorPwrScheme,
        .DeletePwrScheme = &Answer::DeletePwrScheme,
        .GetActivePwrScheme = &Answer::GetActivePwrScheme,
        .SetActivePwrScheme = &Answer::SetActivePwrScheme,
        .CanUserWritePwrScheme = &Answer::CanUserWritePwrScheme,
        .IsPwrSuspendAllowed = &Answer::IsPwrSuspendAllowed,
        .IsPwrHibernateAllowed = &Answer::IsPwrHibernateAllowed,
    };
}

void PowerLibrary::PutScheme(UINT index, const PowerSchemeEntry& scheme) { m_state.schemes[index] = scheme; }

std::optional<PowerSchemeEntry> PowerLibrary::Scheme(UINT index) const
{
    const auto scheme = m_state.schemes.find(index);
    return scheme != m_state.schemes.end() ? std::optional(scheme->second) : std::nullopt;
}

void PowerLibrary::SetGlobalPolicy(const GLOBAL_POWER_POLICY& policy) { m_state.global = policy; }

const GLOBAL_POWER_POLICY& PowerLibrary::GlobalPolicy() const { return m_state.global; }

void PowerLibrary::SetActiveScheme(UINT index) { m_state.active = index; }

UINT PowerLibrary::ActiveScheme() const { return m_state.active; }

void PowerLibrary::SetStandbyAllowed(bool allowed) { m_state.standbyAllowed = allowed; }

void PowerLibrary::SetHibernationAllowed(bool allowed) { m_state.hibernationAllowed = allowed; }

void PowerLibrary::SetUserMayWriteSchemes(bool allowed) { m_state.userMayWriteSchemes = allowed; }

void PowerLibrary::Fail(PowerCall call, bool fail)
{
    if (fail) {
        m_failing.insert(call);
    } else {
        m_failing.erase(call);
    }
}

const std::vector<PowerCallRecord>& PowerLibrary::Calls() const { return m_calls; }

std::vector<std::wstring> PowerLibrary::Log() const
{
    std::vector<std::wstring> log;
    for (const PowerCallRecord& record : m_calls) {
        std::wstring line = CallNames[static_cast<std::size_t>(record.call)];
        if (NamesScheme(record.call)) {
            line += L" " + std::to_wstring(record.index);
        }
        if (record.call == PowerCall::SetActivePwrScheme && record.globalPolicy) {
            line += L" global";
        }
        if (record.call == PowerCall::SetActivePwrScheme && record.schemePolicy) {
            line += L" scheme";
        }
        if (!record.succeeded) {
            line += L" = FALSE";
        }
        log.push_back(std::move(line));
    }
    return log;
}

std::vector<PowerCallRecord> PowerLibrary::Writes() const
{
    std::vector<PowerCallRecord> writes;
    for (const PowerCallRecord& record : m_calls) {
        switch (record.call) {
        case PowerCall::WriteGlobalPwrPolicy:
        case PowerCall::WritePwrScheme:
        case PowerCall::WriteProcessorPwrScheme:
        case PowerCall::DeletePwrScheme:
        case PowerCall::SetActivePwrScheme: writes.push_back(record); break;
        default: break;
        }
    }
    return writes;
}

void PowerLibrary::ClearCalls() { m_calls.clear(); }

} // namespace sim
