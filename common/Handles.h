#pragma once
// Move-only owners of Win32 handles, one line per handle type, and of VARIANTs: for the
// program, WinLock.dll, the installers' custom actions, the simulated provider, the tests
// and the benchmarks alike. Header-only and free of exceptions, since WinLock.dll carries
// neither the C++ runtime nor its exception machinery. COM objects are held in
// Microsoft::WRL::ComPtr instead.
#include <windows.h>
#include <oleauto.h>
#include <wincrypt.h>

#include <type_traits>
#include <utility>

namespace tl {

inline HANDLE InvalidFileHandle() noexcept { return INVALID_HANDLE_VALUE; }
inline void ReleaseCryptContext(HCRYPTPROV provider) noexcept { CryptReleaseContext(provider, 0); }

// Close is the function that releases the handle; Invalid is nullptr when the empty
// value is a null handle, or a function returning the empty value otherwise. A null
// handle is never a valid one either, whatever the empty value: a file handle that was
// never set is not closed.
template <typename T, auto Close, auto Invalid = nullptr> class unique_any {
public:
    unique_any() noexcept = default;
    explicit unique_any(T handle) noexcept : m_handle(handle) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : m_handle(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~unique_any() { reset(); }

    static T invalid() noexcept
    {
        if constexpr (std::is_null_pointer_v<decltype(Invalid)>) {
            return T{};
        } else {
            return Invalid();
        }
    }

    T get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return Valid(m_handle); }

    // The address of the empty handle, for an API that returns a handle through a pointer.
    T* put() noexcept
    {
        reset();
        return &m_handle;
    }

    [[nodiscard]] T release() noexcept { return std::exchange(m_handle, invalid()); }

    // Closes the handle held before, keeping the last error: a caller that reads the error
    // of the call that failed still finds it after the wrapper of what it replaced closed.
    void reset(T handle = invalid()) noexcept
    {
        const T old = std::exchange(m_handle, handle);
        if (Valid(old)) {
            const DWORD error = GetLastError();
            Close(old);
            SetLastError(error);
        }
    }

private:
    static bool Valid(T handle) noexcept { return handle != invalid() && handle != T{}; }

    T m_handle = invalid();
};

using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_hlocal = unique_any<HLOCAL, &::LocalFree>;
using unique_handle = unique_any<HANDLE, &::CloseHandle>;
using unique_hfile = unique_any<HANDLE, &::CloseHandle, &InvalidFileHandle>;
using unique_hwnd = unique_any<HWND, &::DestroyWindow>;
using unique_hicon = unique_any<HICON, &::DestroyIcon>;
using unique_hmenu = unique_any<HMENU, &::DestroyMenu>;
using unique_hmodule = unique_any<HMODULE, &::FreeLibrary>;
using unique_hfont = unique_any<HFONT, &::DeleteObject>;
using unique_hbitmap = unique_any<HBITMAP, &::DeleteObject>;
using unique_hbrush = unique_any<HBRUSH, &::DeleteObject>;
using unique_hdc = unique_any<HDC, &::DeleteDC>;
using unique_sc_handle = unique_any<SC_HANDLE, &::CloseServiceHandle>;
using unique_bstr = unique_any<BSTR, &::SysFreeString>;
using unique_hcryptprov = unique_any<HCRYPTPROV, &ReleaseCryptContext>;
using unique_hcrypthash = unique_any<HCRYPTHASH, &::CryptDestroyHash>;

// A VARIANT that is always initialised and cleared once: empty from the start, and cleared
// when it goes, when it is reset, and before put() hands it to a call that fills it.
class unique_variant {
public:
    unique_variant() noexcept { VariantInit(&m_value); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    unique_variant(unique_variant&& other) noexcept : m_value(other.m_value) { VariantInit(&other.m_value); }
    unique_variant& operator=(unique_variant&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_value = other.m_value;
            VariantInit(&other.m_value);
        }
        return *this;
    }
    ~unique_variant() { reset(); }

    VARIANT* get() noexcept { return &m_value; }
    const VARIANT* get() const noexcept { return &m_value; }
    VARIANT* operator->() noexcept { return &m_value; }
    const VARIANT* operator->() const noexcept { return &m_value; }

    VARIANT* put() noexcept
    {
        reset();
        return &m_value;
    }

    void reset() noexcept { VariantClear(&m_value); }

private:
    VARIANT m_value;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(m_window, &m_paint); }

    HDC get() const noexcept { return m_dc; }
    const PAINTSTRUCT& paint() const noexcept { return m_paint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
};

// GetDC/ReleaseDC, for drawing on or reading from a window outside WM_PAINT.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : m_window(window), m_dc(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (m_dc != nullptr) {
            ::ReleaseDC(m_window, m_dc);
        }
    }

    HDC get() const noexcept { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// Selects a GDI object into a DC and puts the previous one back at scope end.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
    ~SelectObjectGuard() { ::SelectObject(m_dc, m_previous); }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

} // namespace tl
