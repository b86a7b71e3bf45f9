#pragma once
// Message pumping for code that waits on its own thread's windows: the tests and the
// benchmarks that run the program's code in their own process.
#include <windows.h>

#include <chrono>
#include <functional>

namespace testsupport {

// Dispatches this thread's messages until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Dispatches every message already queued for this thread.
inline void PumpPending()
{
    PumpUntil([] { return true; }, std::chrono::milliseconds(0));
}

} // namespace testsupport
