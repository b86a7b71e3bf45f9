#include "ui/PixelFont.h"

#include "ui/Dpi.h"

namespace ui {

tl::unique_hfont CreatePixelFont(const TextFont& font, UINT dpi) noexcept
{
    // A negative height asks for the em in pixels. The default character set lets the
    // system borrow letters that the face lacks (Chinese, for instance) from a linked font.
    return tl::unique_hfont(CreateFontW(-Scale(font.pixels, dpi), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                        FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, font.face));
}

} // namespace ui
