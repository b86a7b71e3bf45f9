#pragma once
#include <windows.h>

#include <vector>

// The user of an access token, kept in buffer; null when it cannot be read.
inline PSID TokenUserSid(HANDLE token, std::vector<BYTE>& buffer) noexcept
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    try {
        buffer.resize(size);
    } catch (...) {
        return nullptr;
    }
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        return nullptr;
    }
    return reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
}
