#pragma once
// The simulated provider's root\wmi namespace. It does real work for what the program
// uses: GetObject of the method class, ExecMethod on its instance, and the GSensorEvent
// subscription with its cancellation; everything else answers WBEM_E_NOT_SUPPORTED.
#include "ComObject.h"
#include "ProviderState.h"

#include <windows.h>
#include <wbemcli.h>

#include <memory>

namespace sim {

class Services final : public tl::ComObject<IWbemServices> {
public:
    explicit Services(std::shared_ptr<ProviderState> state) noexcept;

    HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR nameSpace, LONG flags, IWbemContext* context,
                                            IWbemServices** workingNamespace,
                                            IWbemCallResult** result) noexcept override;
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink* sink) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG flags, IWbemObjectSink** handler) noexcept override;
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR objectPath, LONG flags, IWbemContext* context,
                                        IWbemClassObject** object, IWbemCallResult** callResult) noexcept override;
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                             IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                       IWbemCallResult** callResult) noexcept override;
    HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                            IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR className, LONG flags, IWbemContext* context,
                                          IWbemCallResult** callResult) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR className, LONG flags, IWbemContext* context,
                                               IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                                              IEnumWbemClassObject** enumerator) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                                   IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                          IWbemCallResult** callResult) noexcept override;
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                               IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR objectPath, LONG flags, IWbemContext* context,
                                             IWbemCallResult** callResult) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                                  IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR filter, LONG flags, IWbemContext* context,
                                                 IEnumWbemClassObject** enumerator) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                                      IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags, IWbemContext* context,
                                        IEnumWbemClassObject** enumerator) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR language, const BSTR query, LONG flags, IWbemContext* context,
                                             IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR language, const BSTR query, LONG flags,
                                                    IWbemContext* context,
                                                    IEnumWbemClassObject** enumerator) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR language, const BSTR query, LONG flags,
                                                         IWbemContext* context,
                                                         IWbemObjectSink* handler) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags,
                                         IWbemContext* context, IWbemClassObject* inParams,
                                         IWbemClassObject** outParams, IWbemCallResult** callResult) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags,
                                              IWbemContext* context, IWbemClassObject* inParams,
                                              IWbemObjectSink* handler) noexcept override;

private:
    std::shared_ptr<ProviderState> m_state;
};

} // namespace sim
