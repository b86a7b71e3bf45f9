#include "PowerState.h"

#include <iterator>

namespace sim {

bool PowerState::ReadGlobalPwrPolicy(GLOBAL_POWER_POLICY& policy) const
{
    policy = global;
    return true;
}

bool PowerState::WriteGlobalPwrPolicy(const GLOBAL_POWER_POLICY& policy)
{
    global = policy;
    return true;
}

bool PowerState::ReadPwrScheme(UINT index, POWER_POLICY& policy) const
{
    const auto scheme = schemes.find(index);
    if (scheme == schemes.end()) {
        return false;
    }
    policy = scheme->second.policy;
    return true;
}

bool PowerState::WritePwrScheme(UINT& index, const wchar_t* name, const wchar_t* description,
                                const POWER_POLICY& policy)
{
    if (!userMayWriteSchemes) {
        return false;
    }
    UINT written = index;
    if (written == NEWSCHEME) {
        written = schemes.empty() ? 0 : std::prev(schemes.end())->first + 1;
    }
    PowerSchemeEntry& scheme = schemes[written];
    scheme.policy = policy;
    if (name != nullptr) {
        scheme.name = name;
    }
    if (description != nullptr) {
        scheme.description = description;
    }
    index = written;
    return true;
}

bool PowerState::ReadProcessorPwrScheme(UINT index, MACHINE_PROCESSOR_POWER_POLICY& policy) const
{
    const auto scheme = schemes.find(index);
    if (scheme == schemes.end()) {
        return false;
    }
    policy = scheme->second.processorPolicy;
    return true;
}

bool PowerState::WriteProcessorPwrScheme(UINT index, const MACHINE_PROCESSOR_POWER_POLICY& policy)
{
    // A processor policy belongs to a scheme that exists.
    const auto scheme = schemes.find(index);
    if (scheme == schemes.end()) {
        return false;
    }
    scheme->second.processorPolicy = policy;
    return true;
}

bool PowerState::DeletePwrScheme(UINT index)
{
    // As the system does, the active scheme is not deleted.
    return userMayWriteSchemes && index != active && schemes.erase(index) != 0;
}

bool PowerState::GetActivePwrScheme(UINT& index) const
{
    index = active;
    return true;
}

bool PowerState::SetActivePwrScheme(UINT index, const GLOBAL_POWER_POLICY* globalPolicy, const POWER_POLICY* policy)
{
    const auto scheme = schemes.find(index);
    if (scheme == schemes.end()) {
        return false;
    }
    // The policies handed over take effect with the scheme, and stay.
    active = index;
    if (globalPolicy != nullptr) {
        global = *globalPolicy;
    }
    if (policy != nullptr) {
        scheme->second.policy = *policy;
    }
    return true;
}

bool PowerState::CanUserWritePwrScheme() const { return userMayWriteSchemes; }

bool PowerState::IsPwrSuspendAllowed() const { return standbyAllowed; }

bool PowerState::IsPwrHibernateAllowed() const { return hibernationAllowed; }

PowerState NotebookPowerState()
{
    constexpr ULONG Minute = 60;
    PowerState state;

    GLOBAL_USER_POWER_POLICY& user = state.global.user;
    user.Revision = 1;
    user.PowerButtonAc.Action = PowerActionNone;
    user.PowerButtonAc.EventCode = POWER_USER_NOTIFY_SHUTDOWN;
    user.PowerButtonDc = user.PowerButtonAc;
    user.SleepButtonAc.Action = PowerActionSleep;
    user.SleepButtonDc = user.SleepButtonAc;
    user.LidCloseAc.Action = PowerActionSleep;
    user.LidCloseDc = user.LidCloseAc;
    user.GlobalFlags = EnableSysTrayBatteryMeter | EnablePasswordLogon;
    state.global.mach.Revision = 1;
    state.global.mach.LidOpenWakeAc = PowerSystemWorking;
    state.global.mach.LidOpenWakeDc = PowerSystemWorking;

    PowerSchemeEntry scheme{.name = L"Portable/Laptop", .description = L"For notebooks on the road"};
    USER_POWER_POLICY& policy = scheme.policy.user;
    policy.Revision = 1;
    policy.IdleAc.Action = PowerActionSleep;
    policy.IdleDc.Action = PowerActionSleep;
    policy.IdleTimeoutAc = 20 * Minute;
    policy.IdleTimeoutDc = 5 * Minute;
    policy.VideoTimeoutAc = 15 * Minute;
    policy.VideoTimeoutDc = 5 * Minute;
    policy.SpindownTimeoutAc = 30 * Minute;
    policy.SpindownTimeoutDc = 5 * Minute;
    policy.ForcedThrottleAc = 100;
    policy.ForcedThrottleDc = 100;
    scheme.policy.mach.Revision = 1;
    scheme.policy.mach.DozeS4TimeoutAc = 60 * Minute;
    scheme.policy.mach.DozeS4TimeoutDc = 30 * Minute;
    scheme.processorPolicy.Revision = 1;
    scheme.processorPolicy.ProcessorPolicyAc.DynamicThrottle = PO_THROTTLE_ADAPTIVE;
    scheme.processorPolicy.ProcessorPolicyDc.DynamicThrottle = PO_THROTTLE_ADAPTIVE;
    state.schemes.emplace(0, scheme);
    return state;
}

} // namespace sim
