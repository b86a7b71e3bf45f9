#include "ui/AboutWindow.h"

#include "resource.h"
#include "version.h"

namespace ui {

namespace {

constexpr Label::Style ProductNameStyle{
    {SkinFontFace, 20, true}, RGB(25, 60, 60), std::nullopt, DT_LEFT | DT_VCENTER | DT_SINGLELINE};
constexpr Label::Style VersionStyle{{SkinFontFace, 13, true}, RGB(0, 0, 0), std::nullopt, DT_LEFT | DT_SINGLELINE};
// The version line is as high as a line of its font, and the rights line starts below
// it: lines placed 10 pixels apart would cut off the lower part of the version's letters.
// The rights line keeps its bottom edge.
constexpr RECT VersionBounds{119, 138, 119 + 321, 138 + 16};
constexpr RECT RightsBounds{119, VersionBounds.bottom, 119 + 321, 148 + 32};
constexpr Label::Style RightsStyle{{SkinFontFace, 13, true}, RGB(0, 0, 0), std::nullopt, DT_LEFT | DT_WORDBREAK};

} // namespace

AboutWindow::AboutWindow()
    : SkinnedWindow({.title = Title, .size = {457, 245}, .topmost = false, .titleBand = false}), m_logo(IDB_LOGO),
      m_productName(ProductNameStyle), m_versionLine(VersionStyle), m_rightsLine(RightsStyle),
      m_ok(PictureButton::Kind::Push)
{
    m_ok.Click = [this] { Close(); };
}

bool AboutWindow::Create()
{
    if (!SkinnedWindow::Create()) {
        return false;
    }
    // The banner is the panel's own picture, so that the logo's transparent corners show
    // it where the two overlap.
    Panel().SetPicture(IDB_ABOUT_BANNER);
    const HWND panel = Panel().Handle();
    return m_logo.Create(panel, {42, 65, 42 + 64, 65 + 64}) &&
           m_productName.Create(panel, {119, 96, 119 + 265, 96 + 23}, L"Quen Tremorlink") &&
           m_versionLine.Create(panel, VersionBounds, L"Version " TREMORLINK_VERSION_TEXT ", " TREMORLINK_COPYRIGHT) &&
           m_rightsLine.Create(panel, RightsBounds, L"All rights reserved.") &&
           m_ok.Create(panel, PictureButton::PushBoundsAt(327, 184), L"OK");
}

bool AboutWindow::IsOpenAnywhere() noexcept { return static_cast<bool>(WindowRef::Find(nullptr, Title)); }

} // namespace ui
