#include "password/WarningForm.h"

#include "platform/HaldenFunc.h"
#include "resource.h"
#include "ui/Dpi.h"
#include "ui/LanguageSelection.h"

#include <algorithm>

namespace {

constexpr int StatusIconCount = 3;
constexpr RECT MessageBounds{101, 96, 101 + 240, 96 + 24};
constexpr int MessageHeight = MessageBounds.bottom - MessageBounds.top;
// Down to 4 pixels above the buttons.
constexpr int MessageMaxHeight = 144 - 4 - MessageBounds.top;
constexpr int WarningIcon = 2;

} // namespace

WarningForm::WarningForm(ui::WindowRef owner)
    : SkinnedWindow({.title = Title, .owner = owner}), m_secondMessage(ui::Label::Body), m_message(ui::Label::Body),
      m_icon(IDB_STATUS_ICONS, StatusIconCount, WarningIcon), m_retry(ui::PictureButton::Kind::Push),
      m_cancel(ui::PictureButton::Kind::Push)
{
    m_retry.Click = [this] { Retry(); };
    m_cancel.Click = [this] { GiveUp(); };
    CloseButton()->Click = [this] { GiveUp(); };
}

bool WarningForm::Create()
{
    if (!SkinnedWindow::Create()) {
        return false;
    }
    const HWND panel = Panel().Handle();
    if (!m_secondMessage.Create(panel, {23, 57, 23 + 265, 57 + 23}) || !m_message.Create(panel, MessageBounds) ||
        !m_icon.Create(panel, {19, 70, 19 + 64, 70 + 64}) ||
        !m_retry.Create(panel, ui::PictureButton::PushBoundsAt(161, 144)) ||
        !m_cancel.Create(panel, ui::PictureButton::PushBoundsAt(270, 144))) {
        return false;
    }
    const ui::StringTable& texts = *ui::SelectUserLanguage().table;
    TitleLabel()->SetText(texts.GetString("Wrong_Pwd"));
    m_message.SetText(texts.GetString("Wrong_Pwd_Info"));
    m_retry.SetText(texts.GetString("Retry"));
    m_cancel.SetText(texts.GetString("Cancel"));
    return true;
}

void WarningForm::SetMessage(const std::wstring& text)
{
    m_message.SetText(text);
    const int needed = ui::Unscale(m_message.WrappedTextHeight(), m_message.Dpi());
    m_message.SetBounds({MessageBounds.left, MessageBounds.top, MessageBounds.right,
                         MessageBounds.top + std::clamp(needed, MessageHeight, MessageMaxHeight)});
}

void WarningForm::Retry()
{
    HaldenFunc().SetMsgIndex(2);
    Close();
}

void WarningForm::GiveUp()
{
    HaldenFunc flags;
    flags.SetMsgIndex(1);
    flags.ModifyPassWord(0);
    Close();
}
