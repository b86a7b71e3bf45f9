#include "platform/WMI.h"

#include "platform/EventSink.h"
#include "Handles.h"

#include <new>

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t Namespace[] = L"root\\wmi";
constexpr wchar_t ControlClass[] = L"GSensorControl";
// Object-path escaping doubles each backslash of the instance name ACPI\pnp0c14\0_0.
constexpr wchar_t InstancePath[] = LR"(GSensorControl.InstanceName="ACPI\\pnp0c14\\0_0")";
constexpr wchar_t EventLanguage[] = L"WQL";
constexpr wchar_t EventQuery[] = L"SELECT * FROM GSensorEvent";

// What an operation returns when construction left no services interface.
constexpr HRESULT NotConnected = CO_E_OBJNOTCONNECTED;

// The constructing thread is the main thread: it joins the multithreaded apartment before
// anything else can ask for a single-threaded one, so every later WMI call is direct.
// Returns the status of the last step; neither step decides anything.
HRESULT JoinMultithreadedApartment() noexcept
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    return CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                                nullptr, EOAC_NONE, nullptr);
}

// A provider may report success and still hand back no object (a method without in- or
// out-parameters); the call chains cannot go on without it. The object is looked at only
// here, after the call that fills it has returned.
template <typename Interface> HRESULT Delivered(HRESULT status, const ComPtr<Interface>& object) noexcept
{
    return SUCCEEDED(status) && !object ? E_POINTER : status;
}

} // namespace

WMI::WMI()
{
    m_status = JoinMultithreadedApartment();
    ComPtr<IWbemLocator> locator;
    m_status = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, &locator);
    Connect(locator.Get());
}

WMI::WMI(IWbemLocator* locator)
{
    m_status = JoinMultithreadedApartment();
    Connect(locator);
}

void WMI::Connect(IWbemLocator* locator)
{
    m_locator = locator;
    if (!m_locator) {
        return;
    }
    const tl::unique_bstr path(SysAllocString(Namespace));
    m_status = m_locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &m_services);
    if (!m_services) {
        return;
    }
    // An in-process provider has no proxy to set, so a failure here is expected and harmless.
    m_status = CoSetProxyBlanket(m_services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

HRESULT WMI::WMIEventRegister()
{
    m_status = S_OK;
    if (!m_services) {
        return m_status = NotConnected;
    }

    // WMI calls back from its own process; the unsecured apartment's stub takes those calls
    // for the sink, so that this process need not open its own security to WMI.
    ComPtr<IUnsecuredApartment> apartment;
    m_status =
        CoCreateInstance(CLSID_UnsecuredApartment, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnsecuredApartment, &apartment);
    if (FAILED(m_status)) {
        return m_status;
    }
    // This reference is the client's own and ends with this call; from then on only the
    // stub keeps the sink alive.
    const ComPtr<EventSink> sink(new (std::nothrow) EventSink);
    if (!sink) {
        return m_status = E_OUTOFMEMORY;
    }
    ComPtr<IUnknown> stub;
    m_status = Delivered(apartment->CreateObjectStub(sink.Get(), &stub), stub);
    if (FAILED(m_status)) {
        return m_status;
    }

    m_stubSink.Reset();
    m_status = stub.As(&m_stubSink);
    if (SUCCEEDED(m_status)) {
        const tl::unique_bstr language(SysAllocString(EventLanguage));
        const tl::unique_bstr query(SysAllocString(EventQuery));
        m_status = m_services->ExecNotificationQueryAsync(language.get(), query.get(), WBEM_FLAG_SEND_STATUS, nullptr,
                                                          m_stubSink.Get());
    }
    if (FAILED(m_status)) {
        m_stubSink.Reset();
    }
    return m_status;
}

HRESULT WMI::WMIEventUnRegister()
{
    m_status = S_OK;
    if (m_services && m_stubSink) {
        m_status = m_services->CancelAsyncCall(m_stubSink.Get());
    }
    // Exit and the close handling both unregister; the second call must find nothing.
    m_stubSink.Reset();
    return m_status;
}

bool WMI::SetHDDProtection(bool enable) { return CallSwitch(L"SetHDDProtection", enable ? 1 : 0); }

bool WMI::SetNBProtection(bool enable) { return CallSwitch(L"SetSystemProtection", enable ? 1 : 0); }

bool WMI::FinishProcessEvent() { return CallSwitch(L"FinishProcessEvent", 1); }

bool WMI::ParkHDD() { return CallSwitch(L"ParkHDD", 1); }

bool WMI::CallSwitch(const wchar_t* methodName, int status)
{
    tl::unique_variant value;
    value->vt = VT_I4;
    value->lVal = status;
    return SUCCEEDED(WMIMethodExecSet(ControlClass, InstancePath, methodName, L"uStatus", L"uReturn", *value.get()));
}

HRESULT WMI::WMIAPExist(int flag)
{
    tl::unique_variant flagValue;
    flagValue->vt = VT_I4;
    flagValue->lVal = flag;
    tl::unique_variant errorCode;
    CallMethod(ControlClass, InstancePath, L"FireGEvent", L"uFlag", L"uErrorCode", *flagValue.get(), errorCode.put());
    const bool noError = SUCCEEDED(m_status) &&
                         SUCCEEDED(VariantChangeType(errorCode.get(), errorCode.get(), 0, VT_I4)) &&
                         errorCode->lVal == 0;
    return noError ? S_OK : static_cast<HRESULT>(WBEM_E_FAILED);
}

HRESULT WMI::WMIMethodExecSet(const wchar_t* className, const wchar_t* instancePath, const wchar_t* methodName,
                              const wchar_t* inName, const wchar_t* outName, const VARIANT& value)
{
    // Reading the out-parameter confirms the answer; its value means nothing here.
    tl::unique_variant out;
    CallMethod(className, instancePath, methodName, inName, outName, value, out.put());
    return m_status;
}

HRESULT WMI::CallMethod(const wchar_t* className, const wchar_t* instancePath, const wchar_t* methodName,
                        const wchar_t* inName, const wchar_t* outName, const VARIANT& value, VARIANT* out)
{
    m_status = S_OK;
    if (!m_services) {
        return m_status = NotConnected;
    }
    ComPtr<IWbemClassObject> classObject;
    ComPtr<IWbemClassObject> inParams;
    ComPtr<IWbemClassObject> outParams;
    const tl::unique_bstr classPath(SysAllocString(className));
    const tl::unique_bstr path(SysAllocString(instancePath));
    const tl::unique_bstr method(SysAllocString(methodName));

    m_status = Delivered(m_services->GetObject(classPath.get(), 0, nullptr, &classObject, nullptr), classObject);
    if (SUCCEEDED(m_status)) {
        m_status = Delivered(classObject->GetMethod(methodName, 0, &inParams, nullptr), inParams);
    }
    if (SUCCEEDED(m_status)) {
        // The in-parameter object itself carries the value: the provider's methods need no
        // separate instance. Put only reads the value, though its signature is not const.
        m_status = inParams->Put(inName, 0, const_cast<VARIANT*>(&value), 0);
    }
    if (SUCCEEDED(m_status)) {
        m_status =
            Delivered(m_services->ExecMethod(path.get(), method.get(), 0, nullptr, inParams.Get(), &outParams, nullptr),
                      outParams);
    }
    if (SUCCEEDED(m_status)) {
        m_status = outParams->Get(outName, 0, out, nullptr, nullptr);
    }
    return m_status;
}

HRESULT WMI::WMIMethodExecGet(const wchar_t* instancePath, const wchar_t* methodName, const wchar_t* outName,
                              VARIANT* result)
{
    m_status = S_OK;
    if (!m_services) {
        return m_status = NotConnected;
    }
    ComPtr<IWbemClassObject> outParams;
    const tl::unique_bstr path(SysAllocString(instancePath));
    const tl::unique_bstr method(SysAllocString(methodName));
    m_status = Delivered(m_services->ExecMethod(path.get(), method.get(), 0, nullptr, nullptr, &outParams, nullptr),
                         outParams);
    if (SUCCEEDED(m_status)) {
        m_status = outParams->Get(outName, 0, result, nullptr, nullptr);
    }
    return m_status;
}
