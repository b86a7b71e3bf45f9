#include "ui/LanguageSelection.h"

#include "ui/CtrlText.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    LCID locale;
    const ui::StringTable* table;
    int languageId;
};

void ExpectSelections(std::initializer_list<Case> cases)
{
    for (const auto& expected : cases) {
        SCOPED_TRACE(testing::Message() << "LCID 0x" << std::hex << expected.locale);
        const auto selection = ui::SelectLanguage(expected.locale);
        EXPECT_EQ(expected.table, selection.table);
        EXPECT_EQ(expected.languageId, selection.languageId);
    }
}

TEST(LanguageSelection, SimplifiedChineseOnlyForChinaAndTheNeutralLocale)
{
    ExpectSelections({
        {0x0804, &ui::CtrlText_zhCN, 2052}, // China
        {0x0004, &ui::CtrlText_zhCN, 2052}, // neutral simplified
        {0x0404, &ui::CtrlText_zhTw, 1028}, // Taiwan
        {0x0C04, &ui::CtrlText_zhTw, 1028}, // Hong Kong
        {0x1004, &ui::CtrlText_zhTw, 1028}, // Singapore
        {0x1404, &ui::CtrlText_zhTw, 1028}, // Macao
        {0x7C04, &ui::CtrlText_zhTw, 1028}, // neutral traditional
    });
}

TEST(LanguageSelection, EverySublanguageGetsItsLanguagesTableAndFixedNumber)
{
    ExpectSelections({
        {0x0407, &ui::CtrlText_deDE, 1031},
        {0x0807, &ui::CtrlText_deDE, 1031},
        {0x0C07, &ui::CtrlText_deDE, 1031},
        {0x0007, &ui::CtrlText_deDE, 1031},
        {0x0409, &ui::CtrlText_enUS, 1033},
        {0x0809, &ui::CtrlText_enUS, 1033},
        {0x040A, &ui::CtrlText_esCO, 1034},
        {0x080A, &ui::CtrlText_esCO, 1034},
        {0x0C0A, &ui::CtrlText_esCO, 1034},
        {0x240A, &ui::CtrlText_esCO, 1034},
        {0x040C, &ui::CtrlText_frFR, 1036},
        {0x0C0C, &ui::CtrlText_frFR, 1036},
        {0x0410, &ui::CtrlText_itIT, 1040},
        {0x0810, &ui::CtrlText_itIT, 1040},
        {0x0416, &ui::CtrlText_ptPT, 1046},
        {0x0816, &ui::CtrlText_ptPT, 1046},
    });
}

TEST(LanguageSelection, OnlyTheLowByteOfTheLocaleCounts)
{
    // A locale with an alternative sort order differs above the language number.
    ExpectSelections({
        {0x00010407, &ui::CtrlText_deDE, 1031}, // German, phone book sort
        {0x00040404, &ui::CtrlText_zhTw, 1028}, // Taiwan, pronunciation sort
    });
}

TEST(LanguageSelection, LanguagesWithoutATableFallBackToEnglish)
{
    ExpectSelections({
        {0x0411, &ui::CtrlText_enUS, 1033}, // Japanese
        {0x0419, &ui::CtrlText_enUS, 1033}, // Russian
        {0x0413, &ui::CtrlText_enUS, 1033}, // Dutch
        {0x0412, &ui::CtrlText_enUS, 1033}, // Korean
        {0x0000, &ui::CtrlText_enUS, 1033},
        {0x0400, &ui::CtrlText_enUS, 1033}, // the process default
        {0x007F, &ui::CtrlText_enUS, 1033}, // invariant
    });
}

} // namespace
