#pragma once
// Fonts sized in pixels, not points: the windows are laid out in pixels, so a text keeps
// its room in them whatever the screen's dots per inch.
#include "platform/Handles.h"

struct TextFont {
    const wchar_t* face;
    int pixels; // the height of the letters (the em), without the line's leading
    bool bold;
};

inline constexpr wchar_t SkinFontFace[] = L"Arial";

tl::unique_hfont CreatePixelFont(const TextFont& font) noexcept;
