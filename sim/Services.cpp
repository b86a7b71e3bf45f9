#include "Services.h"

#include "ClassObject.h"
#include "GSensorSchema.h"
#include "Handles.h"

#include <wrl/client.h>

#include <sstream>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace sim {

namespace {

// The in-parameter that the caller filled in, as the call record shows it.
void ReadInParameter(const MethodSignature* method, IWbemClassObject* inParams, MethodCall& call) noexcept
{
    if (method == nullptr || inParams == nullptr) {
        return;
    }
    const std::wstring inName(method->inName);
    tl::unique_variant value;
    if (SUCCEEDED(inParams->Get(inName.c_str(), 0, value.put(), nullptr, nullptr)) && value->vt == VT_I4) {
        call.inName = inName;
        call.value = value->lVal;
    }
}

std::wstring ClassOf(std::wstring_view objectPath) { return std::wstring(objectPath.substr(0, objectPath.find(L'.'))); }

// Flags read best as the WBEM_FLAG_* constants are written.
std::wstring Hex(LONG flags)
{
    std::wostringstream text;
    text << L"0x" << std::hex << std::uppercase << static_cast<ULONG>(flags);
    return text.str();
}

} // namespace

Services::Services(std::shared_ptr<ProviderState> state) noexcept : m_state(std::move(state)) {}

HRESULT STDMETHODCALLTYPE Services::GetObject(const BSTR objectPath, LONG, IWbemContext*, IWbemClassObject** object,
                                              IWbemCallResult** callResult) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        if (callResult != nullptr) {
            *callResult = nullptr;
        }
        if (object == nullptr) {
            return WBEM_E_INVALID_PARAMETER;
        }
        *object = nullptr;
        if (m_state->Absent() || !SameName(Text(objectPath), ControlClassName)) {
            return WBEM_E_NOT_FOUND;
        }
        ComPtr<ClassObject> controlClass(new ClassObject(ControlMethods));
        *object = controlClass.Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT STDMETHODCALLTYPE Services::ExecMethod(const BSTR objectPath, const BSTR methodName, LONG, IWbemContext*,
                                               IWbemClassObject* inParams, IWbemClassObject** outParams,
                                               IWbemCallResult** callResult) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        if (callResult != nullptr) {
            *callResult = nullptr;
        }
        if (outParams != nullptr) {
            *outParams = nullptr;
        }
        const std::wstring_view path = Text(objectPath);
        const MethodSignature* const method = FindMethod(Text(methodName));
        MethodCall call{ClassOf(path), std::wstring(path), std::wstring(Text(methodName)), {}, 0};
        ReadInParameter(method, inParams, call);
        m_state->Record(call);

        if (m_state->Absent() || !SameName(path, ControlInstancePath)) {
            return WBEM_E_NOT_FOUND;
        }
        if (method == nullptr) {
            return WBEM_E_INVALID_METHOD;
        }
        const HRESULT result = m_state->MethodResult(method->name);
        if (FAILED(result)) {
            return result;
        }
        if (SameName(method->name, SystemProtectionMethodName) && !call.inName.empty()) {
            m_state->SystemProtectionSet(call.value);
        }
        // uReturn is the provider's to define; 0 says the switch was done.
        tl::unique_variant answer;
        answer->vt = VT_I4;
        answer->lVal = SameName(method->name, TestMethodName) ? m_state->FireGEventErrorCode() : 0;
        ComPtr<ClassObject> out(new ClassObject());
        out->Declare(method->outName, answer.get());
        if (outParams != nullptr) {
            *outParams = out.Detach();
        }
        return result;
    });
}

HRESULT STDMETHODCALLTYPE Services::ExecNotificationQueryAsync(const BSTR language, const BSTR query, LONG flags,
                                                               IWbemContext*, IWbemObjectSink* handler) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        m_state->Note(L"ExecNotificationQueryAsync " + std::wstring(Text(language)) + L" \"" +
                      std::wstring(Text(query)) + L"\" flags=" + Hex(flags));
        if (handler == nullptr) {
            return WBEM_E_INVALID_PARAMETER;
        }
        if (!SameName(Text(language), EventLanguage)) {
            return WBEM_E_INVALID_QUERY_TYPE;
        }
        if (!SameName(Text(query), EventQuery)) {
            return WBEM_E_INVALID_QUERY;
        }
        return m_state->Subscribe(handler, flags);
    });
}

HRESULT STDMETHODCALLTYPE Services::CancelAsyncCall(IWbemObjectSink* sink) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        m_state->Note(L"CancelAsyncCall");
        const ComPtr<IWbemObjectSink> cancelled = m_state->Cancel(sink);
        if (!cancelled) {
            return WBEM_E_NOT_FOUND;
        }
        // A subscription made with WBEM_FLAG_SEND_STATUS hears how it ended.
        cancelled->SetStatus(WBEM_STATUS_COMPLETE, WBEM_E_CALL_CANCELLED, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT STDMETHODCALLTYPE Services::OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**,
                                                  IWbemCallResult**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::QueryObjectSink(LONG, IWbemObjectSink**) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE Services::GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                              IEnumWbemClassObject**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                                   IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                                          IEnumWbemClassObject**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE Services::ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                                    IWbemObjectSink*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

} // namespace sim
