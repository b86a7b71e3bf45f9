#include "SinkStub.h"

#include <utility>

namespace sim {

SinkStub::SinkStub(Microsoft::WRL::ComPtr<IWbemObjectSink> target, std::shared_ptr<ProviderState> state) noexcept
    : m_target(std::move(target)), m_state(std::move(state))
{
    m_state->StubCreated();
}

SinkStub::~SinkStub() { m_state->StubReleased(); }

HRESULT STDMETHODCALLTYPE SinkStub::Indicate(LONG objectCount, IWbemClassObject** objects) noexcept
{
    return m_target->Indicate(objectCount, objects);
}

HRESULT STDMETHODCALLTYPE SinkStub::SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* object) noexcept
{
    return m_target->SetStatus(flags, result, param, object);
}

} // namespace sim
