#pragma once
// A text in a skinned window, in a font sized in pixels, on a colour of its own or on
// whatever lies behind it.
#include "Handles.h"
#include "ui/CustomWindow.h"
#include "ui/PixelFont.h"

#include <windows.h>

#include <optional>
#include <string>

namespace ui {

class Label final : public CustomWindow {
public:
    struct Style {
        TextFont font;
        COLORREF textColour;
        std::optional<COLORREF> background; // none: the parent shows through
        UINT format;                        // DrawTextW flags
    };

    // Body texts, wrapped at word ends.
    static constexpr Style Body{{SkinFontFace, 12, false}, RGB(0, 0, 0), std::nullopt, DT_LEFT | DT_WORDBREAK};
    // The title over the title band's banner.
    static constexpr Style Title{
        {SkinFontFace, 16, true}, RGB(255, 255, 255), RGB(0, 80, 70), DT_LEFT | DT_VCENTER | DT_SINGLELINE};

    explicit Label(const Style& style) noexcept : m_style(style) {}

    // The label at bounds, in design pixels of parent, in a font at the parent's DPI.
    [[nodiscard]] bool Create(HWND parent, const RECT& bounds, const std::wstring& text = {});

    void SetText(const std::wstring& text);

    // A label that sizes itself shows its text on one line and fits it, now and after
    // each new text; only its top-left corner stays where it was put.
    void SetAutoSize(bool autoSize);

    // A one-line label whose text is longer than its design width grows to the right to
    // show it, up to this design x (a translated title, for instance).
    void SetGrowRight(LONG designRight);

    // The height, in pixels, that the text takes wrapped at the label's width.
    int WrappedTextHeight() const;

    // The width in design pixels, rounded up, for layouts made at 96 dpi and scaled: of
    // an auto-sized label, its text's.
    LONG DesignWidth() const noexcept;

    void ApplyDpi(UINT dpi) override;

protected:
    void Place() noexcept override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void FitToText();
    void GrowToText();
    // The one-line text's width and the font's line height, in pixels.
    SIZE TextExtent() const;

    Style m_style;
    tl::unique_hfont m_font;
    bool m_autoSize = false;
    LONG m_growRight = 0;
};

} // namespace ui
