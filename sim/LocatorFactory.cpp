#include "LocatorFactory.h"

#include <utility>

namespace sim {

LocatorFactory::LocatorFactory(Microsoft::WRL::ComPtr<IWbemLocator> locator) noexcept : m_locator(std::move(locator)) {}

HRESULT STDMETHODCALLTYPE LocatorFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return m_locator->QueryInterface(iid, object);
}

HRESULT STDMETHODCALLTYPE LocatorFactory::LockServer(BOOL) noexcept
{
    // The DLL never unloads once loaded, whatever the locks.
    return S_OK;
}

} // namespace sim
