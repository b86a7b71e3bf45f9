#include "ui/CtrlText.h"

#include <array>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace {

struct NamedTable {
    const char* name;
    const ui::StringTable* table;
};

const std::array<NamedTable, 8> AllTables{{
    {"CtrlText_enUS", &ui::CtrlText_enUS},
    {"CtrlText_zhCN", &ui::CtrlText_zhCN},
    {"CtrlText_zhTw", &ui::CtrlText_zhTw},
    {"CtrlText_deDE", &ui::CtrlText_deDE},
    {"CtrlText_frFR", &ui::CtrlText_frFR},
    {"CtrlText_itIT", &ui::CtrlText_itIT},
    {"CtrlText_ptPT", &ui::CtrlText_ptPT},
    {"CtrlText_esCO", &ui::CtrlText_esCO},
}};

TEST(CtrlText, EnglishHoldsEveryKeyWithItsExactText)
{
    struct Expected {
        const char* key;
        const wchar_t* text;
    };
    // "Shcoked" is the key's real spelling: the shock balloon looks it up under it.
    const Expected english[] = {
        {"About", L"About"},
        {"Cancel", L"Cancel"},
        {"Chars", L"(4-8 characters)"},
        {"Confirm_Pwd", L"Confirm Password:"},
        {"Create_New_Pwd", L"Create New Password"},
        {"Exit", L"Exit"},
        {"First_Launch", L"This is the first launch of Anti-Theft, and this password is used to quit this function"},
        {"HDD_Prot", L"Hard Drive Protection"},
        {"Help", L"Help"},
        {"NB_Prot", L"Anti-Theft"},
        {"New_Pwd", L"New Password:"},
        {"No_Shock", L"No shock or vibration, HDD is functional"},
        {"OK", L"OK"},
        {"Pwd", L"Password:"},
        {"Pwd_Chars_Invalid", L"The password contains characters that cannot be used; use letters and digits"},
        {"Pwd_Verify", L"Please enter password to disable Anti-Theft"},
        {"Retry", L"Retry"},
        {"Shcoked", L"Shock or vibration detected, HDD protected"},
        {"Tray_Logo", L"Quen Tremorlink"},
        {"Unattended", L"Unauthorized removed, please enter password to stop the beep sound"},
        {"Wrong_Pwd", L"Wrong Password"},
        {"Wrong_Pwd_Info", L"The password is incorrect"},
    };
    static_assert(std::size(english) == ui::StringTable::KeyCount);
    for (const auto& [key, text] : english) {
        EXPECT_EQ(text, ui::CtrlText_enUS.GetString(key)) << key;
    }
}

TEST(CtrlText, AKeyNoTableHoldsGivesAnEmptyText)
{
    // Near misses of real keys: a lookup must match the whole key, letter case included.
    for (const auto& [name, table] : AllTables) {
        SCOPED_TRACE(name);
        for (const char* missing : {"pwd", "PWD", "Pwd ", "Pwd_", "Shocked", "", "Wrong_Pwd_Info_"}) {
            EXPECT_EQ(L"", table->GetString(missing)) << '"' << missing << '"';
        }
    }
}

TEST(CtrlText, TranslationsCarryTheProductsOwnNamesForBothProtections)
{
    struct Expected {
        const ui::StringTable* table;
        const wchar_t* hddProt;
        const wchar_t* nbProt;
        const wchar_t* chars;
    };
    const Expected translated[] = {
        {&ui::CtrlText_deDE, L"Festplattenschutz", L"Anti-Theft", L"(4-8 zeichen)"},
        {&ui::CtrlText_esCO, L"Protecci\u00f3n del disco duro", L"Antirrobo", L"(4-8 caracteres)"},
        {&ui::CtrlText_frFR, L"Protection du disque dur", L"Antivol", L"(4-8 caract\u00e8res)"},
        {&ui::CtrlText_itIT, L"Protezione dell'unit\u00e0 disco rigido", L"Antifurto", L"(4-8 caratteri)"},
        {&ui::CtrlText_ptPT, L"Protec\u00e7\u00e3o do disco r\u00edgido", L"Anti-roubo", L"(4-8 caracteres)"},
        {&ui::CtrlText_zhCN, L"\u786c\u76d8\u4fdd\u62a4", L"\u9632\u76d7", L"(4-8 \u5b57\u7b26)"},
        {&ui::CtrlText_zhTw, L"\u4fdd\u8b77\u786c\u789f", L"\u9632\u76dc", L"(4-8 \u5b57\u5143)"},
    };
    for (const auto& expected : translated) {
        const auto& table = *expected.table;
        EXPECT_EQ(expected.hddProt, table.GetString("HDD_Prot"));
        EXPECT_EQ(expected.nbProt, table.GetString("NB_Prot"));
        EXPECT_EQ(expected.chars, table.GetString("Chars"));
    }
}

TEST(CtrlText, EveryTableNamesTheProductAlikeAndEndsItsBoxCaptionsWithAColon)
{
    for (const auto& [name, table] : AllTables) {
        SCOPED_TRACE(name);
        EXPECT_EQ(L"Quen Tremorlink", table->GetString("Tray_Logo"));
        for (const char* caption : {"New_Pwd", "Confirm_Pwd", "Pwd"}) {
            const auto text = table->GetString(caption);
            EXPECT_TRUE(text.size() > 1 && text.back() == L':') << caption;
        }
    }
}

TEST(CtrlText, EveryOtherTableIsTranslated)
{
    // Keys whose English text no translation keeps; a table copied from English by
    // mistake would show them untranslated.
    for (const auto& [name, table] : AllTables) {
        if (table == &ui::CtrlText_enUS) {
            continue;
        }
        SCOPED_TRACE(name);
        for (const char* key : {"Create_New_Pwd", "First_Launch", "No_Shock", "Pwd_Chars_Invalid", "Pwd_Verify",
                                "Shcoked", "Unattended", "Wrong_Pwd_Info"}) {
            EXPECT_NE(ui::CtrlText_enUS.GetString(key), table->GetString(key)) << key;
        }
    }
}

} // namespace
