// The simulated provider's log, which the demo and the end-to-end tests read through
// TremorlinkSensor.exe.
#include "SimProvider.h"
#include "platform/WMI.h"

#include <gtest/gtest.h>

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

} // namespace
