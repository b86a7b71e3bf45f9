#pragma once
// Registry access for every folder, WinLock.dll included: header-only and on the caller's
// storage, since the library carries neither exceptions nor the C++ runtime (see
// winlock/HeapArray.h); the text reads that need std::wstring are in RegistryText.h.
// Every read goes through RegGetValueW with RRF_RT_* type flags, so that a value of
// another type or size is absent, never a misread one.
#include "Handles.h"

#include <windows.h>

#include <optional>
#include <type_traits>

namespace tl {

// RegOpenKeyExW: the key, empty when it cannot be opened; status, if given, says why.
[[nodiscard]] inline unique_hkey OpenKey(HKEY root, const wchar_t* subKey, REGSAM access,
                                         LSTATUS* status = nullptr) noexcept
{
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(root, subKey, 0, access, &key);
    if (status != nullptr) {
        *status = opened;
    }
    // What a failed call leaves in key is no key to close.
    return unique_hkey(opened == ERROR_SUCCESS ? key : nullptr);
}

// RegCreateKeyExW with the default access list: the key, made with every key of the path
// that is missing, or empty; status, if given, says why.
[[nodiscard]] inline unique_hkey CreateKey(HKEY root, const wchar_t* subKey, REGSAM access,
                                           LSTATUS* status = nullptr) noexcept
{
    HKEY key = nullptr;
    const LSTATUS created = RegCreateKeyExW(root, subKey, 0, nullptr, 0, access, nullptr, &key, nullptr);
    if (status != nullptr) {
        *status = created;
    }
    return unique_hkey(created == ERROR_SUCCESS ? key : nullptr);
}

// A value of a fixed size, of one of the types that flags (RRF_RT_*) allow: absent when it
// is missing, of another type, or of another size.
template <typename T> [[nodiscard]] std::optional<T> ReadFixed(HKEY key, const wchar_t* name, DWORD flags) noexcept
{
    static_assert(std::is_trivially_copyable_v<T>, "read as bytes");
    T value{};
    DWORD size = sizeof(value);
    if (RegGetValueW(key, nullptr, name, flags, nullptr, &value, &size) != ERROR_SUCCESS || size != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

// A REG_DWORD value of four bytes (not REG_BINARY, nor big-endian).
[[nodiscard]] inline std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) noexcept
{
    return ReadFixed<DWORD>(key, name, RRF_RT_REG_DWORD);
}

// A value of any size, of one of the types that flags allow, read into what room(size)
// gives: size writable bytes, or null when there is no room (ERROR_OUTOFMEMORY). The value
// may grow between asking its size and reading it: then room is asked again. The status of
// the read; on success type and size say what it read (a value of no bytes needs no room).
template <typename Room>
[[nodiscard]] LSTATUS ReadSized(HKEY key, const wchar_t* name, DWORD flags, Room room, DWORD& type,
                                DWORD& size) noexcept(noexcept(room(DWORD{})))
{
    size = 0;
    LSTATUS status = RegGetValueW(key, nullptr, name, flags, &type, nullptr, &size);
    while (status == ERROR_SUCCESS && size != 0) {
        void* const data = room(size);
        if (data == nullptr) {
            return ERROR_OUTOFMEMORY;
        }
        status = RegGetValueW(key, nullptr, name, flags, &type, data, &size);
        if (status != ERROR_MORE_DATA) {
            return status;
        }
        status = ERROR_SUCCESS;
    }
    return status;
}

} // namespace tl
