#include "platform/HaldenFunc.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(HaldenFunc, AccessorsShareOneStateAndStoreWhatTheyAreGiven)
{
    HaldenFunc one;
    const HaldenFunc other;

    one.SetBeepNow(1);
    one.SetShakingNow(-7);
    one.SaveHddProtectionStatus(2);
    one.SetMsgIndex(2);
    one.ModifyPassWord(1);
    EXPECT_EQ(1, other.GetBeepNow());
    EXPECT_EQ(-7, other.GetShakingNow());
    EXPECT_EQ(2, other.GetHddProtectionStatus());
    EXPECT_EQ(2, other.GetMsgIndex());
    EXPECT_EQ(1, other.GetModifyPassWord());

    // Making and dropping an accessor changes nothing.
    {
        [[maybe_unused]] const HaldenFunc dropped;
    }
    EXPECT_EQ(1, HaldenFunc().GetBeepNow());
    EXPECT_EQ(-7, HaldenFunc().GetShakingNow());
}

TEST(HaldenFunc, ModifyPassWordStoresOnlyZeroAndOne)
{
    HaldenFunc halden;
    halden.ModifyPassWord(1);
    for (const int ignored : {2, -1, 100}) {
        halden.ModifyPassWord(ignored);
        EXPECT_EQ(1, halden.GetModifyPassWord()) << ignored;
    }
    halden.ModifyPassWord(0);
    EXPECT_EQ(0, halden.GetModifyPassWord());
    halden.ModifyPassWord(2);
    EXPECT_EQ(0, halden.GetModifyPassWord());
}

} // namespace

namespace {

// Runs the body with this thread in another locale, whose ANSI code page the digest uses.
template <typename Body> void WithThreadLocale(LCID locale, Body body)
{
    const LCID previous = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(locale));
    body();
    SetThreadLocale(previous);
}

constexpr LCID English = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
constexpr LCID ChineseSimplified = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);

TEST(PasswordDigest, IsTheUpperCaseSha1OfTheText)
{
    const HaldenFunc halden;
    WithThreadLocale(English, [&] {
        EXPECT_EQ(L"A9993E364706816ABA3E25717850C26C9CD0D89D", halden.GetHashCode(L"abc"));
        EXPECT_EQ(L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", halden.GetHashCode(L""));
        EXPECT_EQ(L"5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8", halden.GetHashCode(L"password"));
        EXPECT_EQ(L"8BE3C943B1609FFFBFC51AAD666D0A04ADF83C9D", halden.GetHashCode(L"Password")) << "letter case counts";
        // Windows-1252 bytes of "Pässwörd".
        EXPECT_EQ(L"59D3A7C4103C99F2BC5BC84D90D89483717851FC", halden.GetHashCode(L"P\u00E4ssw\u00F6rd"));
    });
}

TEST(PasswordDigest, IsTheSameWithAndWithoutAKeyContainer)
{
    HCRYPTPROV deleted = 0;
    CryptAcquireContextA(&deleted, "Marlo", "Microsoft Base Cryptographic Provider v1.0", PROV_RSA_FULL,
                         CRYPT_DELETEKEYSET);

    const HaldenFunc halden;
    const std::wstring first = halden.GetHashCode(L"Ab1!");
    HCRYPTPROV existing = 0;
    ASSERT_TRUE(
        CryptAcquireContextA(&existing, "Marlo", "Microsoft Base Cryptographic Provider v1.0", PROV_RSA_FULL, 0))
        << "the first digest creates the container";
    CryptReleaseContext(existing, 0);

    EXPECT_EQ(40u, first.size());
    EXPECT_EQ(first, halden.GetHashCode(L"Ab1!"));
}

TEST(PasswordDigest, HashesTheThreadCodePageForm)
{
    const HaldenFunc halden;
    // Eight double-byte characters: all 16 bytes of their GBK form count.
    const std::wstring chinese = L"\u4F60\u597D\u4F60\u597D\u4F60\u597D\u4F60\u597D";
    WithThreadLocale(ChineseSimplified,
                     [&] { EXPECT_EQ(L"719B96B44F92A60F5ECA9FEDD53726336A0EE4AE", halden.GetHashCode(chinese)); });

    // Characters the code page cannot represent all become its default character, so
    // passwords that differ only there share a digest.
    WithThreadLocale(English, [&] {
        EXPECT_EQ(L"C644E1A4FF342FC6853CA057C84AE4B022C8678D", halden.GetHashCode(L"a\u4E00b"));
        EXPECT_EQ(halden.GetHashCode(L"a\u4E00b"), halden.GetHashCode(L"a\u4E8Cb"));
        EXPECT_NE(halden.GetHashCode(L"a\u4E00b"), halden.GetHashCode(L"a\u4E00c"));
    });
}

} // namespace
