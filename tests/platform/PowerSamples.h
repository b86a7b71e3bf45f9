#pragma once
// Power policies for the tests of the code that reads and writes them: every field has a
// value of its own and the DC side other values than the AC side, so that a wrong field,
// side or unit shows as a difference in the policy the library ends up with.
#include "platform/PowerFunctions.h"

#include <cstddef>
#include <string>

namespace testsupport {

inline POWER_ACTION_POLICY Policy(POWER_ACTION action, DWORD flags, DWORD eventCode)
{
    return {action, flags, eventCode};
}

// The bytes of [0, size) that differ, one line each; empty when there are none.
inline std::string ByteDifferences(const char* part, const void* expected, const void* actual, std::size_t size)
{
    std::string differences;
    const auto* wanted = static_cast<const unsigned char*>(expected);
    const auto* got = static_cast<const unsigned char*>(actual);
    for (std::size_t offset = 0; offset < size; ++offset) {
        if (wanted[offset] != got[offset]) {
            differences += std::string(part) + " byte " + std::to_string(offset) + ": expected " +
                           std::to_string(wanted[offset]) + ", got " + std::to_string(got[offset]) + "\n";
        }
    }
    return differences;
}

inline std::string Differences(const GLOBAL_POWER_POLICY& expected, const GLOBAL_POWER_POLICY& actual)
{
    return ByteDifferences("global", &expected, &actual, sizeof expected);
}

inline std::string Differences(const MACHINE_PROCESSOR_POWER_POLICY& expected,
                               const MACHINE_PROCESSOR_POWER_POLICY& actual)
{
    return ByteDifferences("processor", &expected, &actual, sizeof expected);
}

inline std::string Differences(const POWER_POLICY& expected, const POWER_POLICY& actual)
{
    // USER_POWER_POLICY ends in single bytes and is padded behind them.
    constexpr std::size_t userSize = offsetof(USER_POWER_POLICY, ForcedThrottleDc) + 1;
    return ByteDifferences("user", &expected.user, &actual.user, userSize) +
           ByteDifferences("mach", &expected.mach, &actual.mach, sizeof expected.mach);
}

// Battery alarm i: action, notification bits and level of its own.
inline constexpr POWER_ACTION AlarmActions[] = {PowerActionNone, PowerActionSleep, PowerActionHibernate,
                                                PowerActionShutdownOff};
inline constexpr DWORD AlarmEventCodes[] = {0x1, 0x6, 0x80000003, 0x0};

inline GLOBAL_POWER_POLICY SampleGlobal()
{
    GLOBAL_POWER_POLICY global{};
    global.user.Revision = 1;
    global.user.PowerButtonAc = Policy(PowerActionSleep, 0x11, 0x19);
    global.user.PowerButtonDc = Policy(PowerActionHibernate, 0x12, 0x40000018);
    global.user.SleepButtonAc = Policy(PowerActionHibernate, 0x21, 0x18);
    global.user.SleepButtonDc = Policy(PowerActionSleep, 0x22, 0x1);
    global.user.LidCloseAc = Policy(PowerActionHibernate, 0x31, 0x2);
    global.user.LidCloseDc = Policy(PowerActionSleep, 0x32, 0x4);
    for (int i = 0; i < NUM_DISCHARGE_POLICIES; ++i) {
        SYSTEM_POWER_LEVEL& alarm = global.user.DischargePolicy[i];
        alarm.Enable = static_cast<BOOLEAN>(i % 2);
        alarm.BatteryLevel = 5 + 10 * i;
        alarm.PowerPolicy = Policy(AlarmActions[i], 0x40 + i, AlarmEventCodes[i]);
        alarm.MinSystemState = PowerSystemSleeping1;
    }
    global.user.GlobalFlags = EnableMultiBatteryDisplay | EnableVideoDimDisplay;
    global.mach.Revision = 1;
    global.mach.LidOpenWakeAc = PowerSystemWorking;
    global.mach.LidOpenWakeDc = PowerSystemSleeping3;
    global.mach.BroadcastCapacityResolution = 25;
    return global;
}

// The idle part of a scheme on the AC side.
struct Shape {
    const char* name;
    POWER_ACTION idleAction;
    ULONG idleSeconds;
    ULONG delaySeconds;
};

inline const Shape NoIdleAction{"no idle action", PowerActionSleep, 0, 0};
inline const Shape StandbyOnly{"stand-by after 10", PowerActionSleep, 600, 0};
inline const Shape StandbyThenHibernation{"stand-by after 10, hibernation after 40", PowerActionSleep, 600, 1800};
inline const Shape HibernationOnly{"hibernation after 20", PowerActionHibernate, 1200, 0};

inline POWER_POLICY SampleScheme(const Shape& shape = StandbyThenHibernation)
{
    POWER_POLICY scheme{};
    scheme.user.Revision = 1;
    scheme.user.IdleAc = Policy(shape.idleAction, 0x1, 0x2);
    scheme.user.IdleDc = Policy(PowerActionShutdownOff, 0x3, 0x4);
    scheme.user.IdleTimeoutAc = shape.idleSeconds;
    scheme.user.IdleTimeoutDc = 4321;
    scheme.user.IdleSensitivityAc = 50;
    scheme.user.IdleSensitivityDc = 60;
    scheme.user.MaxSleepAc = PowerSystemSleeping3;
    scheme.user.MaxSleepDc = PowerSystemHibernate;
    scheme.user.VideoTimeoutAc = 119;
    scheme.user.VideoTimeoutDc = 7200;
    scheme.user.SpindownTimeoutAc = 1260;
    scheme.user.SpindownTimeoutDc = 3600;
    scheme.user.ForcedThrottleAc = 90;
    scheme.user.ForcedThrottleDc = 70;
    scheme.mach.Revision = 1;
    scheme.mach.DozeS4TimeoutAc = shape.delaySeconds;
    scheme.mach.DozeS4TimeoutDc = 8765;
    scheme.mach.MinThrottleAc = 30;
    scheme.mach.MinThrottleDc = 20;
    return scheme;
}

inline MACHINE_PROCESSOR_POWER_POLICY SampleProcessor()
{
    MACHINE_PROCESSOR_POWER_POLICY processor{};
    processor.Revision = 1;
    processor.ProcessorPolicyAc.Revision = 1;
    processor.ProcessorPolicyAc.DynamicThrottle = PO_THROTTLE_ADAPTIVE;
    processor.ProcessorPolicyAc.PolicyCount = 3;
    processor.ProcessorPolicyDc.Revision = 1;
    processor.ProcessorPolicyDc.DynamicThrottle = PO_THROTTLE_CONSTANT;
    processor.ProcessorPolicyDc.PolicyCount = 2;
    return processor;
}

} // namespace testsupport
