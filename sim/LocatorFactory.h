#pragma once
// The class object of the simulated locator in TremorlinkSimProvider.dll, which stands in
// for CLSID_WbemLocator: every instance it makes is the one locator of the process's
// simulated provider, so that every client in the process meets the same provider.
#include "ComObject.h"

#include <windows.h>
#include <unknwn.h>
#include <wbemcli.h>
#include <wrl/client.h>

namespace sim {

class LocatorFactory final : public tl::ComObject<IClassFactory> {
public:
    explicit LocatorFactory(Microsoft::WRL::ComPtr<IWbemLocator> locator) noexcept;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

private:
    Microsoft::WRL::ComPtr<IWbemLocator> m_locator;
};

} // namespace sim
