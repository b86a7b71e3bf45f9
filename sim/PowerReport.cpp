#include "PowerReport.h"

namespace sim {

namespace {

std::string ActionText(const POWER_ACTION_POLICY& policy)
{
    switch (policy.Action) {
    case PowerActionNone:
        // Without an action of its own, a button may still ask or shut down through the
        // notification it sends.
        if ((policy.EventCode & POWER_USER_NOTIFY_SHUTDOWN) != 0) {
            return "shut down";
        }
        return (policy.EventCode & POWER_USER_NOTIFY_BUTTON) != 0 ? "ask" : "do nothing";
    case PowerActionSleep: return "stand by";
    case PowerActionHibernate: return "hibernate";
    case PowerActionShutdown:
    case PowerActionShutdownOff: return "shut down";
    case PowerActionShutdownReset: return "restart";
    default: return "action " + std::to_string(static_cast<int>(policy.Action));
    }
}

std::string Delay(ULONG seconds)
{
    if (seconds % 60 == 0) {
        return "after " + std::to_string(seconds / 60) + " min";
    }
    return "after " + std::to_string(seconds) + " s";
}

// The idle action starts after the idle time; hibernation follows stand-by after the doze
// time, or is the idle action itself.
std::string Standby(POWER_ACTION action, ULONG idle)
{
    return action == PowerActionSleep && idle != 0 ? Delay(idle) : "never";
}

std::string Hibernation(POWER_ACTION action, ULONG idle, ULONG doze)
{
    if (idle == 0) {
        return "never";
    }
    if (action == PowerActionHibernate) {
        return Delay(idle);
    }
    return action == PowerActionSleep && doze != 0 ? Delay(idle + doze) : "never";
}

} // namespace

std::vector<std::string> PowerReport(const PowerState& state, bool screenSaverActive)
{
    const GLOBAL_USER_POWER_POLICY& global = state.global.user;
    std::vector<std::string> lines{
        "lid: " + ActionText(global.LidCloseAc),
        "power button: " + ActionText(global.PowerButtonAc),
        "sleep button: " + ActionText(global.SleepButtonAc),
        std::string("password on resume: ") + ((global.GlobalFlags & EnablePasswordLogon) != 0 ? "on" : "off"),
    };
    const auto scheme = state.schemes.find(state.active);
    if (scheme == state.schemes.end()) {
        lines.push_back("active scheme " + std::to_string(state.active) + ": missing");
    } else {
        const USER_POWER_POLICY& user = scheme->second.policy.user;
        const MACHINE_POWER_POLICY& machine = scheme->second.policy.mach;
        lines.push_back("stand-by on AC: " + Standby(user.IdleAc.Action, user.IdleTimeoutAc));
        lines.push_back("stand-by on DC: " + Standby(user.IdleDc.Action, user.IdleTimeoutDc));
        lines.push_back("hibernation on AC: " +
                        Hibernation(user.IdleAc.Action, user.IdleTimeoutAc, machine.DozeS4TimeoutAc));
        lines.push_back("hibernation on DC: " +
                        Hibernation(user.IdleDc.Action, user.IdleTimeoutDc, machine.DozeS4TimeoutDc));
    }
    lines.push_back(std::string("screen saver: ") + (screenSaverActive ? "on" : "off"));
    return lines;
}

} // namespace sim
