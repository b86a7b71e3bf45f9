#pragma once
// The simulated provider's IWbemLocator: connects to root\wmi only.
#include "ComObject.h"
#include "ProviderState.h"

#include <windows.h>
#include <wbemcli.h>

#include <memory>

namespace sim {

class Locator final : public tl::ComObject<IWbemLocator> {
public:
    explicit Locator(std::shared_ptr<ProviderState> state) noexcept;

    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR networkResource, const BSTR user, const BSTR password,
                                            const BSTR locale, LONG securityFlags, const BSTR authority,
                                            IWbemContext* context, IWbemServices** services) noexcept override;

private:
    std::shared_ptr<ProviderState> m_state;
};

} // namespace sim
