#include "platform/SettingsStore.h"

#include "TestSupport.h"

#include "ProtectedKey.h"
#include "Registry.h"
#include "RegistryText.h"

#include <climits>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

namespace {

// Each setting with its registry name: a settings key written before must still be read.
struct NamedSetting {
    Setting setting;
    const wchar_t* name;
};
constexpr NamedSetting AllSettings[] = {
    {Setting::HddProtectionEnabled, L"HddProtectionEnabled"},
    {Setting::NotebookProtectionEnabled, L"NotebookProtectionEnabled"},
    {Setting::CloseLid, L"CloseLid"},
    {Setting::PowerButton, L"PowerButton"},
    {Setting::SleepButton, L"SleepButton"},
    {Setting::EnablePassword, L"EnablePassword"},
    {Setting::HibernationTimer, L"HibernationTimer"},
    {Setting::StandbyTimerDc, L"StandbyTimerDc"},
    {Setting::HibernationTimerDc, L"HibernationTimerDc"},
};
constexpr size_t SettingCount = std::size(AllSettings);

// The DWORD under that name as the registry holds it, or nullopt when there is none.
std::optional<DWORD> RawNumber(const testsupport::TestSettingsKey& key, const wchar_t* name)
{
    const tl::unique_hkey opened = tl::OpenKey(HKEY_CURRENT_USER, key.SubKey().c_str(), KEY_READ);
    return opened ? tl::ReadDword(opened.get(), name) : std::nullopt;
}

TEST(SettingsStore, EveryValueRoundTrips)
{
    testsupport::TestSettingsKey key;
    const SettingsStore store = key.Store();

    // Each round gives every setting a value of its own, and each a new one, so that two
    // settings sharing a registry value would read back each other's.
    const int rounds[][SettingCount] = {{0, 1, 2, 3, 4, 5, 6, 7, 8},
                                        {1, 0, -1, 180, INT_MAX, INT_MIN, 5, 9, 10},
                                        {INT_MIN, INT_MAX, 0, -1, 1, 2, 180, 11, 12},
                                        {7, 6, 5, 4, 3, 1, 2, 0, -1},
                                        {-1, 180, INT_MIN, 0, 2, INT_MAX, 1, 13, 14}};
    for (const auto& values : rounds) {
        for (size_t index = 0; index < SettingCount; ++index) {
            ASSERT_TRUE(store.Write(AllSettings[index].setting, values[index])) << AllSettings[index].name;
        }
        for (size_t index = 0; index < SettingCount; ++index) {
            const auto& [setting, name] = AllSettings[index];
            EXPECT_EQ(values[index], store.Read(setting)) << name;
            EXPECT_EQ(std::optional(static_cast<DWORD>(values[index])), RawNumber(key, name)) << name;
        }
    }

    const std::wstring digest = L"7C4A8D09CA3762AF61E59520943DC26494F8941B";
    for (const std::wstring& password :
         {digest, std::wstring(), std::wstring(L"\u4F60\u597D\u00E9"), std::wstring(5000, L'A')}) {
        ASSERT_TRUE(store.WriteUserPassword(password));
        EXPECT_EQ(password, store.ReadUserPassword());
    }
}

TEST(SettingsStore, ValuesUseTheirRegistryNamesAndTypes)
{
    testsupport::TestSettingsKey key;
    const SettingsStore store = key.Store();
    for (const auto& [setting, name] : AllSettings) {
        EXPECT_STREQ(name, SettingsStore::ValueName(setting));
    }
    ASSERT_TRUE(store.Write(Setting::NotebookProtectionEnabled, 1));
    ASSERT_TRUE(store.WriteUserPassword(L"AB"));

    // Each read allows the one type alone.
    const tl::unique_hkey raw = tl::OpenKey(HKEY_CURRENT_USER, key.SubKey().c_str(), KEY_READ);
    ASSERT_TRUE(raw);
    EXPECT_EQ(std::optional<DWORD>(1), tl::ReadDword(raw.get(), L"NotebookProtectionEnabled"));
    EXPECT_EQ(std::optional<std::wstring>(L"AB"), tl::ReadText(raw.get(), L"UserPassword"));
}

TEST(SettingsStore, MissingKeyReadsFirstStartValuesAndAWriteCreatesIt)
{
    testsupport::TestSettingsKey key;
    const SettingsStore store = key.Store();

    for (const auto& [setting, name] : AllSettings) {
        const bool batteryTimer = setting == Setting::StandbyTimerDc || setting == Setting::HibernationTimerDc;
        EXPECT_EQ(setting == Setting::HddProtectionEnabled ? 1 : batteryTimer ? -1 : 0, store.Read(setting)) << name;
    }
    EXPECT_EQ(L"", store.ReadUserPassword());
    EXPECT_FALSE(key.Exists()) << "reading must not create the key";

    ASSERT_TRUE(store.Write(Setting::CloseLid, 2));
    EXPECT_TRUE(key.Exists());
    // Made again after an uninstall, the key holding the password's digest is for
    // administrators and the system alone, as the installers make it.
    EXPECT_EQ(ProtectedKeyAccess, testsupport::AccessListOf(HKEY_CURRENT_USER, key.SubKey()));
    EXPECT_EQ(2, store.Read(Setting::CloseLid));
    // The other values are still missing and still read as at the first start.
    EXPECT_EQ(1, store.Read(Setting::HddProtectionEnabled));
    EXPECT_EQ(L"", store.ReadUserPassword());
}

TEST(SettingsStore, MistypedValuesReadAsFirstStartValues)
{
    testsupport::TestSettingsKey key;
    const SettingsStore store = key.Store();

    const wchar_t text[] = L"0";
    const std::uint64_t wide = 0;
    const DWORD number = 0;
    const WORD shortNumber = 0;
    key.PutRaw(L"HddProtectionEnabled", REG_SZ, text, sizeof(text));
    key.PutRaw(L"NotebookProtectionEnabled", REG_QWORD, &wide, sizeof(wide));
    key.PutRaw(L"CloseLid", REG_BINARY, "\x07\x00\x00\x00", 4);
    key.PutRaw(L"PowerButton", REG_DWORD, &shortNumber, sizeof(shortNumber));
    key.PutRaw(L"SleepButton", REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x03", 4);
    key.PutRaw(L"UserPassword", REG_DWORD, &number, sizeof(number));

    EXPECT_EQ(1, store.Read(Setting::HddProtectionEnabled));
    EXPECT_EQ(0, store.Read(Setting::NotebookProtectionEnabled));
    EXPECT_EQ(0, store.Read(Setting::CloseLid));
    EXPECT_EQ(0, store.Read(Setting::PowerButton));
    EXPECT_EQ(0, store.Read(Setting::SleepButton));
    EXPECT_EQ(L"", store.ReadUserPassword());

    const wchar_t expandable[] = L"%PATH%";
    key.PutRaw(L"UserPassword", REG_EXPAND_SZ, expandable, sizeof(expandable));
    EXPECT_EQ(L"", store.ReadUserPassword());

    // A write replaces the mistyped value with a proper one.
    ASSERT_TRUE(store.Write(Setting::HddProtectionEnabled, 0));
    EXPECT_EQ(0, store.Read(Setting::HddProtectionEnabled));
    ASSERT_TRUE(store.WriteUserPassword(L"ABC"));
    EXPECT_EQ(L"ABC", store.ReadUserPassword());
}

TEST(SettingsStore, UnterminatedOrOddSizedPasswordReadsSafely)
{
    testsupport::TestSettingsKey key;
    const SettingsStore store = key.Store();

    const wchar_t unterminated[] = {L'A', L'B', L'C'};
    key.PutRaw(L"UserPassword", REG_SZ, unterminated, sizeof(unterminated));
    EXPECT_EQ(L"ABC", store.ReadUserPassword());

    const wchar_t odd[] = L"XY";
    key.PutRaw(L"UserPassword", REG_SZ, odd, 3);
    EXPECT_EQ(L"X", store.ReadUserPassword());
}

TEST(SettingsStore, NothingIsCachedBetweenAccesses)
{
    testsupport::TestSettingsKey key;
    const SettingsStore first = key.Store();
    const SettingsStore second = key.Store();

    ASSERT_TRUE(first.Write(Setting::HibernationTimer, 30));
    EXPECT_EQ(30, second.Read(Setting::HibernationTimer));

    const DWORD changedBehindItsBack = 45;
    key.PutRaw(L"HibernationTimer", REG_DWORD, &changedBehindItsBack, sizeof(changedBehindItsBack));
    EXPECT_EQ(45, first.Read(Setting::HibernationTimer));
}

} // namespace

namespace {

bool KeyExistsInView(const wchar_t* subKey, REGSAM view)
{
    return static_cast<bool>(tl::OpenKey(HKEY_LOCAL_MACHINE, subKey, KEY_READ | view));
}

TEST(SettingsStore, BothBuildsUseTheNativeRegistryView)
{
    // HKEY_LOCAL_MACHINE\Software is the part that 64-bit Windows shows a 32-bit program
    // in a view of its own; only a test prefix may have keys written there.
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "writes under HKEY_LOCAL_MACHINE, which only our own Wine prefixes may have";
    }
    constexpr wchar_t subKey[] = L"Software\\QuenTremorlinkTests\\NativeView";
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subKey, view, 0);
    }
    const SettingsStore store(HKEY_LOCAL_MACHINE, subKey);
    ASSERT_TRUE(store.Write(Setting::CloseLid, 2));
    EXPECT_EQ(2, store.Read(Setting::CloseLid));
    EXPECT_TRUE(KeyExistsInView(subKey, KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExistsInView(subKey, KEY_WOW64_32KEY)) << "the x86 build wrote WOW6432Node";
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subKey, KEY_WOW64_64KEY, 0);
}

} // namespace
