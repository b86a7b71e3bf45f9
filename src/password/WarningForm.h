#pragma once
// The skinned message window with which the create-password dialog rejects its entries.
// It offers Retry and Cancel and leaves the choice in MsgIndex for the caller to read
// after it has closed: 2 for Retry, 1 for Cancel or the close button. Cancel also ends
// the password dialog, so it clears ModifyPassWordCheck here.
#include "ui/Label.h"
#include "ui/PictureBox.h"
#include "ui/PictureButton.h"
#include "ui/SkinnedWindow.h"

class WarningForm final : public ui::SkinnedWindow {
public:
    // Names the window for FindWindow; never shown.
    static constexpr const wchar_t* Title = L"Quen_WarningForm";

    // Opened over owner (the create-password dialog), at its DPI, which takes no input
    // meanwhile.
    explicit WarningForm(ui::WindowRef owner);

    [[nodiscard]] bool Create() override;

    // Another message than the table's: one that needs more lines takes them, down to
    // the buttons.
    void SetMessage(const std::wstring& text);

    // The caller decides which of these show before it opens the window.
    ui::Label& SecondMessage() noexcept { return m_secondMessage; }
    ui::Label& Message() noexcept { return m_message; }
    ui::PictureBox& Icon() noexcept { return m_icon; }
    ui::PictureButton& RetryButton() noexcept { return m_retry; }
    ui::PictureButton& CancelButton() noexcept { return m_cancel; }

private:
    void Retry();
    void GiveUp();

    ui::Label m_secondMessage;
    ui::Label m_message;
    ui::PictureBox m_icon;
    ui::PictureButton m_retry;
    ui::PictureButton m_cancel;
};
