#include "password/WarningForm.h"

#include "DialogInput.h"
#include "Edges.h"
#include "TestSupport.h"
#include "platform/HaldenFunc.h"
#include "ui/LanguageSelection.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace {

using namespace dialoginput;

using testsupport::Edges;
using testsupport::EdgesOf;

class WarningFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoveTo({2, 2});
        flags.SetMsgIndex(0);
        flags.ModifyPassWord(1);
        testsupport::PumpPending();
    }
    void TearDown() override
    {
        flags.SetMsgIndex(0);
        flags.ModifyPassWord(0);
    }

    HaldenFunc flags;
};

TEST_F(WarningFormTest, ShowsTheTableTextsTheWarningIconAndItsButtonsInTheirPlaces)
{
    const ui::StringTable& texts = *ui::SelectUserLanguage().table;
    WarningForm warning{ui::WindowRef()};
    ASSERT_TRUE(warning.Create());
    EXPECT_EQ(warning.Handle(), FindWindowW(nullptr, WarningForm::Title));
    EXPECT_EQ(texts.GetString("Wrong_Pwd"), warning.TitleLabel()->Text());
    EXPECT_EQ(texts.GetString("Wrong_Pwd_Info"), warning.Message().Text());
    EXPECT_EQ(texts.GetString("Retry"), warning.RetryButton().Text());
    EXPECT_EQ(texts.GetString("Cancel"), warning.CancelButton().Text());
    EXPECT_EQ(L"", warning.SecondMessage().Text()) << "the spare line never gets a text";
    EXPECT_EQ(2, warning.Icon().ImageIndex());

    // The title over the banner lies at (23,38) of the window.
    POINT title{0, 0};
    MapWindowPoints(warning.TitleLabel()->Handle(), warning.Handle(), &title, 1);
    EXPECT_EQ(23, title.x);
    EXPECT_EQ(38, title.y);
    EXPECT_EQ((Edges{23, 57, 288, 80}), EdgesOf(warning.SecondMessage().Bounds()));
    EXPECT_EQ((Edges{101, 96, 341, 120}), EdgesOf(warning.Message().Bounds()));
    EXPECT_EQ((Edges{19, 70, 83, 134}), EdgesOf(warning.Icon().Bounds()));
    EXPECT_EQ((Edges{161, 144, 265, 168}), EdgesOf(warning.RetryButton().Bounds()));
    EXPECT_EQ((Edges{270, 144, 374, 168}), EdgesOf(warning.CancelButton().Bounds()));
    ASSERT_NE(nullptr, warning.CloseButton());
    EXPECT_EQ((Edges{371, 6, 394, 20}), EdgesOf(warning.CloseButton()->Bounds()));
    EXPECT_EQ(1, flags.GetModifyPassWord()) << "building it changes no flag";
    EXPECT_EQ(0, flags.GetMsgIndex());
}

TEST_F(WarningFormTest, RetryAnswersTwoAndLeavesTheDialogFlagAlone)
{
    WarningForm warning{ui::WindowRef()};
    ASSERT_TRUE(warning.Create());
    Script script({ClickAt([&] { return CentreOf(warning.RetryButton().Handle()); })}, {WarningForm::Title});
    warning.ShowModal();

    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(warning.IsOpen());
    EXPECT_EQ(nullptr, FindWindowW(nullptr, WarningForm::Title));
    EXPECT_EQ(2, flags.GetMsgIndex());
    EXPECT_EQ(1, flags.GetModifyPassWord());
}

TEST_F(WarningFormTest, CancelAndTheCloseButtonAnswerOneAndEndTheDialogFlag)
{
    for (const bool closeButton : {false, true}) {
        SCOPED_TRACE(closeButton ? "close button" : "Cancel");
        flags.SetMsgIndex(0);
        flags.ModifyPassWord(1);
        WarningForm warning{ui::WindowRef()};
        ASSERT_TRUE(warning.Create());
        const HWND button = closeButton ? warning.CloseButton()->Handle() : warning.CancelButton().Handle();
        Script script({ClickAt([button] { return CentreOf(button); })}, {WarningForm::Title});
        warning.ShowModal();

        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(warning.IsOpen());
        EXPECT_EQ(1, flags.GetMsgIndex());
        EXPECT_EQ(0, flags.GetModifyPassWord());
    }
}

} // namespace
