#pragma once
#include <windows.h>

// Room for a token's user: TOKEN_USER and the longest SID there is, so that reading it
// needs no allocation (WinLock.dll allocates as little as it can).
struct TokenUserBuffer {
    alignas(TOKEN_USER) BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};

// The user of an access token, kept in buffer; null when it cannot be read.
[[nodiscard]] inline PSID TokenUserSid(HANDLE token, TokenUserBuffer& buffer) noexcept
{
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, buffer.bytes, sizeof(buffer.bytes), &size)) {
        return nullptr;
    }
    return reinterpret_cast<TOKEN_USER*>(buffer.bytes)->User.Sid;
}
