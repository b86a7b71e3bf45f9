// The simulated provider's log and timeline, which the demo and the end-to-end tests read
// through TremorlinkSensor.exe.
#include "Handles.h"
#include "SimProvider.h"
#include "platform/WMI.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {
const std::wstring Subscription = LR"(ExecNotificationQueryAsync WQL "SELECT * FROM GSensorEvent" flags=0x80)";

std::vector<std::wstring> LinesOf(const std::vector<sim::TimedLine>& timeline)
{
    std::vector<std::wstring> lines;
    std::ranges::transform(timeline, std::back_inserter(lines), &sim::TimedLine::line);
    return lines;
}

class SimProvider : public ::testing::Test {
protected:
    sim::Provider provider;
    WMI wmi{provider.Locator()};
};

TEST_F(SimProvider, LogShowsEachCallInOrderAsAPersonReadsIt)
{
    ASSERT_EQ(S_OK, wmi.WMIEventRegister());
    EXPECT_TRUE(wmi.SetHDDProtection(false));
    tl::unique_variant status;
    status->vt = VT_I4;
    status->lVal = -7;
    EXPECT_EQ(WBEM_E_NOT_FOUND, wmi.WMIMethodExecSet(L"GSensorControl", LR"(GSensorControl.InstanceName="other")",
                                                     L"ParkHDD", L"uStatus", L"uReturn", *status.get()));
    tl::unique_variant answer;
    EXPECT_EQ(S_OK, wmi.WMIMethodExecGet(LR"(GSensorControl.InstanceName="ACPI\\pnp0c14\\0_0")", L"ParkHDD", L"uReturn",
                                         answer.put()));
    EXPECT_EQ(S_OK, wmi.WMIEventUnRegister());

    EXPECT_EQ((std::vector<std::wstring>{
                  Subscription,
                  L"SetHDDProtection uStatus=0",
                  LR"(ParkHDD uStatus=-7 on GSensorControl.InstanceName="other")",
                  L"ParkHDD",
                  L"CancelAsyncCall",
              }),
              provider.Log());
}

TEST_F(SimProvider, TimelineShowsTheLogAndEachDeliveredEventWithItsTime)
{
    using namespace std::chrono_literals;
    ASSERT_EQ(S_OK, wmi.WMIEventRegister());
    EXPECT_TRUE(wmi.SetHDDProtection(true));
    ASSERT_TRUE(provider.FireEvents({0x501, std::nullopt, -1}));
    Sleep(100);
    EXPECT_TRUE(wmi.FinishProcessEvent());

    const std::vector<sim::TimedLine> timeline = provider.Timeline();
    EXPECT_EQ((std::vector<std::wstring>{
                  Subscription,
                  L"SetHDDProtection uStatus=1",
                  L"GSensorEvent uShock=0x501 delivered",
                  L"GSensorEvent without uShock delivered",
                  L"GSensorEvent uShock=0xFFFFFFFF delivered",
                  L"FinishProcessEvent uStatus=1",
              }),
              LinesOf(timeline));
    EXPECT_EQ((std::vector<std::wstring>{Subscription, L"SetHDDProtection uStatus=1", L"FinishProcessEvent uStatus=1"}),
              provider.Log())
        << "the log shows only what the program asked for";

    ASSERT_EQ(6u, timeline.size());
    EXPECT_GE(timeline.front().at, 0ms);
    for (size_t index = 1; index < timeline.size(); ++index) {
        EXPECT_LE(timeline[index - 1].at, timeline[index].at) << index;
    }
    EXPECT_GE(timeline[5].at - timeline[4].at, 90ms) << "the pause before the last call shows in its time";
}

// The alarm sound is the provider's, so the person at the demo reads it in the log.
TEST_F(SimProvider, WithoutRecordingCallsAndEventsStillWorkButLeaveNoTrace)
{
    EXPECT_EQ(nullptr, provider.Subscriber());
    ASSERT_EQ(S_OK, wmi.WMIEventRegister());
    EXPECT_NE(nullptr, provider.Subscriber()) << "the held sink is handed out";

    provider.SetRecording(false);
    EXPECT_TRUE(wmi.SetHDDProtection(true));
    EXPECT_TRUE(provider.FireEvents({0x501}));
    EXPECT_TRUE(provider.Calls().empty());
    EXPECT_EQ(1u, provider.Log().size()) << "only the subscription, made before";
    EXPECT_EQ(1u, provider.Timeline().size());

    provider.SetRecording(true);
    EXPECT_TRUE(wmi.FinishProcessEvent());
    EXPECT_EQ((std::vector<std::wstring>{Subscription, L"FinishProcessEvent uStatus=1"}), provider.Log());
    EXPECT_EQ(S_OK, wmi.WMIEventUnRegister());
}

TEST_F(SimProvider, AlarmSoundsOnAMovementWhileSystemProtectionIsOnUntilSwitchedOff)
{
    ASSERT_EQ(S_OK, wmi.WMIEventRegister());
    const auto move = [&] { ASSERT_TRUE(provider.FireEvents({0x502})); };

    const struct {
        const char* step;
        std::function<void()> act;
        const wchar_t* alarm; // the line it adds to the log, if any
    } steps[] = {
        {"movement, system protection never switched on", move, nullptr},
        {"system protection off", [&] { EXPECT_TRUE(wmi.SetNBProtection(false)); }, nullptr},
        {"movement, system protection off", move, nullptr},
        {"system protection on, refused by the provider",
         [&] {
             provider.FailMethod(L"SetSystemProtection", WBEM_E_FAILED);
             EXPECT_FALSE(wmi.SetNBProtection(true));
             provider.FailMethod(L"SetSystemProtection", WBEM_S_NO_ERROR);
         },
         nullptr},
        {"movement after the refusal", move, nullptr},
        {"system protection on", [&] { EXPECT_TRUE(wmi.SetNBProtection(true)); }, nullptr},
        {"shock, system protection on", [&] { ASSERT_TRUE(provider.FireEvents({0x501})); }, nullptr},
        {"movement, system protection on", move, L"alarm sounding"},
        {"movement while sounding", move, nullptr},
        {"hard-drive protection off", [&] { EXPECT_TRUE(wmi.SetHDDProtection(false)); }, nullptr},
        {"system protection off while sounding", [&] { EXPECT_TRUE(wmi.SetNBProtection(false)); }, L"alarm stopped"},
        {"system protection off again", [&] { EXPECT_TRUE(wmi.SetNBProtection(false)); }, nullptr},
        {"movement after disarming", move, nullptr},
    };
    for (const auto& step : steps) {
        const std::vector<std::wstring> before = provider.Log();
        step.act();
        const std::vector<std::wstring> after = provider.Log();
        std::vector<std::wstring> added(after.begin() + static_cast<std::ptrdiff_t>(before.size()), after.end());
        std::erase_if(added, [](const std::wstring& line) { return !line.starts_with(L"alarm"); });
        EXPECT_EQ(step.alarm ? std::vector<std::wstring>{step.alarm} : std::vector<std::wstring>{}, added) << step.step;
    }

    const std::vector<std::wstring> timeline = LinesOf(provider.Timeline());
    const auto sounding = std::ranges::find(timeline, L"alarm sounding");
    ASSERT_NE(timeline.end(), sounding);
    EXPECT_EQ(L"GSensorEvent uShock=0x502 delivered", *(sounding - 1)) << "sounds once the movement was delivered";
}

} // namespace
