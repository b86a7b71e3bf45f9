#include "SimProvider.h"

#include "ApartmentFactory.h"
#include "ClassObject.h"
#include "GSensorSchema.h"
#include "Handles.h"
#include "Locator.h"
#include "ProviderState.h"

#include <sstream>
#include <thread>

using Microsoft::WRL::ComPtr;

namespace sim {

Provider::Provider() : m_state(std::make_shared<ProviderState>()), m_locator(new sim::Locator(m_state))
{
    m_comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    const ComPtr<ApartmentFactory> factory(new ApartmentFactory(m_state));
    m_registration = CoRegisterClassObject(CLSID_UnsecuredApartment, factory.Get(), CLSCTX_LOCAL_SERVER,
                                           REGCLS_MULTIPLEUSE, &m_apartmentCookie);
}

Provider::~Provider()
{
    if (SUCCEEDED(m_registration)) {
        CoRevokeClassObject(m_apartmentCookie);
    }
    // The held sink must not outlive the test that made it, nor keep this state alive
    // through its stub.
    m_state->Drop();
    m_locator.Reset();
    if (m_comInitialized) {
        CoUninitialize();
    }
}

HRESULT Provider::RegistrationStatus() const noexcept { return m_registration; }

IWbemLocator* Provider::Locator() const noexcept { return m_locator.Get(); }

void Provider::SetNamespaceMissing(bool missing) { m_state->SetNamespaceMissing(missing); }

void Provider::SetAbsent(bool absent) { m_state->SetAbsent(absent); }

void Provider::FailMethod(const std::wstring& method, HRESULT result) { m_state->FailMethod(method, result); }

void Provider::SetFireGEventErrorCode(int code) { m_state->SetFireGEventErrorCode(code); }

void Provider::FailSubscription(HRESULT result) { m_state->FailSubscription(result); }

std::vector<MethodCall> Provider::Calls() const { return m_state->Calls(); }

std::vector<std::wstring> Provider::Log() const { return m_state->Log(); }

std::vector<TimedLine> Provider::Timeline() const { return m_state->Timeline(); }

bool Provider::Subscribed() const
{
    return m_state->Subscriber() && m_state->SubscriptionFlags() == WBEM_FLAG_SEND_STATUS;
}

LONG Provider::SubscriptionFlags() const { return m_state->SubscriptionFlags(); }

int Provider::CancelCount() const { return m_state->CancelCount(); }

int Provider::LiveStubs() const { return m_state->LiveStubs(); }

bool Provider::FireEvents(const std::vector<std::optional<int>>& shocks)
{
    const ComPtr<IWbemObjectSink> sink = m_state->Subscriber();
    if (!sink) {
        return false;
    }
    std::vector<ComPtr<IWbemClassObject>> events;
    std::vector<IWbemClassObject*> batch;
    for (const std::optional<int>& shock : shocks) {
        batch.push_back(events.emplace_back(MakeEvent(shock)).Get());
    }
    // WMI delivers on threads of its own, which belong to the multithreaded apartment.
    std::thread delivery([&sink, &batch] {
        const bool initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        sink->Indicate(static_cast<LONG>(batch.size()), batch.data());
        if (initialized) {
            CoUninitialize();
        }
    });
    delivery.join();
    for (const std::optional<int>& shock : shocks) {
        m_state->NoteDelivery(DeliveredLine(shock));
        if (shock == MovementValue) {
            m_state->MovementDelivered();
        }
    }
    return true;
}

void Provider::SetRecording(bool recording) { m_state->SetRecording(recording); }

ComPtr<IWbemObjectSink> Provider::Subscriber() const { return m_state->Subscriber(); }

std::wstring DeliveredLine(std::optional<int> uShock)
{
    if (!uShock) {
        return L"GSensorEvent without uShock delivered";
    }
    std::wostringstream line;
    line << L"GSensorEvent uShock=0x" << std::hex << std::uppercase << static_cast<unsigned>(*uShock) << L" delivered";
    return line.str();
}

ComPtr<IWbemClassObject> MakeEvent(std::optional<int> uShock)
{
    const ComPtr<ClassObject> event(new ClassObject());
    if (uShock) {
        tl::unique_variant value;
        value->vt = VT_I4;
        value->lVal = *uShock;
        event->Declare(ShockProperty, value.get());
    }
    return event;
}

ComPtr<IWbemClassObject> MakeEvent(const VARIANT& uShock)
{
    const ComPtr<ClassObject> event(new ClassObject());
    event->Declare(ShockProperty, &uShock);
    return event;
}

} // namespace sim
