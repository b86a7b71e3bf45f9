#include "password/SetPW.h"

#include "platform/HaldenFunc.h"
#include "platform/PasswordDigest.h"
#include "password/SetPWLayout.h"
#include "password/WarningForm.h"
#include "ui/LanguageSelection.h"

#include <string>

namespace {

constexpr LONG FirstRow = 86;
constexpr LONG SecondRow = 110;
constexpr LONG BoxHeight = 18;
constexpr std::size_t DigestLength = 40;

// An auto-sized caption fits its text from its top-left corner on.
RECT CaptionAt(LONG left, LONG top) noexcept { return {left, top, left + 1, top + 1}; }

RECT BoxAt(LONG left, LONG top, LONG width) noexcept { return {left, top, left + width, top + BoxHeight}; }

} // namespace

SetPW::SetPW(const SettingsStore& settings, UINT dpi)
    : SkinnedWindow({.title = Title, .dpi = dpi}), m_settings(settings), m_explanation(ui::Label::Body),
      m_firstCaption(ui::Label::Body), m_secondCaption(ui::Label::Body), m_firstBox(MaxPasswordLength, true),
      m_secondBox(MaxPasswordLength, true), m_hint(ui::Label::Body), m_ok(ui::PictureButton::Kind::Push),
      m_cancel(ui::PictureButton::Kind::Push)
{
    m_ok.Click = [this] { BodyFunc(); };
    m_cancel.Click = [this] { Abandon(); };
    CloseButton()->Click = [this] { Abandon(); };
}

bool SetPW::Create()
{
    if (!SkinnedWindow::Create()) {
        return false;
    }
    const HWND panel = Panel().Handle();
    if (!m_explanation.Create(panel, {23, 52, 23 + 361, 52 + 32}) ||
        !m_firstCaption.Create(panel, CaptionAt(SetPWDesignLayout.captionX, FirstRow)) ||
        !m_secondCaption.Create(panel, CaptionAt(SetPWDesignLayout.captionX, SecondRow)) ||
        !m_firstBox.Create(panel, BoxAt(SetPWDesignLayout.boxX, FirstRow, SetPWDesignLayout.boxWidth)) ||
        !m_secondBox.Create(panel, BoxAt(SetPWDesignLayout.boxX, SecondRow, SetPWDesignLayout.boxWidth)) ||
        !m_hint.Create(panel, CaptionAt(SetPWDesignLayout.hintX, FirstRow)) ||
        !m_ok.Create(panel, ui::PictureButton::PushBoundsAt(161, 144)) ||
        !m_cancel.Create(panel, ui::PictureButton::PushBoundsAt(270, 144))) {
        return false;
    }
    m_firstCaption.SetAutoSize(true);
    m_secondCaption.SetAutoSize(true);
    m_hint.SetAutoSize(true);

    const ui::StringTable& texts = *ui::SelectUserLanguage().table;
    TitleLabel()->SetText(texts.GetString("Create_New_Pwd"));
    m_explanation.SetText(texts.GetString("First_Launch"));
    m_firstCaption.SetText(texts.GetString("New_Pwd"));
    m_secondCaption.SetText(texts.GetString("Confirm_Pwd"));
    m_hint.SetText(texts.GetString("Chars"));
    m_ok.SetText(texts.GetString("OK"));
    m_cancel.SetText(texts.GetString("Cancel"));
    AdaptLayout();
    HaldenFunc().ModifyPassWord(1);
    return true;
}

SetPW::~SetPW() { HaldenFunc().ModifyPassWord(0); }

LRESULT SetPW::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        // Alt+F4 ends the dialog as its close button does, so that the tray menu does not
        // stay without its anti-theft item.
        Abandon();
        return 0;
    case WM_ACTIVATE:
        // Back from the warning, or from another program: typing goes on in the first box.
        if (LOWORD(wParam) != WA_INACTIVE) {
            m_firstBox.Focus();
        }
        return 0;
    default: return SkinnedWindow::WndProc(message, wParam, lParam);
    }
}

void SetPW::AdaptLayout()
{
    const SetPWLayout layout =
        AdaptSetPWLayout(m_firstCaption.DesignWidth(), m_secondCaption.DesignWidth(), m_hint.DesignWidth());
    m_firstCaption.SetLocation({layout.captionX, FirstRow});
    m_secondCaption.SetLocation({layout.captionX, SecondRow});
    m_firstBox.SetBounds(BoxAt(layout.boxX, FirstRow, layout.boxWidth));
    m_secondBox.SetBounds(BoxAt(layout.boxX, SecondRow, layout.boxWidth));
    m_hint.SetLocation({layout.hintX, FirstRow});
}

void SetPW::BodyFunc()
{
    HaldenFunc flags;
    flags.SetMsgIndex(0);
    const std::wstring first = m_firstBox.Text();
    const std::wstring second = m_secondBox.Text();
    // The boxes take at most eight characters, but a text set by a message is not typed.
    if (first.size() != second.size() || first.size() < MinPasswordLength || first != second ||
        first.size() > MaxPasswordLength) {
        Warn();
        return;
    }
    // A character that the code page lacks would be hashed as its default character, so
    // that "??????" would open a password made of letters of another alphabet.
    if (!FitsThreadCodePage(first)) {
        Warn("Pwd_Chars_Invalid");
        return;
    }
    // Whoever opened the dialog arms only on a non-empty UserPassword, so anything short
    // of a whole digest must not reach it.
    const std::wstring digest = flags.GetHashCode(first);
    if (digest.size() != DigestLength || !m_settings.WriteUserPassword(digest)) {
        StartOver();
        return;
    }
    flags.ModifyPassWord(0);
    Close();
}

void SetPW::Warn(const char* messageKey)
{
    // A warning that cannot be made rejects the entries all the same, as Retry does.
    WarningForm warning(Ref());
    if (!warning.Create()) {
        StartOver();
        return;
    }
    warning.SetMessage(ui::SelectUserLanguage().table->GetString(messageKey));
    warning.SecondMessage().SetVisible(false);
    warning.Message().SetVisible(true);
    warning.Icon().SetVisible(true);
    warning.CancelButton().SetVisible(true);
    warning.RetryButton().SetVisible(true);
    warning.ShowModal();

    HaldenFunc flags;
    const int answer = flags.GetMsgIndex();
    flags.SetMsgIndex(0);
    // Cancel in the warning gives up the password altogether; the warning has already
    // cleared ModifyPassWordCheck.
    if (answer == 1) {
        Close();
        return;
    }
    StartOver();
}

void SetPW::StartOver()
{
    m_firstBox.Clear();
    m_secondBox.Clear();
    m_firstBox.Focus();
}

void SetPW::Abandon()
{
    HaldenFunc().ModifyPassWord(0);
    Close();
}
