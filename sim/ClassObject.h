#pragma once
// The simulated provider's IWbemClassObject: a class definition whose GetMethod hands out
// parameter objects, or an object of named properties (parameters, events). Everything
// the client of the provider does not need answers WBEM_E_NOT_SUPPORTED.
#include "ComObject.h"
#include "Handles.h"
#include "GSensorSchema.h"

#include <windows.h>
#include <wbemcli.h>

#include <span>
#include <string>
#include <vector>

namespace sim {

class ClassObject final : public tl::ComObject<IWbemClassObject> {
public:
    // A class definition when methods is not empty; properties are added with Declare.
    explicit ClassObject(std::span<const MethodSignature> methods = {}) noexcept;

    // Adds a property before the object is handed out: value null means none yet. Throws
    // std::bad_alloc when the value cannot be copied.
    void Declare(std::wstring_view name, const VARIANT* value);

    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet** qualifiers) noexcept override;
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                  LONG* flavor) noexcept override;
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) noexcept override;
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR name) noexcept override;
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue,
                                       SAFEARRAY** names) noexcept override;
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG flags) noexcept override;
    HRESULT STDMETHODCALLTYPE Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type,
                                   LONG* flavor) noexcept override;
    HRESULT STDMETHODCALLTYPE EndEnumeration() noexcept override;
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR property,
                                                      IWbemQualifierSet** qualifiers) noexcept override;
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject** copy) noexcept override;
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG flags, BSTR* text) noexcept override;
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) noexcept override;
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG flags, IWbemClassObject** newInstance) noexcept override;
    HRESULT STDMETHODCALLTYPE CompareTo(LONG flags, IWbemClassObject* other) noexcept override;
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR name, BSTR* className) noexcept override;
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR ancestor) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** inSignature,
                                        IWbemClassObject** outSignature) noexcept override;
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR name, LONG flags, IWbemClassObject* inSignature,
                                        IWbemClassObject* outSignature) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR name) noexcept override;
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG flags) noexcept override;
    HRESULT STDMETHODCALLTYPE NextMethod(LONG flags, BSTR* name, IWbemClassObject** inSignature,
                                         IWbemClassObject** outSignature) noexcept override;
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() noexcept override;
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR methodName, BSTR* className) noexcept override;

private:
    struct Property {
        std::wstring name;
        tl::unique_variant value;
    };

    ~ClassObject() override = default;
    Property* Find(std::wstring_view name) noexcept;

    std::span<const MethodSignature> m_methods;
    std::vector<Property> m_properties;
};

} // namespace sim
