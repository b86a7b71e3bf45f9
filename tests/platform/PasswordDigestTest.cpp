#include "platform/PasswordDigest.h"

#include "TestSupport.h"
#include "platform/HaldenFunc.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>

#include <gtest/gtest.h>

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

// The tests' own key container: the program's is never touched.
constexpr char TestContainer[] = "QuenTremorlinkTests";
constexpr char Provider[] = "Microsoft Base Cryptographic Provider v1.0";

std::wstring Digest(const std::wstring& text) { return PasswordDigest(text, TestContainer); }

TEST(PasswordDigest, IsTheUpperCaseSha1OfTheText)
{
    WithThreadLocale(English, [&] {
        EXPECT_EQ(L"A9993E364706816ABA3E25717850C26C9CD0D89D", Digest(L"abc"));
        EXPECT_EQ(L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", Digest(L""));
        EXPECT_EQ(L"5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8", Digest(L"password"));
        EXPECT_EQ(L"8BE3C943B1609FFFBFC51AAD666D0A04ADF83C9D", Digest(L"Password")) << "letter case counts";
        // Windows-1252 bytes of "Pässwörd".
        EXPECT_EQ(L"59D3A7C4103C99F2BC5BC84D90D89483717851FC", Digest(L"P\u00E4ssw\u00F6rd"));
    });
    if (testsupport::UnderWine()) {
        // The program's own digest, on its own container, in this test prefix only.
        WithThreadLocale(
            English, [] { EXPECT_EQ(L"A9993E364706816ABA3E25717850C26C9CD0D89D", HaldenFunc().GetHashCode(L"abc")); });
    }
}

TEST(PasswordDigest, IsTheSameWithAndWithoutAKeyContainer)
{
    HCRYPTPROV deleted = 0;
    CryptAcquireContextA(&deleted, TestContainer, Provider, PROV_RSA_FULL, CRYPT_DELETEKEYSET);

    const std::wstring first = Digest(L"Ab1!");
    HCRYPTPROV existing = 0;
    ASSERT_TRUE(CryptAcquireContextA(&existing, TestContainer, Provider, PROV_RSA_FULL, 0))
        << "the first digest creates the container";
    CryptReleaseContext(existing, 0);
    EXPECT_EQ(40u, first.size());
    EXPECT_EQ(first, Digest(L"Ab1!"));

    CryptAcquireContextA(&deleted, TestContainer, Provider, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
}

TEST(PasswordDigest, HashesTheThreadCodePageForm)
{
    // Eight double-byte characters: all 16 bytes of their GBK form count.
    const std::wstring chinese = L"\u4F60\u597D\u4F60\u597D\u4F60\u597D\u4F60\u597D";
    WithThreadLocale(ChineseSimplified,
                     [&] { EXPECT_EQ(L"719B96B44F92A60F5ECA9FEDD53726336A0EE4AE", Digest(chinese)); });

    // Characters the code page cannot represent all become its default character, so
    // passwords that differ only there share a digest.
    WithThreadLocale(English, [&] {
        EXPECT_EQ(L"C644E1A4FF342FC6853CA057C84AE4B022C8678D", Digest(L"a\u4E00b"));
        EXPECT_EQ(Digest(L"a\u4E00b"), Digest(L"a\u4E8Cb"));
        EXPECT_NE(Digest(L"a\u4E00b"), Digest(L"a\u4E00c"));
    });
}

TEST(PasswordDigest, ConvertsTextOfAnyLengthInTheCodePage)
{
    // With UTF-8 as the system's code page a Chinese character takes three bytes, more than
    // the two of the double-byte code pages.
    EXPECT_EQ("\xE4\xBD\xA0\xE5\xA5\xBD\xE4\xBD\xA0\xE5\xA5\xBD", CodePageBytes(L"\u4F60\u597D\u4F60\u597D", CP_UTF8));
    EXPECT_EQ("\xC4\xE3\xBA\xC3", CodePageBytes(L"\u4F60\u597D", 936));
    EXPECT_EQ("abc", CodePageBytes(L"abc", 1252));
    EXPECT_EQ("", CodePageBytes(L"", 1252));
}

TEST(PasswordDigest, TellsTheTextsTheThreadCodePageCannotHold)
{
    struct Case {
        LCID locale;
        const wchar_t* text;
        bool fits;
    };
    const Case cases[] = {
        {English, L"Ab1!", true},
        {English, L"P\u00E4ssw\u00F6rd", true},
        {English, L"\u041F\u0430\u0440\u043E\u043B\u044C", false}, // Cyrillic: "??????"
        {English, L"a\u4E00b", false},
        {English, L"\u0101bcd", false}, // a look-alike would stand in for it
        {ChineseSimplified, L"\u4F60\u597D12", true},
    };
    for (const Case& c : cases) {
        WithThreadLocale(c.locale, [&] { EXPECT_EQ(c.fits, FitsThreadCodePage(c.text)) << c.text; });
    }
}

} // namespace
