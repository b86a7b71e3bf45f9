#pragma once
// The class object registered for CLSID_UnsecuredApartment while a Provider lives.
#include "ComObject.h"
#include "ProviderState.h"

#include <windows.h>
#include <unknwn.h>

#include <memory>

namespace sim {

class ApartmentFactory final : public tl::ComObject<IClassFactory> {
public:
    explicit ApartmentFactory(std::shared_ptr<ProviderState> state) noexcept;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

private:
    std::shared_ptr<ProviderState> m_state;
};

} // namespace sim
