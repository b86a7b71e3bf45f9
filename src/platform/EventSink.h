#pragma once
// The receiver of GSensorEvent deliveries. WMI calls it on its own threads, so it shares
// nothing with the rest of the program: it reads uShock and posts a message to the main
// window, whose thread does all the reacting.
#include "ComObject.h"

#include <windows.h>
#include <wbemcli.h>

class EventSink final : public tl::ComObject<IWbemObjectSink> {
public:
    // The count starts at 0: the creator takes the first reference.
    EventSink() noexcept = default;

    HRESULT STDMETHODCALLTYPE Indicate(LONG objectCount, IWbemClassObject** objects) noexcept override;
    HRESULT STDMETHODCALLTYPE SetStatus(LONG flags, HRESULT result, BSTR param,
                                        IWbemClassObject* object) noexcept override;

private:
    // Private, so that a sink can only live on the heap and end through Release.
    ~EventSink() override = default;
};
