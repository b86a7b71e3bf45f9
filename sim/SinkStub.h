#pragma once
// What the unsecured apartment hands out for a sink: a separate object that keeps the
// sink alive and passes every delivery on to it.
#include "ComObject.h"
#include "ProviderState.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <memory>

namespace sim {

class SinkStub final : public tl::ComObject<IWbemObjectSink> {
public:
    SinkStub(Microsoft::WRL::ComPtr<IWbemObjectSink> target, std::shared_ptr<ProviderState> state) noexcept;

    HRESULT STDMETHODCALLTYPE Indicate(LONG objectCount, IWbemClassObject** objects) noexcept override;
    HRESULT STDMETHODCALLTYPE SetStatus(LONG flags, HRESULT result, BSTR param,
                                        IWbemClassObject* object) noexcept override;

private:
    ~SinkStub() override;

    Microsoft::WRL::ComPtr<IWbemObjectSink> m_target;
    std::shared_ptr<ProviderState> m_state;
};

} // namespace sim
