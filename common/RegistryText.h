#pragma once
// Text values as std::wstring, for everything but WinLock.dll, which has no string class
// (see Registry.h).
#include "Registry.h"

#include <cwchar>
#include <optional>
#include <string>

namespace tl {

// A REG_SZ value (not REG_EXPAND_SZ, which is not expanded either): absent when it is
// missing or of another type. Cut at its first null: a stored string need not be
// terminated, and may even end in half a character, which is left out.
[[nodiscard]] inline std::optional<std::wstring> ReadText(HKEY key, const wchar_t* name)
{
    std::wstring text;
    DWORD type = REG_NONE;
    DWORD size = 0;
    const auto room = [&text](DWORD bytes) -> void* {
        text.resize(bytes / sizeof(wchar_t) + 1);
        return text.data();
    };
    if (ReadSized(key, name, RRF_RT_REG_SZ | RRF_NOEXPAND, room, type, size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return text;
}

} // namespace tl
