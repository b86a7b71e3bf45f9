#include "platform/WMI.h"

#include "platform/MainWindowStandIn.h"
#include "Handles.h"
#include "SimProvider.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using testsupport::MainWindowStandIn;
using testsupport::Movement;
using testsupport::PostedMessage;
using testsupport::Shock;

// The provider's one instance: 48 characters, each backslash of ACPI\pnp0c14\0_0 doubled.
const std::wstring InstancePath = LR"(GSensorControl.InstanceName="ACPI\\pnp0c14\\0_0")";

constexpr HRESULT Failed = static_cast<HRESULT>(0x80041001);
constexpr HRESULT NotFound = WBEM_E_NOT_FOUND;
constexpr HRESULT AccessDenied = WBEM_E_ACCESS_DENIED;
constexpr HRESULT InvalidClass = WBEM_E_INVALID_CLASS;

sim::MethodCall SwitchCall(const wchar_t* method, int status)
{
    return {L"GSensorControl", InstancePath, method, L"uStatus", status};
}

tl::unique_variant Int32(int number)
{
    tl::unique_variant value;
    value->vt = VT_I4;
    value->lVal = number;
    return value;
}

TEST(WMI, EachSwitchCallsItsProviderMethodWithItsStatus)
{
    sim::Provider provider;
    WMI wmi(provider.Locator());

    EXPECT_TRUE(wmi.SetHDDProtection(true));
    EXPECT_TRUE(wmi.SetHDDProtection(false));
    EXPECT_TRUE(wmi.SetNBProtection(true));
    EXPECT_TRUE(wmi.SetNBProtection(false));
    EXPECT_TRUE(wmi.FinishProcessEvent());
    EXPECT_TRUE(wmi.ParkHDD());

    EXPECT_EQ((std::vector<sim::MethodCall>{
                  SwitchCall(L"SetHDDProtection", 1),
                  SwitchCall(L"SetHDDProtection", 0),
                  SwitchCall(L"SetSystemProtection", 1),
                  SwitchCall(L"SetSystemProtection", 0),
                  SwitchCall(L"FinishProcessEvent", 1),
                  SwitchCall(L"ParkHDD", 1),
              }),
              provider.Calls());
}

TEST(WMI, SwitchesReportAFailingProvider)
{
    {
        sim::Provider provider;
        provider.SetAbsent(true);
        WMI wmi(provider.Locator());
        EXPECT_FALSE(wmi.SetHDDProtection(true));
        EXPECT_FALSE(wmi.SetNBProtection(false));
        EXPECT_FALSE(wmi.FinishProcessEvent());
        EXPECT_FALSE(wmi.ParkHDD());
        EXPECT_EQ(Failed, wmi.WMIAPExist(0));
        // Without the class no call gets as far as the instance.
        EXPECT_TRUE(provider.Calls().empty());
    }
    {
        sim::Provider provider;
        provider.FailMethod(L"SetHDDProtection", WBEM_E_PROVIDER_FAILURE);
        WMI wmi(provider.Locator());
        EXPECT_FALSE(wmi.SetHDDProtection(true));
        EXPECT_FALSE(wmi.SetHDDProtection(false));
        EXPECT_TRUE(wmi.SetNBProtection(true));
        EXPECT_EQ(3u, provider.Calls().size());
    }
}

TEST(WMI, MethodCallStopsAtTheFirstFailingStep)
{
    sim::Provider provider;
    WMI wmi(provider.Locator());
    const tl::unique_variant one = Int32(1);

    // GetObject, GetMethod and Put fail before anything reaches the provider's instance.
    EXPECT_EQ(NotFound, wmi.WMIMethodExecSet(L"GSensorEvent", InstancePath.c_str(), L"ParkHDD", L"uStatus", L"uReturn",
                                             *one.get()));
    EXPECT_EQ(NotFound, wmi.WMIMethodExecSet(L"GSensorControl", InstancePath.c_str(), L"Park", L"uStatus", L"uReturn",
                                             *one.get()));
    EXPECT_EQ(NotFound, wmi.WMIMethodExecSet(L"GSensorControl", InstancePath.c_str(), L"ParkHDD", L"uFlag", L"uReturn",
                                             *one.get()));
    EXPECT_TRUE(provider.Calls().empty());

    // ExecMethod on an instance path with single backslashes finds nothing.
    const wchar_t* const unescaped = LR"(GSensorControl.InstanceName="ACPI\pnp0c14\0_0")";
    EXPECT_EQ(NotFound,
              wmi.WMIMethodExecSet(L"GSensorControl", unescaped, L"ParkHDD", L"uStatus", L"uReturn", *one.get()));
    // The call is made, but the answer has no such out-parameter.
    EXPECT_EQ(NotFound, wmi.WMIMethodExecSet(L"GSensorControl", InstancePath.c_str(), L"ParkHDD", L"uStatus",
                                             L"uErrorCode", *one.get()));
    EXPECT_EQ(S_OK, wmi.WMIMethodExecSet(L"GSensorControl", InstancePath.c_str(), L"ParkHDD", L"uStatus", L"uReturn",
                                         *one.get()));
    const std::vector<sim::MethodCall> calls = provider.Calls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(unescaped, calls[0].instancePath);
    EXPECT_EQ(SwitchCall(L"ParkHDD", 1), calls[1]);
    EXPECT_EQ(SwitchCall(L"ParkHDD", 1), calls[2]);
}

TEST(WMI, MethodExecGetHandsTheOutParameterToTheCaller)
{
    sim::Provider provider;
    provider.SetFireGEventErrorCode(7);
    WMI wmi(provider.Locator());

    tl::unique_variant result;
    EXPECT_EQ(S_OK, wmi.WMIMethodExecGet(InstancePath.c_str(), L"FireGEvent", L"uErrorCode", result.put()));
    EXPECT_EQ(VT_I4, result->vt);
    EXPECT_EQ(7, result->lVal);
    EXPECT_EQ((sim::MethodCall{L"GSensorControl", InstancePath, L"FireGEvent", L"", 0}), provider.Calls().at(0));

    provider.FailMethod(L"FireGEvent", WBEM_E_ACCESS_DENIED);
    tl::unique_variant untouched;
    EXPECT_EQ(AccessDenied, wmi.WMIMethodExecGet(InstancePath.c_str(), L"FireGEvent", L"uErrorCode", untouched.put()));
    EXPECT_EQ(VT_EMPTY, untouched->vt);
}

TEST(WMI, APExistSucceedsOnlyWhenTheProviderAnswersWithoutError)
{
    sim::Provider provider;
    WMI wmi(provider.Locator());

    EXPECT_EQ(S_OK, wmi.WMIAPExist(3));
    EXPECT_EQ((sim::MethodCall{L"GSensorControl", InstancePath, L"FireGEvent", L"uFlag", 3}), provider.Calls().back());

    for (const int errorCode : {1, 0x501, -1, INT_MIN}) {
        provider.SetFireGEventErrorCode(errorCode);
        EXPECT_EQ(Failed, wmi.WMIAPExist(0)) << errorCode;
    }
    provider.SetFireGEventErrorCode(0);
    provider.FailMethod(L"FireGEvent", WBEM_E_PROVIDER_NOT_CAPABLE);
    EXPECT_EQ(Failed, wmi.WMIAPExist(0));
    provider.FailMethod(L"FireGEvent", WBEM_S_NO_ERROR);
    provider.SetAbsent(true);
    EXPECT_EQ(Failed, wmi.WMIAPExist(0));
    provider.SetAbsent(false);
    EXPECT_EQ(S_OK, wmi.WMIAPExist(0));
}

TEST(WMI, WithoutServicesEveryOperationFailsAndUnregisterReturnsZero)
{
    sim::Provider provider;
    provider.SetNamespaceMissing(true);
    WMI withoutNamespace(provider.Locator());
    WMI withoutLocator(nullptr);

    for (WMI* wmi : {&withoutNamespace, &withoutLocator}) {
        EXPECT_FALSE(wmi->SetHDDProtection(true));
        EXPECT_FALSE(wmi->SetNBProtection(true));
        EXPECT_FALSE(wmi->FinishProcessEvent());
        EXPECT_FALSE(wmi->ParkHDD());
        EXPECT_EQ(Failed, wmi->WMIAPExist(0));
        EXPECT_TRUE(FAILED(wmi->WMIMethodExecSet(L"GSensorControl", InstancePath.c_str(), L"ParkHDD", L"uStatus",
                                                 L"uReturn", *Int32(1).get())));
        tl::unique_variant result;
        EXPECT_TRUE(FAILED(wmi->WMIMethodExecGet(InstancePath.c_str(), L"FireGEvent", L"uErrorCode", result.put())));
        EXPECT_TRUE(FAILED(wmi->WMIEventRegister()));
        EXPECT_EQ(S_OK, wmi->WMIEventUnRegister());
    }
    EXPECT_TRUE(provider.Calls().empty());
    EXPECT_FALSE(provider.Subscribed());
    EXPECT_EQ(0, provider.LiveStubs());
}

TEST(WMI, SubscriptionBringsProviderEventsToTheMainWindowUntilUnregistered)
{
    MainWindowStandIn window;
    ASSERT_NE(nullptr, window.Handle());
    sim::Provider provider;
    ASSERT_EQ(S_OK, provider.RegistrationStatus());
    WMI wmi(provider.Locator());

    ASSERT_EQ(S_OK, wmi.WMIEventRegister());
    EXPECT_TRUE(provider.Subscribed());
    EXPECT_EQ(1, provider.LiveStubs());
    ASSERT_TRUE(provider.FireEvents({0x501, std::nullopt, 0x502, 0x503, 0, 0x501}));
    EXPECT_EQ((std::vector<PostedMessage>{Shock, Movement, Shock}), window.TakePosted());

    // Exit unregisters, then the close handling does it again and finds nothing.
    EXPECT_EQ(S_OK, wmi.WMIEventUnRegister());
    EXPECT_EQ(1, provider.CancelCount());
    EXPECT_EQ(0, provider.LiveStubs());
    EXPECT_FALSE(provider.FireEvents({0x501}));
    EXPECT_EQ(S_OK, wmi.WMIEventUnRegister());
    EXPECT_EQ(1, provider.CancelCount());
    EXPECT_EQ(0, provider.LiveStubs());
    EXPECT_TRUE(window.TakePosted().empty());
}

TEST(WMI, FailedSubscriptionReleasesTheStubAndReturnsTheFailure)
{
    sim::Provider provider;
    provider.FailSubscription(WBEM_E_ACCESS_DENIED);
    WMI wmi(provider.Locator());

    EXPECT_EQ(AccessDenied, wmi.WMIEventRegister());
    EXPECT_EQ(0, provider.LiveStubs());
    EXPECT_FALSE(provider.Subscribed());
    EXPECT_EQ(S_OK, wmi.WMIEventUnRegister());
    EXPECT_EQ(0, provider.CancelCount());
}

TEST(WMI, ConnectsThroughTheSystemLocator)
{
    WMI wmi;
    // The namespace answers for itself: no such class, rather than no connection.
    const tl::unique_variant one = Int32(1);
    EXPECT_EQ(S_OK, wmi.WMIEventUnRegister());
    const HRESULT status = wmi.WMIMethodExecSet(L"Tremorlink_NoSuchClass", L"Tremorlink_NoSuchClass=1", L"None",
                                                L"uStatus", L"uReturn", *one.get());
    EXPECT_TRUE(status == NotFound || status == InvalidClass) << std::hex << status;
}

} // namespace
