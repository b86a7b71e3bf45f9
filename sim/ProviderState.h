#pragma once
// What the simulated provider's objects share: how the provider is set to behave, what
// it has received, and the subscription it holds. Its objects call it from any thread.
#include "MethodCall.h"
#include "TimedLine.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

class ProviderState {
public:
    void SetNamespaceMissing(bool missing);
    bool NamespaceMissing() const;
    void SetAbsent(bool absent);
    bool Absent() const;
    void FailMethod(std::wstring_view method, HRESULT result);
    // What ExecMethod of that method answers: WBEM_S_NO_ERROR unless set otherwise.
    HRESULT MethodResult(std::wstring_view method) const;
    void SetFireGEventErrorCode(int code);
    int FireGEventErrorCode() const;

    // Whether calls, log lines and deliveries are kept, as they are unless switched off: a
    // benchmark that makes thousands of them to measure the program's memory switches it
    // off, so that only the program's own memory can grow.
    void SetRecording(bool recording);

    // Records an ExecMethod call, both as the call and as a line of the log.
    void Record(MethodCall call);
    std::vector<MethodCall> Calls() const;
    // Adds a line to the log for a call that is not an ExecMethod.
    void Note(std::wstring line);
    std::vector<std::wstring> Log() const;
    // Adds a line to the timeline only: the log shows what the program asked for.
    void NoteDelivery(std::wstring line);
    // Every line of the log and every delivery, in order, each with its time.
    std::vector<TimedLine> Timeline() const;

    // The alarm, which is the provider's: it sounds from a movement delivered while system
    // protection is on (SetSystemProtection last done with uStatus 1) until system
    // protection is switched off. Both changes are lines of the log, "alarm sounding" and
    // "alarm stopped", for the person at the demo cannot hear it.
    void SystemProtectionSet(int status);
    void MovementDelivered();

    void FailSubscription(HRESULT result);
    // Holds the sink unless subscriptions are set to fail or one is held already.
    HRESULT Subscribe(IWbemObjectSink* sink, LONG flags);
    // Gives up the subscription if sink is the one held, and counts that as a cancellation.
    Microsoft::WRL::ComPtr<IWbemObjectSink> Cancel(IWbemObjectSink* sink);
    // Gives up the subscription without counting it.
    Microsoft::WRL::ComPtr<IWbemObjectSink> Drop();
    Microsoft::WRL::ComPtr<IWbemObjectSink> Subscriber() const;
    LONG SubscriptionFlags() const;
    int CancelCount() const;

    void StubCreated() noexcept;
    void StubReleased() noexcept;
    int LiveStubs() const noexcept;

private:
    // The caller holds m_mutex.
    void AddToTimeline(std::wstring line);

    const std::chrono::steady_clock::time_point m_madeAt = std::chrono::steady_clock::now();
    mutable std::mutex m_mutex;
    bool m_namespaceMissing = false;
    bool m_absent = false;
    std::vector<std::pair<std::wstring, HRESULT>> m_methodResults;
    int m_fireGEventErrorCode = 0;
    bool m_recording = true;
    bool m_systemProtection = false;
    bool m_sounding = false;
    std::vector<MethodCall> m_calls;
    std::vector<std::wstring> m_log;
    std::vector<TimedLine> m_timeline;
    HRESULT m_subscriptionResult = WBEM_S_NO_ERROR;
    Microsoft::WRL::ComPtr<IWbemObjectSink> m_subscriber;
    LONG m_subscriptionFlags = 0;
    int m_cancelCount = 0;
    std::atomic<int> m_liveStubs = 0;
};

} // namespace sim
