#include "platform/EventSink.h"

#include "platform/Messages.h"

#include "Handles.h"

namespace {

constexpr LONG ShockDetected = 0x501;
constexpr LONG MovementDetected = 0x502;

// The message for an event value, or 0 for a value that means nothing to the program.
UINT MessageFor(LONG shock) noexcept
{
    switch (shock) {
    case ShockDetected: return WM_TL_SHOCK;
    case MovementDetected: return WM_TL_MOVEMENT;
    default: return 0;
    }
}

// The main window, looked up per event: it may come and go while the subscription lasts.
// By its class first: a lookup by title alone reads the title of every top-level window
// above ours, and under Wine each read is a wineserver round trip, so it slowed with every
// window opened after ours (0.7 ms with 26 windows on the desktop, against 30 us by class).
// A window with the title but another class is still found by the title alone.
HWND FindMainWindow() noexcept
{
    const HWND window = FindWindowA(MainWindowClass, MainWindowTitle);
    return window != nullptr ? window : FindWindowA(nullptr, MainWindowTitle);
}

} // namespace

HRESULT STDMETHODCALLTYPE EventSink::Indicate(LONG objectCount, IWbemClassObject** objects) noexcept
{
    for (LONG index = 0; index < objectCount; ++index) {
        const HWND window = FindMainWindow();
        IWbemClassObject* const event = objects[index];
        if (event == nullptr) {
            continue;
        }
        tl::unique_variant shock;
        if (SUCCEEDED(event->Get(L"uShock", 0, shock.put(), nullptr, nullptr)) &&
            SUCCEEDED(VariantChangeType(shock.get(), shock.get(), 0, VT_I4))) {
            const UINT message = MessageFor(shock->lVal);
            // Without the window the event has no effect; posting to a null window would
            // put it on this delivery thread's own queue instead.
            if (message != 0 && window != nullptr) {
                PostMessageA(window, message, 0, 0);
            }
        }
    }
    return WBEM_S_NO_ERROR;
}

HRESULT STDMETHODCALLTYPE EventSink::SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) noexcept
{
    return WBEM_S_NO_ERROR;
}
