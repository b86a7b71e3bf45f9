#pragma once
// A simulated firmware G-sensor provider, for tests and, inside TremorlinkSimProvider.dll,
// for the real program under Wine: the root\wmi namespace with the GSensorControl method
// class and GSensorEvent events, reached through its own locator, plus the unsecured
// apartment that WMI clients need and Wine lacks. It records what it receives and fires
// events from a thread of its own, as WMI would.
#include "MethodCall.h"
#include "TimedLine.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class ProviderState;

// One simulated provider. Only one may live at a time in a process, since it registers
// the process's unsecured apartment.
class Provider {
public:
    // Joins the multithreaded apartment on this thread and registers, for the Provider's
    // lifetime, the class object of CLSID_UnsecuredApartment (CLSCTX_LOCAL_SERVER,
    // REGCLS_MULTIPLEUSE).
    Provider();
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    ~Provider();

    // The status of registering the unsecured apartment; a failure means no subscription
    // can be made.
    HRESULT RegistrationStatus() const noexcept;

    // Not AddRef'd for the caller; lives as long as the Provider.
    IWbemLocator* Locator() const noexcept;

    // ConnectServer(root\wmi) fails with WBEM_E_INVALID_NAMESPACE and gives no services.
    void SetNamespaceMissing(bool missing);
    // GetObject of GSensorControl and every ExecMethod give WBEM_E_NOT_FOUND.
    void SetAbsent(bool absent);
    // ExecMethod of that method returns result: a failure alone, a success code with the
    // out-parameters. WBEM_S_NO_ERROR puts the method back to normal.
    void FailMethod(const std::wstring& method, HRESULT result);
    // The uErrorCode that FireGEvent returns (0 unless set).
    void SetFireGEventErrorCode(int code);
    // ExecNotificationQueryAsync returns result and holds no sink while it is a failure.
    void FailSubscription(HRESULT result);

    // Stops (false) or resumes keeping calls, log lines and deliveries, for a benchmark
    // that measures the program's memory over thousands of them.
    void SetRecording(bool recording);

    // Every ExecMethod received, in order, whatever it answered.
    std::vector<MethodCall> Calls() const;
    // What a person watching the provider reads, one line per call received, in order:
    // each ExecMethod ("SetHDDProtection uStatus=1"), each ExecNotificationQueryAsync with
    // its language, query and flags, and each CancelAsyncCall; and when the provider's alarm
    // starts and stops: "alarm sounding" on a movement (uShock 0x502) delivered while
    // system protection is on, "alarm stopped" when system protection is switched off.
    std::vector<std::wstring> Log() const;
    // A sink of ExecNotificationQueryAsync("WQL", "SELECT * FROM GSensorEvent",
    // WBEM_FLAG_SEND_STATUS) is held.
    bool Subscribed() const;
    // The flags of the held subscription, 0 when there is none.
    LONG SubscriptionFlags() const;
    // The lines of Log() and one line per event delivered by FireEvents
    // ("GSensorEvent uShock=0x501 delivered"), in order, each with its time.
    std::vector<TimedLine> Timeline() const;
    // CancelAsyncCall calls that found the subscribed sink.
    int CancelCount() const;
    // Stubs of the unsecured apartment not yet released.
    int LiveStubs() const;

    // One Indicate call to the subscribed sink with one event object per entry (nullopt:
    // an object without uShock), made from a thread of the provider's own; returns once
    // Indicate has returned. Returns false if nobody is subscribed.
    bool FireEvents(const std::vector<std::optional<int>>& shocks);
    // The sink the subscription holds, null while there is none: for a benchmark that
    // delivers from a warm thread of its own, as WMI's pooled delivery threads are.
    Microsoft::WRL::ComPtr<IWbemObjectSink> Subscriber() const;

private:
    std::shared_ptr<ProviderState> m_state;
    Microsoft::WRL::ComPtr<IWbemLocator> m_locator;
    bool m_comInitialized = false;
    HRESULT m_registration = E_FAIL;
    DWORD m_apartmentCookie = 0;
};

// How the timeline shows one delivered event: "GSensorEvent uShock=0x501 delivered", or
// "GSensorEvent without uShock delivered".
std::wstring DeliveredLine(std::optional<int> uShock);

// A GSensorEvent object for direct Indicate tests: uShock as a VT_I4, or none at all.
Microsoft::WRL::ComPtr<IWbemClassObject> MakeEvent(std::optional<int> uShock);
// A GSensorEvent object whose uShock holds exactly this value, of whatever type.
Microsoft::WRL::ComPtr<IWbemClassObject> MakeEvent(const VARIANT& uShock);

} // namespace sim
