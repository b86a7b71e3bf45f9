// PwrScheme over the simulated power library: each code and time against the policy fields
// it stands for, on both sides, and what reaches the library when.
#include "platform/PwrScheme.h"
#include "platform/PowerSamples.h"
#include "PowerLibrary.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace testsupport;
using sim::PowerCall;
using Log = std::vector<std::wstring>;

class PwrSchemeTest : public ::testing::Test {
protected:
    static constexpr UINT OtherIndex = 0;
    static constexpr UINT ActiveIndex = 3;

    PwrSchemeTest()
    {
        library.PutScheme(OtherIndex, {.policy = SampleScheme(HibernationOnly),
                                       .processorPolicy = SampleProcessor(),
                                       .name = L"Other",
                                       .description = L""});
        PutActive(SampleScheme());
        library.SetActiveScheme(ActiveIndex);
        library.SetGlobalPolicy(SampleGlobal());
    }

    void PutActive(const POWER_POLICY& policy, const MACHINE_PROCESSOR_POWER_POLICY& processor = SampleProcessor())
    {
        library.PutScheme(ActiveIndex,
                          {.policy = policy, .processorPolicy = processor, .name = L"Portable", .description = L""});
    }

    PwrScheme Fresh() const { return PwrScheme(library.Functions()); }

    // The global policy in the library after change was made to a freshly read copy that
    // was then written back.
    GLOBAL_POWER_POLICY GlobalAfter(const std::function<void(PwrScheme&)>& change)
    {
        PwrScheme scheme = Fresh();
        EXPECT_TRUE(scheme.InitGlobalPolicy());
        change(scheme);
        EXPECT_TRUE(scheme.ActivateGlobalPolicy());
        return library.GlobalPolicy();
    }

    // The active scheme in the library after the same with its copies.
    sim::PowerSchemeEntry SchemeAfter(const std::function<void(PwrScheme&)>& change)
    {
        PwrScheme scheme = Fresh();
        EXPECT_TRUE(scheme.InitScheme(ActiveIndex));
        change(scheme);
        EXPECT_TRUE(scheme.ActivateScheme(true));
        return *library.Scheme(ActiveIndex);
    }

    template <typename Getter> auto ReadGlobal(Getter getter) const
    {
        PwrScheme scheme = Fresh();
        EXPECT_TRUE(scheme.InitGlobalPolicy());
        return getter(std::as_const(scheme));
    }

    template <typename Getter> auto ReadScheme(Getter getter) const
    {
        PwrScheme scheme = Fresh();
        EXPECT_TRUE(scheme.InitScheme(ActiveIndex));
        return getter(std::as_const(scheme));
    }

    sim::PowerLibrary library;
};

// The lid and the two buttons: each has a code, read from the AC side, that stands for the
// action on both sides. The lid's codes name actions only and leave its event codes alone.
using UserPolicy = GLOBAL_USER_POWER_POLICY;
struct Switch {
    const char* name;
    POWER_ACTION_POLICY UserPolicy::*ac;
    POWER_ACTION_POLICY UserPolicy::*dc;
    int (PwrScheme::*get)() const;
    void (PwrScheme::*set)(int);
};

const Switch PowerButton{"power button", &UserPolicy::PowerButtonAc, &UserPolicy::PowerButtonDc,
                         &PwrScheme::GetPowerButtonAction, &PwrScheme::SetPowerButtonAction};
const Switch SleepButton{"sleep button", &UserPolicy::SleepButtonAc, &UserPolicy::SleepButtonDc,
                         &PwrScheme::GetSleepButtonAction, &PwrScheme::SetSleepButtonAction};
const Switch Lid{"lid", &UserPolicy::LidCloseAc, &UserPolicy::LidCloseDc, &PwrScheme::GetCloseLidAction,
                 &PwrScheme::SetCloseLidAction};
const Switch* const Switches[] = {&PowerButton, &SleepButton, &Lid};

TEST_F(PwrSchemeTest, SwitchCodesWriteBothSidesAndReadBackOthersChangeNothing)
{
    struct Row {
        const Switch* which;
        int code;
        // Nothing: the code changes nothing.
        std::optional<POWER_ACTION> action;
        DWORD eventAc;
        DWORD eventDc;
    };
    // A button's code 0 clears the ask and shut-down bits of each side's sample EventCode,
    // sets the reset bit and keeps the other bits.
    std::vector<Row> rows = {
        {&PowerButton, 0, PowerActionNone, 0x80000001, 0xC0000000},
        {&PowerButton, 1, PowerActionNone, 0x8, 0x8},
        {&PowerButton, 2, PowerActionSleep, 0, 0},
        {&PowerButton, 3, PowerActionHibernate, 0, 0},
        {&PowerButton, 4, PowerActionNone, 0x10, 0x10},
        {&SleepButton, 0, PowerActionNone, 0x80000000, 0x80000001},
        {&SleepButton, 1, PowerActionNone, 0x8, 0x8},
        {&SleepButton, 2, PowerActionSleep, 0, 0},
        {&SleepButton, 3, PowerActionHibernate, 0, 0},
        {&SleepButton, 4, PowerActionNone, 0x10, 0x10},
        {&Lid, 0, PowerActionNone, 0x2, 0x4},
        {&Lid, 1, PowerActionSleep, 0x2, 0x4},
        {&Lid, 2, PowerActionHibernate, 0x2, 0x4},
        {&Lid, 3, std::nullopt, 0, 0},
        {&Lid, 4, std::nullopt, 0, 0},
    };
    for (const Switch* which : Switches) {
        for (const int code : {5, -1, 99, 100, 102, 103, 108, INT_MIN, INT_MAX}) {
            rows.push_back({which, code, std::nullopt, 0, 0});
        }
    }
    for (const Row& row : rows) {
        const Switch& s = *row.which;
        SCOPED_TRACE(std::string(s.name) + " code " + std::to_string(row.code));
        library.SetGlobalPolicy(SampleGlobal());
        GLOBAL_POWER_POLICY expected = SampleGlobal();
        if (row.action) {
            expected.user.*s.ac = Policy(*row.action, (expected.user.*s.ac).Flags, row.eventAc);
            expected.user.*s.dc = Policy(*row.action, (expected.user.*s.dc).Flags, row.eventDc);
        }
        EXPECT_EQ("", Differences(expected, GlobalAfter([&](PwrScheme& scheme) { (scheme.*s.set)(row.code); })));
        if (row.action) {
            EXPECT_EQ(row.code, ReadGlobal([&](const PwrScheme& scheme) { return (scheme.*s.get)(); }));
        }
    }
}

TEST_F(PwrSchemeTest, SwitchCodeComesFromTheAcSide)
{
    const struct {
        std::uint32_t action;
        DWORD eventCode;
        int buttonCode;
        int lidCode;
    } rows[] = {
        {PowerActionNone, 0, 0, 0},
        {PowerActionNone, 0x8, 1, 0},
        {PowerActionNone, 0x80000008, 0, 0},
        {PowerActionNone, 0x10, 4, 0},
        {PowerActionNone, 0x18, 0, 0},
        {PowerActionNone, 0x80000000, 0, 0},
        {PowerActionSleep, 0x8, 2, 1},
        {PowerActionHibernate, 0x10, 3, 2},
        {PowerActionReserved, 0, 101, 101},
        {PowerActionShutdown, 0, 104, 104},
        {PowerActionShutdownReset, 0, 105, 105},
        {PowerActionShutdownOff, 0x8, 106, 106},
        {PowerActionWarmEject, 0, 107, 107},
        // A number that is no action at all, as a damaged policy may hold.
        {50, 0, PwrScheme::UnknownCode, PwrScheme::UnknownCode},
    };
    for (const Switch* which : Switches) {
        for (const auto& row : rows) {
            const Switch& s = *which;
            SCOPED_TRACE(std::string(s.name) + " action " + std::to_string(row.action) + " event code " +
                         std::to_string(row.eventCode));
            GLOBAL_POWER_POLICY global = SampleGlobal();
            (global.user.*s.ac).EventCode = row.eventCode;
            std::memcpy(&(global.user.*s.ac).Action, &row.action, sizeof row.action);
            library.SetGlobalPolicy(global);
            EXPECT_EQ(which == &Lid ? row.lidCode : row.buttonCode,
                      ReadGlobal([&](const PwrScheme& scheme) { return (scheme.*s.get)(); }));
        }
    }
}

// Anti-theft saves the codes, overrides with "do nothing" and later puts the saved codes back.
TEST_F(PwrSchemeTest, ActionsOutsideTheTablesArePutBackExactly)
{
    for (const POWER_ACTION action : {PowerActionReserved, PowerActionShutdown, PowerActionShutdownReset,
                                      PowerActionShutdownOff, PowerActionWarmEject}) {
        SCOPED_TRACE("action " + std::to_string(action));
        GLOBAL_POWER_POLICY original = SampleGlobal();
        original.user.LidCloseAc = Policy(action, 0x31, 0x2);
        original.user.LidCloseDc = Policy(action, 0x32, 0x4);
        original.user.PowerButtonAc = Policy(action, 0x11, 0);
        original.user.PowerButtonDc = Policy(action, 0x12, 0);
        original.user.SleepButtonAc = Policy(action, 0x21, 0);
        original.user.SleepButtonDc = Policy(action, 0x22, 0);
        library.SetGlobalPolicy(original);

        PwrScheme arming = Fresh();
        ASSERT_TRUE(arming.InitGlobalPolicy());
        const int lid = arming.GetCloseLidAction();
        const int powerButton = arming.GetPowerButtonAction();
        const int sleepButton = arming.GetSleepButtonAction();
        EXPECT_EQ(PwrScheme::OtherCodeBase + static_cast<int>(action), lid);
        arming.SetCloseLidAction(0);
        arming.SetPowerButtonAction(0);
        arming.SetSleepButtonAction(0);
        ASSERT_TRUE(arming.ActivateGlobalPolicy());
        EXPECT_EQ(PowerActionNone, library.GlobalPolicy().user.LidCloseDc.Action);
        EXPECT_EQ(PowerActionNone, library.GlobalPolicy().user.SleepButtonDc.Action);

        PwrScheme disarming = Fresh();
        ASSERT_TRUE(disarming.InitGlobalPolicy());
        disarming.SetCloseLidAction(lid);
        disarming.SetPowerButtonAction(powerButton);
        disarming.SetSleepButtonAction(sleepButton);
        ASSERT_TRUE(disarming.ActivateGlobalPolicy());
        EXPECT_EQ("", Differences(original, library.GlobalPolicy()));
    }
}

TEST_F(PwrSchemeTest, GlobalFlagsChangeOnlyTheirOwnBit)
{
    const struct {
        const char* name;
        ULONG bit;
        bool (PwrScheme::*get)() const;
        void (PwrScheme::*set)(bool);
    } flags[] = {
        {"password on resume", 0x4, &PwrScheme::GetPasswdLogonFlag, &PwrScheme::SetPasswdLogonFlag},
        {"battery meter", 0x1, &PwrScheme::GetSystemTrayIconFlag, &PwrScheme::SetSystemTrayIconFlag},
    };
    for (const auto& flag : flags) {
        for (const ULONG start : {flag.bit, ~flag.bit}) {
            for (const bool on : {false, true}) {
                SCOPED_TRACE(std::string(flag.name) + " from " + std::to_string(start) + (on ? " on" : " off"));
                GLOBAL_POWER_POLICY global = SampleGlobal();
                global.user.GlobalFlags = start;
                library.SetGlobalPolicy(global);
                EXPECT_EQ(start == flag.bit, ReadGlobal([&](const PwrScheme& s) { return (s.*flag.get)(); }));
                GLOBAL_POWER_POLICY expected = global;
                expected.user.GlobalFlags = on ? start | flag.bit : start & ~flag.bit;
                EXPECT_EQ("", Differences(expected, GlobalAfter([&](PwrScheme& s) { (s.*flag.set)(on); })));
            }
        }
    }
}

TEST_F(PwrSchemeTest, StandbyAndHibernationTimersAreAcMinutesInEachShape)
{
    const struct {
        Shape shape;
        std::uint32_t standby;
        std::uint32_t hibernation;
    } rows[] = {
        {NoIdleAction, 0, 0},
        {StandbyOnly, 10, 0},
        {StandbyThenHibernation, 10, 40},
        {HibernationOnly, 0, 20},
        {{"each part truncated on its own", PowerActionSleep, 90, 90}, 1, 2},
        {{"stand-by not in whole minutes", PowerActionSleep, 659, 0}, 10, 0},
        {{"hibernation not in whole minutes", PowerActionHibernate, 659, 0}, 0, 10},
        {{"hibernation delay alone", PowerActionSleep, 0, 1800}, 0, 30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape.name);
        PutActive(SampleScheme(row.shape));
        EXPECT_EQ(row.standby, ReadScheme([](const PwrScheme& s) { return s.GetStandbyTimer(); }));
        EXPECT_EQ(row.hibernation, ReadScheme([](const PwrScheme& s) { return s.GetHibernationTimer(); }));
    }
}

TEST_F(PwrSchemeTest, StandbyTimerMakesStandbyTheIdleActionOnBothSidesWhereAllowed)
{
    for (const Shape& shape : {NoIdleAction, StandbyOnly, StandbyThenHibernation, HibernationOnly}) {
        for (const std::uint32_t minutes : {0u, 15u}) {
            for (const bool allowed : {true, false}) {
                SCOPED_TRACE(std::string(shape.name) + ", " + std::to_string(minutes) + " minutes" +
                             (allowed ? "" : ", stand-by not allowed"));
                const POWER_POLICY before = SampleScheme(shape);
                PutActive(before);
                library.SetStandbyAllowed(allowed);
                POWER_POLICY expected = before;
                if (allowed) {
                    expected.user.IdleTimeoutAc = minutes * 60;
                    expected.user.IdleTimeoutDc = minutes * 60;
                    expected.user.IdleAc.Action = PowerActionSleep;
                    expected.user.IdleDc.Action = PowerActionSleep;
                }
                bool result = !allowed;
                const sim::PowerSchemeEntry after =
                    SchemeAfter([&](PwrScheme& s) { result = s.SetStandbyTimer(minutes); });
                EXPECT_EQ(allowed, result);
                EXPECT_EQ("", Differences(expected, after.policy));
            }
        }
    }
}

TEST_F(PwrSchemeTest, HibernationTimerSetsTheDelayAfterStandbyOrHibernatesDirectly)
{
    const struct {
        const char* name;
        Shape shape;
        std::uint32_t minutes;
        // The idle timeout written to both sides with hibernation as the idle action, if any.
        std::optional<ULONG> idle;
        ULONG delay;
        std::uint32_t readBack;
    } rows[] = {
        {"30 after stand-by at 10", StandbyOnly, 30, std::nullopt, 1200, 30},
        {"45 without idle action", NoIdleAction, 45, 2700, 0, 45},
        {"0 after stand-by", StandbyThenHibernation, 0, std::nullopt, 0, 0},
        {"0 keeps direct hibernation", HibernationOnly, 0, std::nullopt, 0, 20},
        {"total equal to stand-by", StandbyOnly, 10, std::nullopt, 0, 0},
        {"total below stand-by at 20", {"stand-by after 20", PowerActionSleep, 1200, 0}, 10, std::nullopt, 60, 21},
        {"beyond what seconds hold", NoIdleAction, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0xFFFFFFFF / 60},
    };
    for (const auto& row : rows) {
        for (const bool allowed : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (allowed ? "" : ", hibernation not allowed"));
            const POWER_POLICY before = SampleScheme(row.shape);
            PutActive(before);
            library.SetHibernationAllowed(allowed);
            POWER_POLICY expected = before;
            if (row.idle) {
                expected.user.IdleTimeoutAc = *row.idle;
                expected.user.IdleTimeoutDc = *row.idle;
                expected.user.IdleAc.Action = PowerActionHibernate;
                expected.user.IdleDc.Action = PowerActionHibernate;
            }
            if (allowed) {
                expected.mach.DozeS4TimeoutAc = row.delay;
                expected.mach.DozeS4TimeoutDc = row.delay;
            }
            bool result = !allowed;
            const sim::PowerSchemeEntry after =
                SchemeAfter([&](PwrScheme& s) { result = s.SetHibernationTimer(row.minutes); });
            EXPECT_EQ(allowed, result);
            EXPECT_EQ("", Differences(expected, after.policy));
            if (allowed) {
                EXPECT_EQ(row.readBack, ReadScheme([](const PwrScheme& s) { return s.GetHibernationTimer(); }));
            }
        }
    }
}

// Anti-theft keeps the stand-by time, switches hibernation off while armed and puts the
// saved total back when disarmed, each time on a fresh object.
TEST_F(PwrSchemeTest, TheBatterySideIsReadAndPutBackOnItsOwn)
{
    struct Case {
        Shape shape;
        std::uint32_t standby;
        std::uint32_t hibernation;
    };
    for (const Case& row : {Case{NoIdleAction, 0, 0}, Case{StandbyOnly, 10, 0}, Case{StandbyThenHibernation, 10, 40},
                            Case{HibernationOnly, 0, 20}}) {
        SCOPED_TRACE(row.shape.name);
        POWER_POLICY policy = SampleScheme(HibernationOnly);
        policy.user.IdleDc = Policy(row.shape.idleAction, 0x3, 0x4);
        policy.user.IdleTimeoutDc = row.shape.idleSeconds;
        policy.mach.DozeS4TimeoutDc = row.shape.delaySeconds;
        PutActive(policy);
        PwrScheme scheme = Fresh();
        ASSERT_TRUE(scheme.InitScheme(ActiveIndex));
        EXPECT_EQ(row.standby, scheme.GetStandbyTimerDc());
        EXPECT_EQ(row.hibernation, scheme.GetHibernationTimerDc());

        // Both sides set from the mains side's times, then the battery side put back.
        ASSERT_TRUE(scheme.SetStandbyTimer(5));
        ASSERT_TRUE(scheme.SetHibernationTimer(0));
        ASSERT_TRUE(scheme.SetBatteryTimers(row.standby, row.hibernation));
        EXPECT_EQ(row.standby, scheme.GetStandbyTimerDc());
        EXPECT_EQ(row.hibernation, scheme.GetHibernationTimerDc());
        EXPECT_EQ(5u, scheme.GetStandbyTimer()) << "the mains side stays as it is";
        EXPECT_EQ(0u, scheme.GetHibernationTimer());
    }
}

TEST_F(PwrSchemeTest, TimerPairsSurviveArmingAndDisarmingInEachShape)
{
    const struct {
        Shape shape;
        bool standbyAllowed;
        bool hibernationAllowed;
        std::uint32_t armedStandby, armedHibernation, restoredStandby, restoredHibernation;
    } rows[] = {
        {NoIdleAction, true, true, 0, 0, 0, 0},
        {StandbyOnly, true, true, 10, 0, 10, 0},
        {StandbyThenHibernation, true, true, 10, 0, 10, 40},
        {StandbyThenHibernation, false, true, 10, 0, 10, 40},
        {StandbyThenHibernation, true, false, 10, 40, 10, 40},
        {HibernationOnly, true, true, 0, 0, 0, 20},
        {HibernationOnly, false, true, 0, 20, 0, 20},
        {HibernationOnly, true, false, 0, 0, 0, 20},
    };
    const auto standby = [](const PwrScheme& s) { return s.GetStandbyTimer(); };
    const auto hibernation = [](const PwrScheme& s) { return s.GetHibernationTimer(); };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.shape.name) + (row.standbyAllowed ? "" : ", stand-by not allowed") +
                     (row.hibernationAllowed ? "" : ", hibernation not allowed"));
        PutActive(SampleScheme(row.shape));
        library.SetStandbyAllowed(row.standbyAllowed);
        library.SetHibernationAllowed(row.hibernationAllowed);

        PwrScheme arming = Fresh();
        ASSERT_TRUE(arming.InitScheme(arming.GetActiveSchemeIndex()));
        const std::uint32_t savedHibernation = arming.GetHibernationTimer();
        EXPECT_EQ(row.standbyAllowed, arming.SetStandbyTimer(arming.GetStandbyTimer()));
        EXPECT_EQ(row.hibernationAllowed, arming.SetHibernationTimer(0));
        EXPECT_TRUE(arming.ActivateScheme(true));
        EXPECT_EQ(row.armedStandby, ReadScheme(standby));
        EXPECT_EQ(row.armedHibernation, ReadScheme(hibernation));

        PwrScheme disarming = Fresh();
        ASSERT_TRUE(disarming.InitScheme(disarming.GetActiveSchemeIndex()));
        EXPECT_EQ(row.hibernationAllowed, disarming.SetHibernationTimer(savedHibernation));
        EXPECT_TRUE(disarming.ActivateScheme(true));
        EXPECT_EQ(row.restoredStandby, ReadScheme(standby));
        EXPECT_EQ(row.restoredHibernation, ReadScheme(hibernation));
    }
}

TEST_F(PwrSchemeTest, SchemeSettersWriteBothSidesInTheirUnit)
{
    using Expect = std::function<void(USER_POWER_POLICY&, PROCESSOR_POWER_POLICY&, PROCESSOR_POWER_POLICY&)>;
    const auto monitor = [](ULONG seconds) -> Expect {
        return [=](USER_POWER_POLICY& u, auto&, auto&) { u.VideoTimeoutAc = u.VideoTimeoutDc = seconds; };
    };
    const auto disk = [](ULONG seconds) -> Expect {
        return [=](USER_POWER_POLICY& u, auto&, auto&) { u.SpindownTimeoutAc = u.SpindownTimeoutDc = seconds; };
    };
    const auto throttle = [](UCHAR stored) -> Expect {
        return [=](USER_POWER_POLICY& u, auto&, auto&) { u.ForcedThrottleAc = u.ForcedThrottleDc = stored; };
    };
    const auto processor = [](BYTE mode) -> Expect {
        return [=](auto&, PROCESSOR_POWER_POLICY& ac, PROCESSOR_POWER_POLICY& dc) {
            ac.DynamicThrottle = dc.DynamicThrottle = mode;
        };
    };
    const Expect unchanged = [](auto&, auto&, auto&) {};
    const struct {
        const char* name;
        std::function<bool(PwrScheme&)> set;
        Expect expect;
    } cases[] = {
        {"monitor 7", [](PwrScheme& s) { return s.SetMonitorTimer(7); }, monitor(420)},
        {"monitor 0", [](PwrScheme& s) { return s.SetMonitorTimer(0); }, monitor(0)},
        {"monitor beyond seconds", [](PwrScheme& s) { return s.SetMonitorTimer(0xFFFFFFFF); }, monitor(0xFFFFFFFF)},
        {"disk 7", [](PwrScheme& s) { return s.SetHddTimer(7); }, disk(420)},
        {"disk beyond seconds", [](PwrScheme& s) { return s.SetHddTimer(0x04444445); }, disk(0xFFFFFFFF)},
        {"throttle 0x1234", [](PwrScheme& s) { return s.SetForceThrottle(0x1234); }, throttle(0x34)},
        {"throttle -1", [](PwrScheme& s) { return s.SetForceThrottle(-1); }, throttle(0xFF)},
        {"processor 1", [](PwrScheme& s) { return s.SetProcessorPolicy(1); }, processor(PO_THROTTLE_DEGRADE)},
        {"processor 2", [](PwrScheme& s) { return s.SetProcessorPolicy(2); }, processor(PO_THROTTLE_CONSTANT)},
        {"processor 3", [](PwrScheme& s) { return s.SetProcessorPolicy(3); }, processor(PO_THROTTLE_ADAPTIVE)},
        {"processor 4", [](PwrScheme& s) { return s.SetProcessorPolicy(4); }, processor(PO_THROTTLE_NONE)},
        {"processor 0", [](PwrScheme& s) { return s.SetProcessorPolicy(0); }, unchanged},
        {"processor 5", [](PwrScheme& s) { return s.SetProcessorPolicy(5); }, unchanged},
        {"processor -1", [](PwrScheme& s) { return s.SetProcessorPolicy(-1); }, unchanged},
        {"processor 100", [](PwrScheme& s) { return s.SetProcessorPolicy(100); }, unchanged},
        {"processor 104", [](PwrScheme& s) { return s.SetProcessorPolicy(104); }, unchanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PutActive(SampleScheme());
        POWER_POLICY expected = SampleScheme();
        MACHINE_PROCESSOR_POWER_POLICY expectedProcessor = SampleProcessor();
        c.expect(expected.user, expectedProcessor.ProcessorPolicyAc, expectedProcessor.ProcessorPolicyDc);
        bool result = false;
        const sim::PowerSchemeEntry after = SchemeAfter([&](PwrScheme& s) { result = c.set(s); });
        EXPECT_TRUE(result);
        EXPECT_EQ("", Differences(expected, after.policy) + Differences(expectedProcessor, after.processorPolicy));
    }
}

TEST_F(PwrSchemeTest, SchemeGettersReadTheAcSideInTheirUnit)
{
    EXPECT_EQ(1u, ReadScheme([](const PwrScheme& s) { return s.GetMonitorTimer(); }));
    EXPECT_EQ(21u, ReadScheme([](const PwrScheme& s) { return s.GetHddTimer(); }));
    EXPECT_EQ(90, ReadScheme([](const PwrScheme& s) { return s.GetForceThrottle(); }));
    const struct {
        BYTE mode;
        int code;
    } rows[] = {{PO_THROTTLE_DEGRADE, 1},
                {PO_THROTTLE_CONSTANT, 2},
                {PO_THROTTLE_ADAPTIVE, 3},
                {PO_THROTTLE_NONE, 4},
                {PO_THROTTLE_MAXIMUM, PwrScheme::UnknownCode}};
    for (const auto& row : rows) {
        SCOPED_TRACE("throttle mode " + std::to_string(row.mode));
        MACHINE_PROCESSOR_POWER_POLICY processor = SampleProcessor();
        processor.ProcessorPolicyAc.DynamicThrottle = row.mode;
        PutActive(SampleScheme(), processor);
        EXPECT_EQ(row.code, ReadScheme([](const PwrScheme& s) { return s.GetProcessorPolicy(); }));
    }
}

TEST_F(PwrSchemeTest, ProcessorCodeForASchemeByIndexReadsAndWritesThatScheme)
{
    EXPECT_TRUE(Fresh().SetProcessorPolicy(1, -1));
    EXPECT_EQ((Log{L"GetActivePwrScheme", L"ReadPwrScheme 3", L"ReadProcessorPwrScheme 3", L"WriteProcessorPwrScheme 3",
                   L"CanUserWritePwrScheme", L"WritePwrScheme 3", L"SetActivePwrScheme 3 scheme"}),
              library.Log());
    EXPECT_EQ(PO_THROTTLE_DEGRADE, library.Scheme(ActiveIndex)->processorPolicy.ProcessorPolicyDc.DynamicThrottle);

    library.ClearCalls();
    EXPECT_TRUE(Fresh().SetProcessorPolicy(4, OtherIndex));
    EXPECT_EQ((Log{L"ReadPwrScheme 0", L"ReadProcessorPwrScheme 0", L"WriteProcessorPwrScheme 0",
                   L"CanUserWritePwrScheme", L"WritePwrScheme 0"}),
              library.Log());
    EXPECT_EQ(PO_THROTTLE_NONE, library.Scheme(OtherIndex)->processorPolicy.ProcessorPolicyDc.DynamicThrottle);
    EXPECT_EQ(ActiveIndex, library.ActiveScheme());

    library.ClearCalls();
    library.SetUserMayWriteSchemes(false);
    EXPECT_FALSE(Fresh().SetProcessorPolicy(2, OtherIndex));
    EXPECT_EQ((Log{L"ReadPwrScheme 0", L"ReadProcessorPwrScheme 0", L"WriteProcessorPwrScheme 0",
                   L"CanUserWritePwrScheme = FALSE"}),
              library.Log());
}

TEST_F(PwrSchemeTest, ProcessorCodeForASchemeThatCannotBeReadWritesNothing)
{
    const struct {
        const char* name;
        std::optional<PowerCall> failing;
        int index;
    } rows[] = {
        {"no such scheme", std::nullopt, 7},
        {"scheme policy unreadable", PowerCall::ReadPwrScheme, 3},
        {"processor policy unreadable", PowerCall::ReadProcessorPwrScheme, 3},
        {"active scheme unknown", PowerCall::GetActivePwrScheme, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.failing) {
            library.Fail(*row.failing);
        }
        EXPECT_FALSE(Fresh().SetProcessorPolicy(1, row.index));
        EXPECT_TRUE(library.Writes().empty());
        if (row.failing) {
            library.Fail(*row.failing, false);
        }
    }
}

TEST_F(PwrSchemeTest, BatteryAlarmSettersChangeOnlyTheirFieldsOfTheirAlarm)
{
    constexpr DWORD text = POWER_LEVEL_USER_NOTIFY_TEXT;
    constexpr DWORD sound = POWER_LEVEL_USER_NOTIFY_SOUND;
    constexpr DWORD exec = POWER_LEVEL_USER_NOTIFY_EXEC;
    using Expect = std::function<void(SYSTEM_POWER_LEVEL&)>;
    const auto notify = [](DWORD bits) -> Expect {
        return [=](SYSTEM_POWER_LEVEL& a) {
            a.PowerPolicy.EventCode = (a.PowerPolicy.EventCode & ~(text | sound)) | bits;
        };
    };
    const auto action = [](POWER_ACTION value) -> Expect {
        return [=](SYSTEM_POWER_LEVEL& a) { a.PowerPolicy.Action = value; };
    };
    const Expect unchanged = [](SYSTEM_POWER_LEVEL&) {};
    const struct {
        const char* name;
        std::function<void(PwrScheme&, int)> set;
        Expect expect;
    } cases[] = {
        {"enable", [](PwrScheme& s, int i) { s.SetBattAlarmEnable(true, i); }, [](auto& a) { a.Enable = TRUE; }},
        {"disable", [](PwrScheme& s, int i) { s.SetBattAlarmEnable(false, i); }, [](auto& a) { a.Enable = FALSE; }},
        {"level", [](PwrScheme& s, int i) { s.SetBattAlarmLevel(77, i); }, [](auto& a) { a.BatteryLevel = 77; }},
        {"no notification", [](PwrScheme& s, int i) { s.SetBattAlarmNotify(0, i); }, notify(0)},
        {"sound", [](PwrScheme& s, int i) { s.SetBattAlarmNotify(1, i); }, notify(sound)},
        {"text", [](PwrScheme& s, int i) { s.SetBattAlarmNotify(2, i); }, notify(text)},
        {"text and sound", [](PwrScheme& s, int i) { s.SetBattAlarmNotify(3, i); }, notify(text | sound)},
        {"notification 4", [](PwrScheme& s, int i) { s.SetBattAlarmNotify(4, i); }, unchanged},
        {"notification -1", [](PwrScheme& s, int i) { s.SetBattAlarmNotify(-1, i); }, unchanged},
        {"run a program", [](PwrScheme& s, int i) { s.SetBattAlarmRunProgram(true, i); },
         [](auto& a) { a.PowerPolicy.EventCode |= exec; }},
        {"run no program", [](PwrScheme& s, int i) { s.SetBattAlarmRunProgram(false, i); },
         [](auto& a) { a.PowerPolicy.EventCode &= ~exec; }},
        {"no action", [](PwrScheme& s, int i) { s.SetBattAlarmAction(0, i); }, action(PowerActionNone)},
        {"stand by", [](PwrScheme& s, int i) { s.SetBattAlarmAction(1, i); }, action(PowerActionSleep)},
        {"hibernate", [](PwrScheme& s, int i) { s.SetBattAlarmAction(2, i); }, action(PowerActionHibernate)},
        {"shut down", [](PwrScheme& s, int i) { s.SetBattAlarmAction(3, i); }, action(PowerActionShutdownOff)},
        {"action outside the modes", [](PwrScheme& s, int i) { s.SetBattAlarmAction(104, i); },
         action(PowerActionShutdown)},
        {"action 4", [](PwrScheme& s, int i) { s.SetBattAlarmAction(4, i); }, unchanged},
        {"action -1", [](PwrScheme& s, int i) { s.SetBattAlarmAction(-1, i); }, unchanged},
        {"action 106", [](PwrScheme& s, int i) { s.SetBattAlarmAction(106, i); }, unchanged},
    };
    for (const int index : {0, 1, 2, 3, -1, NUM_DISCHARGE_POLICIES, INT_MAX}) {
        for (const auto& c : cases) {
            SCOPED_TRACE("alarm " + std::to_string(index) + ": " + c.name);
            library.SetGlobalPolicy(SampleGlobal());
            GLOBAL_POWER_POLICY expected = SampleGlobal();
            if (index >= 0 && index < NUM_DISCHARGE_POLICIES) {
                c.expect(expected.user.DischargePolicy[index]);
            }
            EXPECT_EQ("", Differences(expected, GlobalAfter([&](PwrScheme& s) { c.set(s, index); })));
        }
    }
}

TEST_F(PwrSchemeTest, BatteryAlarmGettersReadTheirOwnAlarm)
{
    GLOBAL_POWER_POLICY global = SampleGlobal();
    global.user.DischargePolicy[3].PowerPolicy.Action = PowerActionShutdown;
    library.SetGlobalPolicy(global);
    PwrScheme scheme = Fresh();
    ASSERT_TRUE(scheme.InitGlobalPolicy());
    const struct {
        int index;
        bool enable;
        std::uint32_t level;
        int notify;
        int action;
        int runProgram;
    } rows[] = {
        {0, false, 5, 2, 0, 0},       {1, true, 15, 1, 1, 1},  {2, false, 25, 3, 2, 0},
        {3, true, 35, 0, 104, 0},     {-1, false, 0, 0, 0, 0}, {NUM_DISCHARGE_POLICIES, false, 0, 0, 0, 0},
        {INT_MAX, false, 0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("alarm " + std::to_string(row.index));
        EXPECT_EQ(row.enable, scheme.GetBattAlarmEnable(row.index));
        EXPECT_EQ(row.level, scheme.GetBattAlarmLevel(row.index));
        EXPECT_EQ(row.notify, scheme.GetBattAlarmNotify(row.index));
        EXPECT_EQ(row.action, scheme.GetBattAlarmAction(row.index));
        EXPECT_EQ(row.runProgram, scheme.GetBattAlarmRunProgram(row.index));
    }
}

// What InitScheme reports is what the write operations go by: the scheme. A system that
// keeps no processor policy still has a scheme that may be read and written back.
TEST_F(PwrSchemeTest, InitReportsWhetherWhatTheWritesNeedWasRead)
{
    EXPECT_TRUE(Fresh().InitScheme(ActiveIndex));
    EXPECT_TRUE(Fresh().InitGlobalPolicy());
    EXPECT_FALSE(Fresh().InitScheme(7));
    for (const auto& [read, schemeRead] :
         {std::pair(PowerCall::ReadPwrScheme, false), std::pair(PowerCall::ReadProcessorPwrScheme, true)}) {
        library.Fail(read);
        EXPECT_EQ(schemeRead, Fresh().InitScheme(ActiveIndex));
        library.Fail(read, false);
    }
    library.Fail(PowerCall::ReadGlobalPwrPolicy);
    EXPECT_FALSE(Fresh().InitGlobalPolicy());
}

TEST_F(PwrSchemeTest, UnknownActiveSchemeLeadsToNoSchemeAndNothingRead)
{
    EXPECT_EQ(ActiveIndex, Fresh().GetActiveSchemeIndex());
    library.Fail(PowerCall::GetActivePwrScheme);
    library.ClearCalls();
    PwrScheme scheme = Fresh();
    const UINT index = scheme.GetActiveSchemeIndex();
    EXPECT_EQ(PwrScheme::NoScheme, index);
    EXPECT_FALSE(scheme.InitScheme(index));
    EXPECT_FALSE(scheme.ActivateScheme(true));
    EXPECT_EQ((Log{L"GetActivePwrScheme = FALSE"}), library.Log());
}

TEST_F(PwrSchemeTest, ActivateSchemeWritesProcessorThenSchemePolicyThenActivates)
{
    library.SetActiveScheme(OtherIndex);
    PwrScheme scheme = Fresh();
    ASSERT_TRUE(scheme.InitScheme(ActiveIndex));
    scheme.SetMonitorTimer(2);
    scheme.SetProcessorPolicy(4);
    library.ClearCalls();
    EXPECT_TRUE(scheme.ActivateScheme(true));
    EXPECT_EQ((Log{L"WriteProcessorPwrScheme 3", L"CanUserWritePwrScheme", L"WritePwrScheme 3",
                   L"SetActivePwrScheme 3 scheme"}),
              library.Log());
    const std::vector<sim::PowerCallRecord> writes = library.Writes();
    EXPECT_EQ(PO_THROTTLE_NONE, writes[0].processorPolicy->ProcessorPolicyAc.DynamicThrottle);
    EXPECT_EQ(120u, writes[1].schemePolicy->user.VideoTimeoutDc);
    EXPECT_FALSE(writes[1].name.has_value());
    EXPECT_FALSE(writes[1].description.has_value());
    EXPECT_EQ(120u, writes[2].schemePolicy->user.VideoTimeoutAc);
    EXPECT_EQ(ActiveIndex, library.ActiveScheme());

    library.SetActiveScheme(OtherIndex);
    library.ClearCalls();
    EXPECT_TRUE(scheme.ActivateScheme(false));
    EXPECT_EQ((Log{L"WriteProcessorPwrScheme 3", L"CanUserWritePwrScheme", L"WritePwrScheme 3"}), library.Log());
    EXPECT_EQ(OtherIndex, library.ActiveScheme());
}

TEST_F(PwrSchemeTest, ActivateSchemeFailsAtEachStepWithTheProcessorPolicyWritten)
{
    const struct {
        const char* name;
        bool userMayWrite;
        std::optional<PowerCall> failing;
        Log log;
    } rows[] = {
        {"user may not write schemes",
         false,
         std::nullopt,
         {L"WriteProcessorPwrScheme 3", L"CanUserWritePwrScheme = FALSE"}},
        {"scheme write refused",
         true,
         PowerCall::WritePwrScheme,
         {L"WriteProcessorPwrScheme 3", L"CanUserWritePwrScheme", L"WritePwrScheme 3 = FALSE"}},
        {"activation refused",
         true,
         PowerCall::SetActivePwrScheme,
         {L"WriteProcessorPwrScheme 3", L"CanUserWritePwrScheme", L"WritePwrScheme 3",
          L"SetActivePwrScheme 3 scheme = FALSE"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PutActive(SampleScheme());
        library.SetUserMayWriteSchemes(row.userMayWrite);
        if (row.failing) {
            library.Fail(*row.failing);
        }
        PwrScheme scheme = Fresh();
        ASSERT_TRUE(scheme.InitScheme(ActiveIndex));
        scheme.SetProcessorPolicy(1);
        library.ClearCalls();
        EXPECT_FALSE(scheme.ActivateScheme(true));
        EXPECT_EQ(row.log, library.Log());
        EXPECT_EQ(PO_THROTTLE_DEGRADE, library.Scheme(ActiveIndex)->processorPolicy.ProcessorPolicyDc.DynamicThrottle);
        library.SetUserMayWriteSchemes(true);
        if (row.failing) {
            library.Fail(*row.failing, false);
        }
    }
}

TEST_F(PwrSchemeTest, GlobalPolicyIsWrittenAndAppliedThroughTheActiveScheme)
{
    const struct {
        const char* name;
        std::optional<PowerCall> failing;
        bool result;
        Log log;
    } rows[] = {
        {"all succeed",
         std::nullopt,
         true,
         {L"WriteGlobalPwrPolicy", L"GetActivePwrScheme", L"SetActivePwrScheme 3 global"}},
        {"write refused",
         PowerCall::WriteGlobalPwrPolicy,
         false,
         {L"WriteGlobalPwrPolicy = FALSE", L"GetActivePwrScheme", L"SetActivePwrScheme 3 global"}},
        {"active scheme unknown",
         PowerCall::GetActivePwrScheme,
         false,
         {L"WriteGlobalPwrPolicy", L"GetActivePwrScheme = FALSE"}},
        {"activation refused",
         PowerCall::SetActivePwrScheme,
         false,
         {L"WriteGlobalPwrPolicy", L"GetActivePwrScheme", L"SetActivePwrScheme 3 global = FALSE"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PwrScheme scheme = Fresh();
        ASSERT_TRUE(scheme.InitGlobalPolicy());
        scheme.SetPasswdLogonFlag(true);
        if (row.failing) {
            library.Fail(*row.failing);
        }
        library.ClearCalls();
        EXPECT_EQ(row.result, scheme.ActivateGlobalPolicy());
        EXPECT_EQ(row.log, library.Log());
        for (const sim::PowerCallRecord& write : library.Writes()) {
            EXPECT_EQ(ULONG{EnableMultiBatteryDisplay | EnableVideoDimDisplay | EnablePasswordLogon},
                      write.globalPolicy->user.GlobalFlags);
        }
        if (row.failing) {
            library.Fail(*row.failing, false);
        }
    }
}

TEST_F(PwrSchemeTest, NothingIsWrittenFromCopiesThatWereNotRead)
{
    {
        SCOPED_TRACE("never read");
        PwrScheme scheme = Fresh();
        EXPECT_FALSE(scheme.ActivateGlobalPolicy());
        EXPECT_FALSE(scheme.ActivateScheme(true));
        EXPECT_FALSE(scheme.CreateScheme(NEWSCHEME, L"New", L""));
        EXPECT_TRUE(library.Calls().empty());
    }
    for (const PowerCall failing : {PowerCall::ReadGlobalPwrPolicy, PowerCall::ReadPwrScheme}) {
        SCOPED_TRACE(failing == PowerCall::ReadGlobalPwrPolicy ? "global policy not read" : "scheme policy not read");
        library.Fail(failing);
        PwrScheme scheme = Fresh();
        EXPECT_EQ(failing != PowerCall::ReadGlobalPwrPolicy, scheme.InitGlobalPolicy());
        EXPECT_EQ(failing != PowerCall::ReadPwrScheme, scheme.InitScheme(scheme.GetActiveSchemeIndex()));
        scheme.SetCloseLidAction(0);
        scheme.SetPasswdLogonFlag(false);
        EXPECT_TRUE(scheme.SetHibernationTimer(0));
        library.ClearCalls();
        if (failing == PowerCall::ReadGlobalPwrPolicy) {
            EXPECT_FALSE(scheme.ActivateGlobalPolicy());
        } else {
            EXPECT_FALSE(scheme.ActivateScheme(true));
            EXPECT_FALSE(scheme.CreateScheme(NEWSCHEME, L"New", L""));
        }
        EXPECT_TRUE(library.Calls().empty());
        library.Fail(failing, false);
    }
    {
        SCOPED_TRACE("a failed read after a good one");
        PwrScheme scheme = Fresh();
        ASSERT_TRUE(scheme.InitScheme(ActiveIndex));
        EXPECT_FALSE(scheme.InitScheme(7));
        library.ClearCalls();
        EXPECT_FALSE(scheme.ActivateScheme(true));
        EXPECT_TRUE(library.Calls().empty());
    }
    {
        SCOPED_TRACE("processor policy not read");
        library.Fail(PowerCall::ReadProcessorPwrScheme);
        PwrScheme scheme = Fresh();
        EXPECT_TRUE(scheme.InitScheme(ActiveIndex));
        library.ClearCalls();
        EXPECT_TRUE(scheme.ActivateScheme(true));
        EXPECT_EQ((Log{L"CanUserWritePwrScheme", L"WritePwrScheme 3", L"SetActivePwrScheme 3 scheme"}), library.Log());
    }
}

TEST_F(PwrSchemeTest, CreateSchemeWritesTheCopiesAsTheSchemeTheObjectThenStandsFor)
{
    PwrScheme scheme = Fresh();
    ASSERT_TRUE(scheme.InitScheme(ActiveIndex));
    scheme.SetMonitorTimer(5);
    scheme.SetProcessorPolicy(4);
    library.ClearCalls();
    EXPECT_TRUE(scheme.CreateScheme(NEWSCHEME, L"Anti-Theft", L"While armed"));
    EXPECT_EQ((Log{L"WritePwrScheme 4294967295", L"WriteProcessorPwrScheme 4"}), library.Log());
    const std::optional<sim::PowerSchemeEntry> created = library.Scheme(4);
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(L"Anti-Theft", created->name);
    EXPECT_EQ(L"While armed", created->description);
    EXPECT_EQ(300u, created->policy.user.VideoTimeoutDc);
    EXPECT_EQ(PO_THROTTLE_NONE, created->processorPolicy.ProcessorPolicyDc.DynamicThrottle);

    library.ClearCalls();
    EXPECT_TRUE(scheme.ActivateScheme(true));
    EXPECT_EQ(4u, library.ActiveScheme());

    library.SetUserMayWriteSchemes(false);
    library.ClearCalls();
    EXPECT_FALSE(scheme.CreateScheme(NEWSCHEME, L"Refused", L""));
    EXPECT_EQ((Log{L"WritePwrScheme 4294967295 = FALSE"}), library.Log());
    library.SetUserMayWriteSchemes(true);
    library.ClearCalls();
    EXPECT_TRUE(scheme.ActivateScheme(false));
    EXPECT_EQ((Log{L"WriteProcessorPwrScheme 4", L"CanUserWritePwrScheme", L"WritePwrScheme 4"}), library.Log());
}

TEST_F(PwrSchemeTest, DeleteSchemeReportsTheLibrarysAnswerAndLeavesNothingToWriteBack)
{
    PwrScheme scheme = Fresh();
    ASSERT_TRUE(scheme.InitScheme(ActiveIndex));
    EXPECT_FALSE(scheme.DeleteScheme(ActiveIndex));
    EXPECT_TRUE(scheme.DeleteScheme(OtherIndex));
    EXPECT_FALSE(library.Scheme(OtherIndex).has_value());
    library.ClearCalls();
    EXPECT_FALSE(scheme.ActivateScheme(true));
    EXPECT_TRUE(library.Calls().empty());
}

} // namespace
