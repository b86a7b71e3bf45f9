#include "platform/EventSink.h"

#include "platform/MainWindowStandIn.h"
#include "platform/Messages.h"
#include "Handles.h"
#include "SimProvider.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;
using testsupport::MainWindowStandIn;
using testsupport::Movement;
using testsupport::PostedMessage;
using testsupport::Shock;

// One Indicate call with these events, made on a thread of its own as WMI's delivery is.
HRESULT IndicateFromAnotherThread(IWbemObjectSink* sink, const std::vector<ComPtr<IWbemClassObject>>& events)
{
    std::vector<IWbemClassObject*> batch;
    for (const auto& event : events) {
        batch.push_back(event.Get());
    }
    HRESULT result = E_FAIL;
    std::thread([&] { result = sink->Indicate(static_cast<LONG>(batch.size()), batch.data()); }).join();
    return result;
}

// An event whose uShock has the given type; fill sets its value.
template <typename Fill> ComPtr<IWbemClassObject> EventOfType(VARTYPE type, Fill fill)
{
    tl::unique_variant value;
    value->vt = type;
    fill(*value.get());
    return sim::MakeEvent(*value.get());
}

TEST(EventSink, PostsOneMessagePerShockOrMovementInOrderAndSkipsTheRest)
{
    MainWindowStandIn window;
    ASSERT_NE(nullptr, window.Handle());
    const ComPtr<EventSink> sink(new EventSink);

    const std::vector<ComPtr<IWbemClassObject>> events{
        sim::MakeEvent(0x501), sim::MakeEvent(0),     sim::MakeEvent(0x502), sim::MakeEvent(std::nullopt),
        sim::MakeEvent(0x503), sim::MakeEvent(0x502), sim::MakeEvent(0x501),
    };
    EXPECT_EQ(WBEM_S_NO_ERROR, IndicateFromAnotherThread(sink.Get(), events));
    EXPECT_EQ((std::vector<PostedMessage>{Shock, Movement, Movement, Shock}), window.TakePosted());

    EXPECT_EQ(WBEM_S_NO_ERROR, IndicateFromAnotherThread(sink.Get(), {}));
    EXPECT_EQ(WBEM_S_NO_ERROR, sink->Indicate(0, nullptr));
    EXPECT_EQ(WBEM_S_NO_ERROR, sink->SetStatus(WBEM_STATUS_COMPLETE, WBEM_E_CALL_CANCELLED, nullptr, nullptr));
    EXPECT_TRUE(window.TakePosted().empty());
}

TEST(EventSink, ReadsUShockAsA32BitIntegerWhateverItsVariantType)
{
    MainWindowStandIn window;
    const ComPtr<EventSink> sink(new EventSink);

    const std::vector<ComPtr<IWbemClassObject>> events{
        EventOfType(VT_UI4, [](VARIANT& value) { value.ulVal = 0x501; }),
        EventOfType(VT_I2, [](VARIANT& value) { value.iVal = 0x502; }),
        EventOfType(VT_BSTR, [](VARIANT& value) { value.bstrVal = SysAllocString(L"1281"); }),
        EventOfType(VT_NULL, [](VARIANT&) {}),
        EventOfType(VT_BSTR, [](VARIANT& value) { value.bstrVal = SysAllocString(L"shock"); }),
        // 0x501 in its low 32 bits, but out of the 32-bit range as a whole.
        EventOfType(VT_I8, [](VARIANT& value) { value.llVal = 0x100000501; }),
        EventOfType(VT_UI4, [](VARIANT& value) { value.ulVal = 0x502; }),
    };
    EXPECT_EQ(WBEM_S_NO_ERROR, IndicateFromAnotherThread(sink.Get(), events));
    EXPECT_EQ((std::vector<PostedMessage>{Shock, Movement, Shock, Movement}), window.TakePosted());
}

TEST(EventSink, PrefersTheMainWindowsClassToAnotherWindowWithItsTitle)
{
    // The main window first, then a window of another class with the same title above it,
    // where a lookup by title alone would find that one.
    const tl::unique_hwnd main = testsupport::TestWindow({.className = L"Form1", .title = L"QUEN_Tremorlink"});
    MainWindowStandIn other;
    ASSERT_EQ(other.Handle(), FindWindowA(nullptr, "QUEN_Tremorlink"));
    const ComPtr<EventSink> sink(new EventSink);

    EXPECT_EQ(WBEM_S_NO_ERROR, IndicateFromAnotherThread(sink.Get(), {sim::MakeEvent(0x501)}));
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, main.get(), WM_TL_SHOCK, WM_TL_SHOCK, PM_REMOVE));
    EXPECT_TRUE(other.TakePosted().empty());
}

TEST(EventSink, WithoutTheMainWindowAnEventHasNoEffect)
{
    ASSERT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
    const ComPtr<EventSink> sink(new EventSink);
    const ComPtr<IWbemClassObject> shock = sim::MakeEvent(0x501);
    IWbemClassObject* batch[] = {shock.Get()};

    EXPECT_EQ(WBEM_S_NO_ERROR, sink->Indicate(1, batch));
    // Nothing may land in the calling thread's own queue either.
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
}

TEST(EventSink, CountsReferencesFromZeroAndAnswersOnlyItsTwoInterfaces)
{
    EventSink* const sink = new EventSink;
    EXPECT_EQ(1u, sink->AddRef());

    void* object = nullptr;
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IWbemObjectSink*>(sink), object);
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IWbemObjectSink, &object));
    EXPECT_EQ(static_cast<IWbemObjectSink*>(sink), object);
    EXPECT_EQ(4u, sink->AddRef());

    for (const IID& other : {IID_IDispatch, IID_IWbemObjectSinkEx, IID_IClassFactory}) {
        object = sink;
        EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(other, &object));
        EXPECT_EQ(nullptr, object);
    }
    EXPECT_EQ(3u, sink->Release());
    EXPECT_EQ(2u, sink->Release());
    EXPECT_EQ(1u, sink->Release());
    EXPECT_EQ(0u, sink->Release());
}

TEST(EventSink, KeepsItsCountExactWhenTwoThreadsChangeIt)
{
    EventSink* const sink = new EventSink;
    sink->AddRef();
    // Both threads start together, so that their changes overlap. They meet on a counter
    // they spin on, not on a std::latch: the latch's wait in this toolchain's library (off
    // Linux, a shared pool of waiters whose wake-up can be lost) once left the test hanging.
    std::atomic<int> arrived{0};
    const auto addAndRelease = [sink, &arrived] {
        arrived.fetch_add(1);
        while (arrived.load() < 2) {
            std::this_thread::yield();
        }
        for (int round = 0; round < 1000000; ++round) {
            sink->AddRef();
            sink->Release();
        }
    };
    std::thread first(addAndRelease);
    std::thread second(addAndRelease);
    first.join();
    second.join();

    EXPECT_EQ(2u, sink->AddRef());
    EXPECT_EQ(1u, sink->Release());
    EXPECT_EQ(0u, sink->Release());
}

} // namespace
