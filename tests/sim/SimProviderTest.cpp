// The simulated provider's log and timeline, which the demo and the end-to-end tests read
// through TremorlinkSensor.exe.
#include "SimProvider.h"
#include "platform/WMI.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(SimProvider, LogShowsEachCallInOrderAsAPersonReadsIt)
{
    sim::Provider provider;
    WMI wmi(provider.Locator());

    ASSERT_EQ(S_OK, wmi.WMIEventRegister());
    EXPECT_TRUE(wmi.SetHDDProtection(false));
    VARIANT status;
    VariantInit(&status);
    status.vt = VT_I4;
    status.lVal = -7;
    EXPECT_EQ(WBEM_E_NOT_FOUND, wmi.WMIMethodExecSet(L"GSensorControl", LR"(GSensorControl.InstanceName="other")",
                                                     L"ParkHDD", L"uStatus", L"uReturn", status));
    VARIANT answer;
    VariantInit(&answer);
    EXPECT_EQ(S_OK, wmi.WMIMethodExecGet(LR"(GSensorControl.InstanceName="ACPI\\pnp0c14\\0_0")", L"ParkHDD", L"uReturn",
                                         &answer));
    VariantClear(&answer);
    EXPECT_EQ(S_OK, wmi.WMIEventUnRegister());

    EXPECT_EQ((std::vector<std::wstring>{
                  LR"(ExecNotificationQueryAsync WQL "SELECT * FROM GSensorEvent" flags=0x80)",
                  L"SetHDDProtection uStatus=0",
                  LR"(ParkHDD uStatus=-7 on GSensorControl.InstanceName="other")",
                  L"ParkHDD",
                  L"CancelAsyncCall",
              }),
              provider.Log());
}

TEST(SimProvider, TimelineShowsTheLogAndEachDeliveredEventWithItsTime)
{
    using namespace std::chrono_literals;
    sim::Provider provider;
    WMI wmi(provider.Locator());

    ASSERT_EQ(S_OK, wmi.WMIEventRegister());
    EXPECT_TRUE(wmi.SetHDDProtection(true));
    ASSERT_TRUE(provider.FireEvents({0x501, std::nullopt, -1}));
    Sleep(100);
    EXPECT_TRUE(wmi.FinishProcessEvent());

    const std::wstring subscription = LR"(ExecNotificationQueryAsync WQL "SELECT * FROM GSensorEvent" flags=0x80)";
    const std::vector<sim::TimedLine> timeline = provider.Timeline();
    std::vector<std::wstring> lines;
    for (const sim::TimedLine& entry : timeline) {
        lines.push_back(entry.line);
    }
    EXPECT_EQ((std::vector<std::wstring>{
                  subscription,
                  L"SetHDDProtection uStatus=1",
                  L"GSensorEvent uShock=0x501 delivered",
                  L"GSensorEvent without uShock delivered",
                  L"GSensorEvent uShock=0xFFFFFFFF delivered",
                  L"FinishProcessEvent uStatus=1",
              }),
              lines);
    EXPECT_EQ((std::vector<std::wstring>{subscription, L"SetHDDProtection uStatus=1", L"FinishProcessEvent uStatus=1"}),
              provider.Log())
        << "the log shows only what the program asked for";

    ASSERT_EQ(6u, timeline.size());
    EXPECT_GE(timeline.front().at, 0ms);
    for (size_t index = 1; index < timeline.size(); ++index) {
        EXPECT_LE(timeline[index - 1].at, timeline[index].at) << index;
    }
    EXPECT_GE(timeline[5].at - timeline[4].at, 90ms) << "the pause before the last call shows in its time";
}

} // namespace
