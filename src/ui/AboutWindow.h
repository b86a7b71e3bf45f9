#pragma once
// The about window: the product's name, version and legal notice over its banner and
// logo, the same in every language. It is not modal and not topmost; OK and the close
// button close it.
#include "ui/Label.h"
#include "ui/PictureBox.h"
#include "ui/PictureButton.h"
#include "ui/SkinnedWindow.h"

namespace ui {

class AboutWindow final : public SkinnedWindow {
public:
    // Names the window for FindWindow; never shown.
    static constexpr const wchar_t* Title = L"Quen_Tremorlink_AboutWindow";

    AboutWindow();

    [[nodiscard]] bool Create() override;

    // Whether an about window is open, this process's or another's.
    static bool IsOpenAnywhere() noexcept;

    const Label& ProductName() const noexcept { return m_productName; }
    const Label& VersionLine() const noexcept { return m_versionLine; }
    const Label& RightsLine() const noexcept { return m_rightsLine; }
    PictureButton& OkButton() noexcept { return m_ok; }

private:
    PictureBox m_logo;
    Label m_productName;
    Label m_versionLine;
    Label m_rightsLine;
    PictureButton m_ok;
};

} // namespace ui
