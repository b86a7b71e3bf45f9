#pragma once
// COM on this thread for as long as the object lives: taken in the multithreaded model and
// given back, or only counted once more where the thread has it already (the program's
// thread has it from its sensor connection; a setup's or a test's may have it in either
// model, or not at all).
#include <objbase.h>

class ComScope {
public:
    ComScope() noexcept : m_result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope()
    {
        if (SUCCEEDED(m_result)) {
            CoUninitialize();
        }
    }

    // Whether COM can be used: this thread has it now, in one model or the other.
    [[nodiscard]] bool Usable() const noexcept { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};
