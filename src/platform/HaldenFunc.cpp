#include "platform/HaldenFunc.h"

#include "platform/Handles.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int BeepNow = 0;
int ShakingNow = 0;
int HddProtectionStatus = 0;
int ModifyPassWordCheck = 0;
int MsgIndex = 0;

} // namespace

void HaldenFunc::SetBeepNow(int value) { BeepNow = value; }
int HaldenFunc::GetBeepNow() const { return BeepNow; }

void HaldenFunc::SetShakingNow(int value) { ShakingNow = value; }
int HaldenFunc::GetShakingNow() const { return ShakingNow; }

void HaldenFunc::SaveHddProtectionStatus(int value) { HddProtectionStatus = value; }
int HaldenFunc::GetHddProtectionStatus() const { return HddProtectionStatus; }

void HaldenFunc::ModifyPassWord(int value)
{
    if (value == 0 || value == 1) {
        ModifyPassWordCheck = value;
    }
}
int HaldenFunc::GetModifyPassWord() const { return ModifyPassWordCheck; }

void HaldenFunc::SetMsgIndex(int value) { MsgIndex = value; }
int HaldenFunc::GetMsgIndex() const { return MsgIndex; }

namespace {

// The text as the bytes of the thread locale's ANSI code page, without the terminator; a
// character the code page lacks becomes its default character. Empty when it fails.
std::vector<char> ThreadCodePageBytes(const std::wstring& text)
{
    const int capacity = static_cast<int>(text.size()) * 2 + 2;
    std::vector<char> bytes(static_cast<size_t>(capacity));
    const int written = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()) + 1,
                                            bytes.data(), capacity, nullptr, nullptr);
    bytes.resize(written > 0 ? static_cast<size_t>(written - 1) : 0);
    return bytes;
}

} // namespace

std::wstring HaldenFunc::GetHashCode(const std::wstring& password) const
{
    const std::vector<char> bytes = ThreadCodePageBytes(password);
    if (bytes.empty() && !password.empty()) {
        return {};
    }
    constexpr char Container[] = "Marlo";
    constexpr char Provider[] = "Microsoft Base Cryptographic Provider v1.0";
    tl::unique_hcryptprov provider;
    if (!CryptAcquireContextA(provider.put(), Container, Provider, PROV_RSA_FULL, 0) &&
        !CryptAcquireContextA(provider.put(), Container, Provider, PROV_RSA_FULL, CRYPT_NEWKEYSET)) {
        return {};
    }
    tl::unique_hcrypthash hash;
    if (!CryptCreateHash(provider.get(), CALG_SHA1, 0, 0, hash.put()) ||
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
    std::wstring text;
    for (DWORD index = 0; index < length; ++index) {
        wchar_t pair[3] = {};
        std::swprintf(pair, 3, L"%02X", digest[index]);
        text += pair;
    }
    return text;
}
