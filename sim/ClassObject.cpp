#include "ClassObject.h"

#include <wrl/client.h>

#include <algorithm>
#include <new>

using Microsoft::WRL::ComPtr;

namespace sim {

namespace {

// VariantCopy only reads its source, though not every SDK declares it const.
HRESULT CopyVariant(VARIANT* to, const VARIANT& from) noexcept { return VariantCopy(to, const_cast<VARIANT*>(&from)); }

ComPtr<ClassObject> Parameters(std::wstring_view name)
{
    ComPtr<ClassObject> parameters(new ClassObject());
    parameters->Declare(name, nullptr);
    return parameters;
}

} // namespace

ClassObject::ClassObject(std::span<const MethodSignature> methods) noexcept : m_methods(methods) {}

void ClassObject::Declare(std::wstring_view name, const VARIANT* value)
{
    Property& property = m_properties.emplace_back(Property{std::wstring(name), {}});
    property.value->vt = VT_NULL;
    if (value != nullptr && FAILED(CopyVariant(property.value.get(), *value))) {
        throw std::bad_alloc();
    }
}

ClassObject::Property* ClassObject::Find(std::wstring_view name) noexcept
{
    for (Property& property : m_properties) {
        if (SameName(property.name, name)) {
            return &property;
        }
    }
    return nullptr;
}

HRESULT STDMETHODCALLTYPE ClassObject::Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG* flavor) noexcept
{
    const Property* const property = Find(Text(name));
    if (property == nullptr) {
        return WBEM_E_NOT_FOUND;
    }
    if (value != nullptr) {
        // The caller's, to clear: only made empty before the copy, as WMI's own Get does.
        VariantInit(value);
        const HRESULT copied = CopyVariant(value, *property->value.get());
        if (FAILED(copied)) {
            return copied;
        }
    }
    if (type != nullptr) {
        *type = CIM_UINT32;
    }
    if (flavor != nullptr) {
        *flavor = WBEM_FLAVOR_ORIGIN_LOCAL;
    }
    return WBEM_S_NO_ERROR;
}

HRESULT STDMETHODCALLTYPE ClassObject::Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE) noexcept
{
    Property* const property = Find(Text(name));
    if (property == nullptr) {
        return WBEM_E_NOT_FOUND;
    }
    if (value == nullptr || value->vt == VT_NULL) {
        property->value.reset();
        property->value->vt = VT_NULL;
        return WBEM_S_NO_ERROR;
    }
    // Every property of the provider is a 32-bit integer, which WMI carries only as VT_I4.
    if (value->vt != VT_I4) {
        return WBEM_E_TYPE_MISMATCH;
    }
    return CopyVariant(property->value.get(), *value);
}

HRESULT STDMETHODCALLTYPE ClassObject::GetMethod(LPCWSTR name, LONG, IWbemClassObject** inSignature,
                                                 IWbemClassObject** outSignature) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        if (inSignature != nullptr) {
            *inSignature = nullptr;
        }
        if (outSignature != nullptr) {
            *outSignature = nullptr;
        }
        const auto method = std::ranges::find_if(
            m_methods, [name](const MethodSignature& candidate) { return SameName(candidate.name, Text(name)); });
        if (method == m_methods.end()) {
            return WBEM_E_NOT_FOUND;
        }
        ComPtr<ClassObject> in = Parameters(method->inName);
        ComPtr<ClassObject> out = Parameters(method->outName);
        if (inSignature != nullptr) {
            *inSignature = in.Detach();
        }
        if (outSignature != nullptr) {
            *outSignature = out.Detach();
        }
        return WBEM_S_NO_ERROR;
    });
}

HRESULT STDMETHODCALLTYPE ClassObject::GetQualifierSet(IWbemQualifierSet**) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::Delete(LPCWSTR) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE ClassObject::BeginEnumeration(LONG) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE ClassObject::EndEnumeration() noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE ClassObject::Clone(IWbemClassObject**) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::GetObjectText(LONG, BSTR*) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::SpawnDerivedClass(LONG, IWbemClassObject**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE ClassObject::SpawnInstance(LONG, IWbemClassObject**) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::CompareTo(LONG, IWbemClassObject*) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::GetPropertyOrigin(LPCWSTR, BSTR*) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::InheritsFrom(LPCWSTR) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE ClassObject::DeleteMethod(LPCWSTR) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::BeginMethodEnumeration(LONG) noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE ClassObject::EndMethodEnumeration() noexcept { return WBEM_E_NOT_SUPPORTED; }

HRESULT STDMETHODCALLTYPE ClassObject::GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) noexcept
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT STDMETHODCALLTYPE ClassObject::GetMethodOrigin(LPCWSTR, BSTR*) noexcept { return WBEM_E_NOT_SUPPORTED; }

} // namespace sim
