// What scripts/sensor power shows a person for the power settings of the demo prefix.
#include "PowerReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PowerReport, ShowsEachSettingAsWindowsActsOnIt)
{
    EXPECT_EQ((std::vector<std::string>{"lid: stand by", "power button: shut down", "sleep button: stand by",
                                        "password on resume: on", "stand-by on AC: after 20 min",
                                        "stand-by on DC: after 5 min", "hibernation on AC: after 80 min",
                                        "hibernation on DC: after 35 min", "screen saver: on"}),
              sim::PowerReport(sim::NotebookPowerState(), true));

    // Armed as anti-theft leaves it, with a battery side that hibernates straight away.
    sim::PowerState armed = sim::NotebookPowerState();
    GLOBAL_USER_POWER_POLICY& global = armed.global.user;
    global.LidCloseAc.Action = PowerActionNone;
    global.PowerButtonAc = {PowerActionNone, 0, 0x80000000};
    global.SleepButtonAc = {PowerActionNone, 0, POWER_USER_NOTIFY_BUTTON};
    global.GlobalFlags &= ~EnablePasswordLogon;
    POWER_POLICY& scheme = armed.schemes.at(0).policy;
    scheme.mach.DozeS4TimeoutAc = 0;
    scheme.user.IdleDc.Action = PowerActionHibernate;
    scheme.user.IdleTimeoutDc = 90;
    EXPECT_EQ(
        (std::vector<std::string>{"lid: do nothing", "power button: do nothing", "sleep button: ask",
                                  "password on resume: off", "stand-by on AC: after 20 min", "stand-by on DC: never",
                                  "hibernation on AC: never", "hibernation on DC: after 90 s", "screen saver: off"}),
        sim::PowerReport(armed, false));

    armed.active = 3;
    EXPECT_EQ("active scheme 3: missing", sim::PowerReport(armed, false).at(4));
}

} // namespace
