#include "platform/PasswordDigest.h"

#include "Handles.h"

#include <vector>

namespace {

constexpr char BaseProvider[] = "Microsoft Base Cryptographic Provider v1.0";

tl::unique_hcryptprov AcquireContext(const char* keyContainer)
{
    const auto acquire = [](const char* container, DWORD flags) {
        HCRYPTPROV context = 0;
        return tl::unique_hcryptprov(
            CryptAcquireContextA(&context, container, BaseProvider, PROV_RSA_FULL, flags) ? context : 0);
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
    const int written = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                                            nullptr, nullptr);
    bytes.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return bytes;
}

bool FitsThreadCodePage(const std::wstring& text)
{
    if (text.empty()) {
        return true;
    }
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr,
                            &usedDefault) > 0) {
        return usedDefault == FALSE;
    }
    // UTF-8 as the system's code page takes neither the flag nor the question: it holds
    // every character, and only a broken surrogate pair does not survive.
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_FLAGS && error != ERROR_INVALID_PARAMETER) {
        return false;
    }
    const int size =
        WideCharToMultiByte(CP_THREAD_ACP, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    return size > 0;
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
    // Written digit by digit: the C runtime's printf would bring its floating-point
    // formatting into the program for two hexadecimal digits a byte.
    constexpr wchar_t Digits[] = L"0123456789ABCDEF";
    std::wstring hex;
    hex.reserve(static_cast<size_t>(length) * 2);
    for (DWORD index = 0; index < length; ++index) {
        hex += Digits[digest[index] >> 4];
        hex += Digits[digest[index] & 0x0F];
    }
    return hex;
}
