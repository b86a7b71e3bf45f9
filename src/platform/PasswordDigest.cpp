#include "platform/PasswordDigest.h"

#include "platform/Handles.h"

#include <cstdio>
#include <vector>

namespace {

constexpr char BaseProvider[] = "Microsoft Base Cryptographic Provider v1.0";

std::wstring CodePageText(const std::string& bytes, UINT codePage)
{
    if (bytes.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    }
    return text;
}

tl::unique_hcryptprov AcquireContext(const char* keyContainer)
{
    const auto acquire = [](const char* container, DWORD flags) {
        HCRYPTPROV context = 0;
        return tl::unique_hcryptprov(CryptAcquireContextA(&context, container, BaseProvider, PROV_RSA_FULL, flags)
                                         ? context
                                         : 0);
    };
    tl::unique_hcryptprov provider = acquire(keyContainer, 0);
    if (!provider) {
        provider = acquire(keyContainer, CRYPT_NEWKEYSET);
    }
    if (!provider) {
        // A damaged or unwritable key store: hashing needs no key, so a context without a
        // container gives the same digest, and the right password still opens.
        provider = acquire(nullptr, CRYPT_VERIFYCONTEXT);
    }
    return provider;
}

} // namespace

std::string CodePageBytes(const std::wstring& text, UINT codePage)
{
    if (text.empty()) {
        return {};
    }
    // Asked for its size: a character may take up to four bytes (UTF-8 as the system's
    // code page), not only the two of the double-byte code pages.
    const int size =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    const int written = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                            size, nullptr, nullptr);
    bytes.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return bytes;
}

bool FitsThreadCodePage(const std::wstring& text)
{
    return CodePageText(CodePageBytes(text, CP_THREAD_ACP), CP_THREAD_ACP) == text;
}

std::wstring PasswordDigest(const std::wstring& text, const char* keyContainer)
{
    const std::string bytes = CodePageBytes(text, CP_THREAD_ACP);
    if (bytes.empty() && !text.empty()) {
        return {};
    }
    const tl::unique_hcryptprov provider = AcquireContext(keyContainer);
    tl::unique_hcrypthash hash;
    if (!provider || !CryptCreateHash(provider.get(), CALG_SHA1, 0, 0, hash.put()) ||
        !CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0)) {
        return {};
    }
    DWORD length = 0;
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, nullptr, &length, 0) || length == 0) {
        return {};
    }
    std::vector<BYTE> digest(length);
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0)) {
        return {};
    }
    std::wstring hex;
    for (DWORD index = 0; index < length; ++index) {
        wchar_t pair[3] = {};
        std::swprintf(pair, 3, L"%02X", digest[index]);
        hex += pair;
    }
    return hex;
}
