#pragma once
// The IUnknown half of our own COM objects (the program's event sink, the simulated
// provider's objects), each of which implements one interface: an interlocked count,
// because WMI's clients and delivery threads take and drop references from different
// threads.
#include <windows.h>
#include <unknwn.h>

#include <new>

namespace tl {

template <typename Interface> class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(InterlockedIncrement(&m_count)); }

    ULONG STDMETHODCALLTYPE Release() noexcept override
    {
        const LONG count = InterlockedDecrement(&m_count);
        if (count == 0) {
            delete this;
        }
        return static_cast<ULONG>(count);
    }

protected:
    // The count starts at 0; the ComPtr that receives a new object takes the first reference.
    ComObject() noexcept = default;
    virtual ~ComObject() = default;

private:
    LONG m_count = 0;
};

// Runs the body of a COM method so that no exception leaves it: running out of memory
// becomes E_OUTOFMEMORY, anything else E_FAIL. Not for WinLock.dll, which has no exceptions.
template <typename Body> HRESULT Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace tl
