#pragma once
// The simulated unsecured apartment: Wine has none, and WMI clients reach their sinks'
// stubs through it.
#include "ComObject.h"
#include "ProviderState.h"

#include <windows.h>
#include <wbemcli.h>

#include <memory>

namespace sim {

class UnsecuredApartment final : public tl::ComObject<IUnsecuredApartment> {
public:
    explicit UnsecuredApartment(std::shared_ptr<ProviderState> state) noexcept;

    HRESULT STDMETHODCALLTYPE CreateObjectStub(IUnknown* object, IUnknown** stub) noexcept override;

private:
    std::shared_ptr<ProviderState> m_state;
};

} // namespace sim
