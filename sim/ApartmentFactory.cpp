#include "ApartmentFactory.h"

#include "UnsecuredApartment.h"

#include <wrl/client.h>

#include <utility>

using Microsoft::WRL::ComPtr;

namespace sim {

ApartmentFactory::ApartmentFactory(std::shared_ptr<ProviderState> state) noexcept : m_state(std::move(state)) {}

HRESULT STDMETHODCALLTYPE ApartmentFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        const ComPtr<UnsecuredApartment> apartment(new UnsecuredApartment(m_state));
        return apartment->QueryInterface(iid, object);
    });
}

HRESULT STDMETHODCALLTYPE ApartmentFactory::LockServer(BOOL) noexcept
{
    // The class object lives as long as its Provider, whatever the locks.
    return S_OK;
}

} // namespace sim
