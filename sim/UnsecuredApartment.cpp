#include "UnsecuredApartment.h"

#include "SinkStub.h"

#include <wrl/client.h>

#include <utility>

using Microsoft::WRL::ComPtr;

namespace sim {

UnsecuredApartment::UnsecuredApartment(std::shared_ptr<ProviderState> state) noexcept : m_state(std::move(state)) {}

HRESULT STDMETHODCALLTYPE UnsecuredApartment::CreateObjectStub(IUnknown* object, IUnknown** stub) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        if (stub == nullptr) {
            return E_POINTER;
        }
        *stub = nullptr;
        if (object == nullptr) {
            return E_POINTER;
        }
        ComPtr<IWbemObjectSink> sink;
        const HRESULT found = object->QueryInterface(IID_IWbemObjectSink, &sink);
        if (FAILED(found)) {
            return found;
        }
        ComPtr<IUnknown> created(static_cast<IWbemObjectSink*>(new SinkStub(std::move(sink), m_state)));
        *stub = created.Detach();
        return S_OK;
    });
}

} // namespace sim
