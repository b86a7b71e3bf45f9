#include "Locator.h"

#include "GSensorSchema.h"
#include "Services.h"

#include <wrl/client.h>

#include <utility>

using Microsoft::WRL::ComPtr;

namespace sim {

Locator::Locator(std::shared_ptr<ProviderState> state) noexcept : m_state(std::move(state)) {}

HRESULT STDMETHODCALLTYPE Locator::ConnectServer(const BSTR networkResource, const BSTR, const BSTR, const BSTR, LONG,
                                                 const BSTR, IWbemContext*, IWbemServices** services) noexcept
{
    return tl::Guarded([&]() -> HRESULT {
        if (services == nullptr) {
            return WBEM_E_INVALID_PARAMETER;
        }
        *services = nullptr;
        if (m_state->NamespaceMissing() || !SameName(Text(networkResource), NamespaceName)) {
            return WBEM_E_INVALID_NAMESPACE;
        }
        ComPtr<Services> connected(new Services(m_state));
        *services = connected.Detach();
        return WBEM_S_NO_ERROR;
    });
}

} // namespace sim
