#include "password/SetPW.h"

#include "DialogInput.h"
#include "Edges.h"
#include "TestSupport.h"
#include "TestWindow.h"
#include "platform/HaldenFunc.h"
#include "password/SetPWLayout.h"
#include "password/WarningForm.h"
#include "ui/LanguageSelection.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using ui::TextBox;
using ui::Window;

using namespace dialoginput;

using testsupport::Edges;
using testsupport::EdgesOf;

LONG WidthOf(const Window& window)
{
    const RECT bounds = window.Bounds();
    return bounds.right - bounds.left;
}

HWND Warning() { return FindWindowW(nullptr, WarningForm::Title); }

// The warning's buttons, in its window: the panel at (6,25), the buttons in the panel.
POINT WarningRetry() { return OnScreen(Warning(), {6 + 161 + 52, 25 + 144 + 12}); }
POINT WarningCancel() { return OnScreen(Warning(), {6 + 270 + 52, 25 + 144 + 12}); }
POINT WarningClose() { return OnScreen(Warning(), {371 + 11, 6 + 7}); }

class SetPWTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoveTo({2, 2});
        flags.SetMsgIndex(0);
        flags.ModifyPassWord(0);
        testsupport::PumpPending();
    }
    void TearDown() override
    {
        flags.SetMsgIndex(0);
        flags.ModifyPassWord(0);
    }

    // Both entries typed, the second after a Tab, and OK clicked.
    static std::vector<Step> Enter(SetPW& dialog, const std::wstring& first, const std::wstring& second)
    {
        std::vector<Step> steps{Type(first), PressKey(VK_TAB), Type(second)};
        for (Step& step : ClickAt([&dialog] { return CentreOf(dialog.OkButton().Handle()); })) {
            steps.push_back(std::move(step));
        }
        return steps;
    }

    testsupport::TestSettingsKey key;
    HaldenFunc flags;
};

TEST_F(SetPWTest, ShowsTheTableTextsInTheirPlacesAndMarksThePasswordBeingMade)
{
    const ui::StringTable& texts = *ui::SelectUserLanguage().table;
    SetPW dialog(key.Store());
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(1, flags.GetModifyPassWord());
    EXPECT_EQ(dialog.Handle(), FindWindowW(nullptr, SetPW::Title));
    EXPECT_EQ(texts.GetString("Create_New_Pwd"), dialog.TitleLabel()->Text());
    EXPECT_EQ(texts.GetString("New_Pwd"), dialog.FirstCaption().Text());
    EXPECT_EQ(texts.GetString("Confirm_Pwd"), dialog.SecondCaption().Text());
    EXPECT_EQ(texts.GetString("Chars"), dialog.Hint().Text());
    EXPECT_EQ(texts.GetString("OK"), dialog.OkButton().Text());
    EXPECT_EQ(texts.GetString("Cancel"), dialog.CancelButton().Text());

    // The row follows the captions' and the hint's measured widths.
    const SetPWLayout layout =
        AdaptSetPWLayout(WidthOf(dialog.FirstCaption()), WidthOf(dialog.SecondCaption()), WidthOf(dialog.Hint()));
    EXPECT_EQ(layout.captionX, dialog.FirstCaption().Bounds().left);
    EXPECT_EQ(110, dialog.SecondCaption().Bounds().top);
    EXPECT_EQ(layout.captionX, dialog.SecondCaption().Bounds().left);
    EXPECT_EQ((Edges{layout.boxX, 86, layout.boxX + layout.boxWidth, 104}), EdgesOf(dialog.FirstBox().Bounds()));
    EXPECT_EQ((Edges{layout.boxX, 110, layout.boxX + layout.boxWidth, 128}), EdgesOf(dialog.SecondBox().Bounds()));
    EXPECT_EQ(layout.hintX, dialog.Hint().Bounds().left);
    EXPECT_EQ(86, dialog.Hint().Bounds().top);
    EXPECT_EQ((Edges{161, 144, 265, 168}), EdgesOf(dialog.OkButton().Bounds()));
    EXPECT_EQ((Edges{270, 144, 374, 168}), EdgesOf(dialog.CancelButton().Bounds()));
    for (const TextBox* box : {&dialog.FirstBox(), &dialog.SecondBox()}) {
        EXPECT_EQ(8, SendMessageW(box->Handle(), EM_GETLIMITTEXT, 0, 0));
        EXPECT_EQ(L'*', SendMessageW(box->Handle(), EM_GETPASSWORDCHAR, 0, 0));
    }
    EXPECT_EQ(dialog.SecondBox().Handle(), GetNextDlgTabItem(dialog.Handle(), dialog.FirstBox().Handle(), FALSE));
}

TEST_F(SetPWTest, RejectedEntriesWarnAndRetryStartsOverWithEmptyBoxes)
{
    struct Case {
        const wchar_t* first;
        const wchar_t* second;
    };
    for (const Case& entries : {Case{L"", L""}, Case{L"abc", L"abc"}, Case{L"abcd5678", L"abcd5679"},
                                Case{L"ab12", L"ab13"}, Case{L"abcde", L"abcdef"}}) {
        SCOPED_TRACE(testing::Message() << "'" << entries.first << "' '" << entries.second << "'");
        SetPW dialog(key.Store());
        ASSERT_TRUE(dialog.Create());
        const HWND firstBox = dialog.FirstBox().Handle();
        bool hiddenSpareLine = false;
        bool shownMessage = false;
        int flagDuringWarning = -1;
        std::wstring firstAfter = L"-";
        std::wstring secondAfter = L"-";
        HWND focusAfter = nullptr;
        int indexAfter = -1;
        Script script(
            {Enter(dialog, entries.first, entries.second),
             Steps({WaitFor([] { return testsupport::ShownWindow(WarningForm::Title) != nullptr; }), Do([&] {
                        // What shows at the spare line's place and at the message's.
                        const HWND panel = ChildWindowFromPoint(Warning(), {200, 100});
                        hiddenSpareLine = ChildWindowFromPointEx(panel, {150, 60}, CWP_SKIPINVISIBLE) == panel;
                        shownMessage = ChildWindowFromPointEx(panel, {150, 100}, CWP_SKIPINVISIBLE) != panel;
                        flagDuringWarning = flags.GetModifyPassWord();
                    })}),
             ClickAt(WarningRetry), Steps({WaitFor([] { return Warning() == nullptr; }), Do([&] {
                                               firstAfter = dialog.FirstBox().Text();
                                               secondAfter = dialog.SecondBox().Text();
                                               focusAfter = GetFocus();
                                               indexAfter = flags.GetMsgIndex();
                                           })}),
             ClickAt([&dialog] { return CentreOf(dialog.CancelButton().Handle()); })},
            {WarningForm::Title, SetPW::Title});
        dialog.ShowModal();

        ASSERT_TRUE(script.Done());
        EXPECT_TRUE(hiddenSpareLine);
        EXPECT_TRUE(shownMessage);
        EXPECT_EQ(1, flagDuringWarning);
        EXPECT_EQ(L"", firstAfter);
        EXPECT_EQ(L"", secondAfter);
        EXPECT_EQ(firstBox, focusAfter);
        EXPECT_EQ(0, indexAfter);
        EXPECT_EQ(L"", key.Store().ReadUserPassword());
        EXPECT_EQ(0, flags.GetModifyPassWord()) << "the dialog's Cancel ended it";
    }
}

TEST_F(SetPWTest, EqualEntriesOfFourToEightCharactersStoreTheirDigestAndClose)
{
    struct Case {
        const wchar_t* typed;
        const wchar_t* kept;
    };
    for (const Case& entry : {Case{L"ab12", L"ab12"}, Case{L"abcd1234e", L"abcd1234"}}) {
        SCOPED_TRACE(testing::Message() << "'" << entry.typed << "'");
        SetPW dialog(key.Store());
        ASSERT_TRUE(dialog.Create());
        std::wstring firstTyped;
        std::wstring secondTyped;
        Script script({Steps({Type(entry.typed), PressKey(VK_TAB), Type(entry.typed), Do([&] {
                                  firstTyped = dialog.FirstBox().Text();
                                  secondTyped = dialog.SecondBox().Text();
                              })}),
                       ClickAt([&dialog] { return CentreOf(dialog.OkButton().Handle()); })},
                      {WarningForm::Title, SetPW::Title});
        dialog.ShowModal();

        ASSERT_TRUE(script.Done());
        EXPECT_EQ(entry.kept, firstTyped);
        EXPECT_EQ(entry.kept, secondTyped);
        EXPECT_FALSE(dialog.IsOpen());
        const std::wstring stored = key.Store().ReadUserPassword();
        EXPECT_EQ(40u, stored.size());
        EXPECT_EQ(flags.GetHashCode(entry.kept), stored);
        EXPECT_EQ(0, flags.GetModifyPassWord());
        EXPECT_EQ(0, flags.GetMsgIndex());
    }
}

TEST_F(SetPWTest, CancelOrCloseInTheWarningClosesBothAndStoresNothing)
{
    for (const auto& giveUp : {WarningCancel, WarningClose}) {
        SetPW dialog(key.Store());
        ASSERT_TRUE(dialog.Create());
        Script script(
            {Enter(dialog, L"abc", L"abc"), Steps({WaitFor([] { return Warning() != nullptr; })}), ClickAt(giveUp)},
            {WarningForm::Title, SetPW::Title});
        dialog.ShowModal();

        ASSERT_TRUE(script.Done());
        EXPECT_FALSE(script.TimedOut());
        EXPECT_FALSE(dialog.IsOpen());
        EXPECT_EQ(nullptr, Warning());
        EXPECT_EQ(nullptr, FindWindowW(nullptr, SetPW::Title));
        EXPECT_EQ(L"", key.Store().ReadUserPassword());
        EXPECT_EQ(0, flags.GetModifyPassWord());
        EXPECT_EQ(0, flags.GetMsgIndex());
    }
}

TEST_F(SetPWTest, CancelTheCloseButtonAndAltF4StoreNothingAndEndTheDialogFlag)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        SetPW dialog(key.Store());
        ASSERT_TRUE(dialog.Create());
        const auto giveUp = [&dialog, way]() -> std::vector<Step> {
            switch (way) {
            case 0: return ClickAt([&dialog] { return CentreOf(dialog.CancelButton().Handle()); });
            case 1: return ClickAt([&dialog] { return CentreOf(dialog.CloseButton()->Handle()); });
            default: return {Do([&dialog] { SendMessageW(dialog.Handle(), WM_CLOSE, 0, 0); })};
            }
        };
        Script script({Steps({Type(L"ab12"), PressKey(VK_TAB), Type(L"ab12")}), giveUp()},
                      {WarningForm::Title, SetPW::Title});
        dialog.ShowModal();

        ASSERT_TRUE(script.Done());
        EXPECT_FALSE(dialog.IsOpen());
        EXPECT_FALSE(key.Exists()) << "nothing was written";
        EXPECT_EQ(0, flags.GetModifyPassWord());
    }
}

TEST_F(SetPWTest, ValidEntriesThatCannotBeStoredLeaveTheDialogOpenWithEmptyBoxes)
{
    // A root key that does not exist: every write fails.
    const SettingsStore unwritable(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654)), L"Nowhere");
    SetPW dialog(unwritable);
    ASSERT_TRUE(dialog.Create());
    bool stillOpen = false;
    std::wstring firstAfter = L"-";
    std::wstring secondAfter = L"-";
    int flagAfter = -1;
    Script script({Enter(dialog, L"ab12", L"ab12"),
                   Steps({WaitFor([&] { return dialog.FirstBox().Text().empty(); }), Do([&] {
                              stillOpen = dialog.IsOpen() && Warning() == nullptr;
                              firstAfter = dialog.FirstBox().Text();
                              secondAfter = dialog.SecondBox().Text();
                              flagAfter = flags.GetModifyPassWord();
                          })}),
                   ClickAt([&dialog] { return CentreOf(dialog.CancelButton().Handle()); })},
                  {WarningForm::Title, SetPW::Title});
    dialog.ShowModal();

    ASSERT_TRUE(script.Done());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(L"", firstAfter);
    EXPECT_EQ(L"", secondAfter);
    EXPECT_EQ(1, flagAfter);
    EXPECT_EQ(L"", unwritable.ReadUserPassword());
}

std::wstring WarningMessage()
{
    const HWND panel = ChildWindowFromPoint(Warning(), {200, 100});
    return testsupport::TextOf(ChildWindowFromPointEx(panel, {150, 100}, CWP_SKIPINVISIBLE));
}

TEST_F(SetPWTest, TheWarningIsModalOverTheDialogAndGivesItBackItsFocus)
{
    SetPW dialog(key.Store());
    ASSERT_TRUE(dialog.Create());
    const HWND dialogWindow = dialog.Handle();
    const HWND firstBox = dialog.FirstBox().Handle();
    HWND owner = nullptr;
    bool dialogEnabled = true;
    int warningsAfterSecondOk = 0;
    bool enabledAfter = false;
    HWND activeAfter = nullptr;
    HWND focusAfter = nullptr;
    Script script({Enter(dialog, L"abc", L"abc"), Steps({WaitFor([] { return Warning() != nullptr; }), Do([&] {
                                                             owner = GetWindow(Warning(), GW_OWNER);
                                                             dialogEnabled = IsWindowEnabled(dialog.Handle()) != FALSE;
                                                             // Out of the way of the dialog's OK.
                                                             SetWindowPos(Warning(), nullptr, 0, 0, 0, 0,
                                                                          SWP_NOSIZE | SWP_NOZORDER);
                                                         })}),
                   ClickAt([&dialog] { return CentreOf(dialog.OkButton().Handle()); }),
                   Steps({Do([&] { warningsAfterSecondOk = testsupport::WindowsTitled(WarningForm::Title); })}),
                   ClickAt(WarningRetry), Steps({WaitFor([] { return Warning() == nullptr; }), Do([&] {
                                                     enabledAfter = IsWindowEnabled(dialog.Handle()) != FALSE;
                                                     activeAfter = GetActiveWindow();
                                                     focusAfter = GetFocus();
                                                 })}),
                   ClickAt([&dialog] { return CentreOf(dialog.CancelButton().Handle()); })},
                  {WarningForm::Title, SetPW::Title});
    dialog.ShowModal();

    ASSERT_TRUE(script.Done());
    EXPECT_EQ(dialogWindow, owner);
    EXPECT_FALSE(dialogEnabled) << "the dialog takes no input under its warning";
    EXPECT_EQ(1, warningsAfterSecondOk) << "a click on the dialog's OK opened a second warning";
    EXPECT_TRUE(enabledAfter);
    EXPECT_EQ(dialogWindow, activeAfter);
    EXPECT_EQ(firstBox, focusAfter);
}

TEST_F(SetPWTest, EntriesSetWithoutTypingAreCheckedToo)
{
    // A message can put any text into the boxes: more than eight characters, or letters
    // that the thread's code page would store as "?".
    struct Case {
        const wchar_t* text;
        const char* messageKey;
    };
    const Case cases[] = {
        {L"abcdefghij", "Wrong_Pwd_Info"},
        {L"\u041F\u0430\u0440\u043E\u043B\u044C", "Pwd_Chars_Invalid"},
    };
    const LCID previous = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    const ui::StringTable& texts = *ui::SelectUserLanguage().table;
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.messageKey);
        SetPW dialog(key.Store());
        ASSERT_TRUE(dialog.Create());
        std::wstring message;
        Script script({Steps({Do([&] {
                           SetWindowTextW(dialog.FirstBox().Handle(), entry.text);
                           SetWindowTextW(dialog.SecondBox().Handle(), entry.text);
                       })}),
                       ClickAt([&dialog] { return CentreOf(dialog.OkButton().Handle()); }),
                       Steps({WaitFor([] { return Warning() != nullptr; }), Do([&] { message = WarningMessage(); })}),
                       ClickAt(WarningCancel)},
                      {WarningForm::Title, SetPW::Title});
        dialog.ShowModal();

        ASSERT_TRUE(script.Done());
        EXPECT_EQ(texts.GetString(entry.messageKey), message);
        EXPECT_EQ(L"", key.Store().ReadUserPassword());
    }
    SetThreadLocale(previous);
}

TEST_F(SetPWTest, AQuitRequestEndsTheDialogAndGivesTheMenuItsItemBack)
{
    {
        SetPW dialog(key.Store());
        ASSERT_TRUE(dialog.Create());
        Script script({Steps({Do([] { PostQuitMessage(0); })})}, {SetPW::Title});
        dialog.ShowModal();
        EXPECT_EQ(1, flags.GetModifyPassWord()) << "still the dialog's";
    }
    EXPECT_EQ(0, flags.GetModifyPassWord());
}

} // namespace
