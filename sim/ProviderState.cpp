#include "ProviderState.h"

#include "GSensorSchema.h"

#include <algorithm>

using Microsoft::WRL::ComPtr;

namespace sim {

namespace {

// "SetHDDProtection uStatus=1": what a person watching the provider wants to read. The
// instance path is shown only when it is not the one instance, since that is the news.
std::wstring LogLine(const MethodCall& call)
{
    std::wstring line = call.method;
    if (!call.inName.empty()) {
        line += L' ' + call.inName + L'=' + std::to_wstring(call.value);
    }
    if (!SameName(call.instancePath, ControlInstancePath)) {
        line += L" on " + call.instancePath;
    }
    return line;
}

} // namespace

void ProviderState::SetNamespaceMissing(bool missing)
{
    const std::lock_guard lock(m_mutex);
    m_namespaceMissing = missing;
}

bool ProviderState::NamespaceMissing() const
{
    const std::lock_guard lock(m_mutex);
    return m_namespaceMissing;
}

void ProviderState::SetAbsent(bool absent)
{
    const std::lock_guard lock(m_mutex);
    m_absent = absent;
}

bool ProviderState::Absent() const
{
    const std::lock_guard lock(m_mutex);
    return m_absent;
}

void ProviderState::FailMethod(std::wstring_view method, HRESULT result)
{
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_methodResults, [method](const auto& entry) { return SameName(entry.first, method); });
    m_methodResults.emplace_back(method, result);
}

HRESULT ProviderState::MethodResult(std::wstring_view method) const
{
    const std::lock_guard lock(m_mutex);
    const auto entry = std::ranges::find_if(
        m_methodResults, [method](const auto& candidate) { return SameName(candidate.first, method); });
    return entry == m_methodResults.end() ? S_OK : entry->second;
}

void ProviderState::SetFireGEventErrorCode(int code)
{
    const std::lock_guard lock(m_mutex);
    m_fireGEventErrorCode = code;
}

int ProviderState::FireGEventErrorCode() const
{
    const std::lock_guard lock(m_mutex);
    return m_fireGEventErrorCode;
}

void ProviderState::SetRecording(bool recording)
{
    const std::lock_guard lock(m_mutex);
    m_recording = recording;
}

void ProviderState::Record(MethodCall call)
{
    std::wstring line = LogLine(call);
    const std::lock_guard lock(m_mutex);
    if (!m_recording) {
        return;
    }
    m_calls.push_back(std::move(call));
    m_log.push_back(line);
    AddToTimeline(std::move(line));
}

std::vector<MethodCall> ProviderState::Calls() const
{
    const std::lock_guard lock(m_mutex);
    return m_calls;
}

void ProviderState::Note(std::wstring line)
{
    const std::lock_guard lock(m_mutex);
    if (!m_recording) {
        return;
    }
    m_log.push_back(line);
    AddToTimeline(std::move(line));
}

std::vector<std::wstring> ProviderState::Log() const
{
    const std::lock_guard lock(m_mutex);
    return m_log;
}

void ProviderState::NoteDelivery(std::wstring line)
{
    const std::lock_guard lock(m_mutex);
    if (!m_recording) {
        return;
    }
    AddToTimeline(std::move(line));
}

std::vector<TimedLine> ProviderState::Timeline() const
{
    const std::lock_guard lock(m_mutex);
    return m_timeline;
}

void ProviderState::SystemProtectionSet(int status)
{
    const std::lock_guard lock(m_mutex);
    m_systemProtection = status == 1;
    if (!m_systemProtection && m_sounding) {
        m_sounding = false;
        m_log.push_back(L"alarm stopped");
        AddToTimeline(m_log.back());
    }
}

void ProviderState::MovementDelivered()
{
    const std::lock_guard lock(m_mutex);
    if (m_systemProtection && !m_sounding) {
        m_sounding = true;
        m_log.push_back(L"alarm sounding");
        AddToTimeline(m_log.back());
    }
}

void ProviderState::AddToTimeline(std::wstring line)
{
    const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_madeAt);
    m_timeline.push_back({at, std::move(line)});
}

void ProviderState::FailSubscription(HRESULT result)
{
    const std::lock_guard lock(m_mutex);
    m_subscriptionResult = result;
}

HRESULT ProviderState::Subscribe(IWbemObjectSink* sink, LONG flags)
{
    const std::lock_guard lock(m_mutex);
    if (FAILED(m_subscriptionResult)) {
        return m_subscriptionResult;
    }
    // One subscription is all the program ever makes; a second one would be a fault of it.
    if (m_subscriber) {
        return WBEM_E_ALREADY_EXISTS;
    }
    m_subscriber = sink;
    m_subscriptionFlags = flags;
    return m_subscriptionResult;
}

ComPtr<IWbemObjectSink> ProviderState::Cancel(IWbemObjectSink* sink)
{
    const std::lock_guard lock(m_mutex);
    if (sink == nullptr || m_subscriber.Get() != sink) {
        return nullptr;
    }
    ++m_cancelCount;
    m_subscriptionFlags = 0;
    return std::move(m_subscriber);
}

ComPtr<IWbemObjectSink> ProviderState::Drop()
{
    const std::lock_guard lock(m_mutex);
    m_subscriptionFlags = 0;
    return std::move(m_subscriber);
}

ComPtr<IWbemObjectSink> ProviderState::Subscriber() const
{
    const std::lock_guard lock(m_mutex);
    return m_subscriber;
}

LONG ProviderState::SubscriptionFlags() const
{
    const std::lock_guard lock(m_mutex);
    return m_subscriptionFlags;
}

int ProviderState::CancelCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_cancelCount;
}

void ProviderState::StubCreated() noexcept { ++m_liveStubs; }

void ProviderState::StubReleased() noexcept { --m_liveStubs; }

int ProviderState::LiveStubs() const noexcept { return m_liveStubs; }

} // namespace sim
