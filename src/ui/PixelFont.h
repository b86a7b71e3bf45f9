#pragma once
// Fonts sized in design pixels, not points: the windows are laid out in design pixels and
// scaled by the DPI of their monitor, so a text keeps its room in them at every DPI.
#include "Handles.h"

#include <windows.h>

namespace ui {

struct TextFont {
    const wchar_t* face;
    int pixels; // the height of the letters (the em), without the line's leading
    bool bold;
};

inline constexpr wchar_t SkinFontFace[] = L"Arial";

// The font at its design size scaled to dpi.
tl::unique_hfont CreatePixelFont(const TextFont& font, UINT dpi) noexcept;

} // namespace ui
