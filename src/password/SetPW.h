#pragma once
// The dialog in which the user creates the anti-theft password: the password twice, at
// least four and at most eight characters. Only the digest of a password that passes
// every check is stored, as UserPassword; whoever opened the dialog reads that value
// afterwards to learn whether a password now exists. ModifyPassWordCheck is 1 while the
// dialog is open, so that the tray menu cannot arm anti-theft meanwhile.
#include "platform/SettingsStore.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"
#include "ui/SkinnedWindow.h"
#include "ui/TextBox.h"

class SetPW final : public ui::SkinnedWindow {
public:
    // Names the window for FindWindow; never shown.
    static constexpr const wchar_t* Title = L"Quen_SetPW";
    static constexpr int MaxPasswordLength = 8;
    static constexpr int MinPasswordLength = 4;

    // dpi 0: the DPI of the monitor it opens on.
    explicit SetPW(const SettingsStore& settings, UINT dpi = 0);
    // However the dialog ended, even without a window or on a quit request, the tray
    // menu gets its anti-theft item back.
    ~SetPW();

    // Makes the dialog; from then on the tray menu cannot arm anti-theft.
    [[nodiscard]] bool Create() override;

    ui::TextBox& FirstBox() noexcept { return m_firstBox; }
    ui::TextBox& SecondBox() noexcept { return m_secondBox; }
    ui::Label& FirstCaption() noexcept { return m_firstCaption; }
    ui::Label& SecondCaption() noexcept { return m_secondCaption; }
    ui::Label& Hint() noexcept { return m_hint; }
    ui::PictureButton& OkButton() noexcept { return m_ok; }
    ui::PictureButton& CancelButton() noexcept { return m_cancel; }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The captions' widths change with the DPI, and the row with them.
    void DpiChanged() override { AdaptLayout(); }

private:
    void AdaptLayout();
    void BodyFunc();
    void Warn(const char* messageKey = "Wrong_Pwd_Info");
    void StartOver();
    void Abandon();

    SettingsStore m_settings;
    ui::Label m_explanation;
    ui::Label m_firstCaption;
    ui::Label m_secondCaption;
    ui::TextBox m_firstBox;
    ui::TextBox m_secondBox;
    ui::Label m_hint;
    ui::PictureButton m_ok;
    ui::PictureButton m_cancel;
};
