#include "ui/StringTable.h"

#include "ui/CtrlText.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTable, LooksUpTheWholeKeyExactly)
{
    // "Pwd" is a prefix of "Pwd_Verify", and "Wrong_Pwd" of "Wrong_Pwd_Info".
    EXPECT_EQ(L"Password:", ui::CtrlText_enUS.GetString("Pwd"));
    EXPECT_EQ(L"Please enter password to disable Anti-Theft", ui::CtrlText_enUS.GetString("Pwd_Verify"));
    EXPECT_EQ(L"Wrong Password", ui::CtrlText_enUS.GetString("Wrong_Pwd"));
    EXPECT_EQ(L"The password is incorrect", ui::CtrlText_enUS.GetString("Wrong_Pwd_Info"));
}

TEST(StringTable, AKeyTheTableDoesNotHoldGivesAnEmptyText)
{
    for (const char* missing : {"pwd", "PWD", "Pwd ", "Pwd_", "Shocked", "", "Wrong_Pwd_Info_"}) {
        EXPECT_EQ(L"", ui::CtrlText_enUS.GetString(missing)) << '"' << missing << '"';
        EXPECT_EQ(L"", ui::CtrlText_zhTw.GetString(missing)) << '"' << missing << '"';
    }
}

TEST(StringTable, ATableBuiltFromEntriesAnswersFromThem)
{
    ui::StringTable::Entries entries{};
    entries[0] = {"First", L"one"};
    entries[20] = {"Last", L"twenty-one"};
    const ui::StringTable table(entries);
    EXPECT_EQ(L"one", table.GetString("First"));
    EXPECT_EQ(L"twenty-one", table.GetString("Last"));
    EXPECT_EQ(L"", table.GetString("Middle"));
}

} // namespace
