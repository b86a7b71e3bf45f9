#pragma once
// Pictures of one size kept side by side in one PNG resource, image 0 on the left: a
// button's image for each mouse state, a set of icons, or a single picture. Decoded by the
// Windows Imaging Component into 32-bit colour with premultiplied alpha, so that images
// with transparent parts blend with what lies behind them.
//
// Each picture is drawn at 100, 150 and 200 percent (resources id, id + IDB_SCALE_150 and
// id + IDB_SCALE_200). A strip shown at another DPI takes the nearest of them and, when
// its size still differs, scales each image on its own, so that no image bleeds into its
// neighbour and transparent edges stay clean.
#include "Handles.h"
#include "ui/Dpi.h"

#include <windows.h>

namespace ui {

class ImageStrip {
public:
    ImageStrip(int resourceId, int imageCount, UINT dpi = DesignDpi) noexcept;
    // A single opaque picture made exactly size large, whatever its own shape (a
    // background over a whole screen), from the drawing nearest that size.
    ImageStrip(int resourceId, SIZE size) noexcept;

    // The size of one image at the strip's DPI; empty when the resource could not be read.
    SIZE ImageSize() const noexcept { return m_imageSize; }

    // Blends image index over dc with its top-left corner at (x, y).
    void Draw(HDC dc, int index, int x, int y) const noexcept;
    // Covers area with copies of image 0, the first one at the area's top-left corner.
    void Tile(HDC dc, const RECT& area) const noexcept;
    // Covers area with image 0, stretched to it when the two sizes differ; for opaque
    // pictures only (what the system does with an alpha byte here is undefined).
    void Stretch(HDC dc, const RECT& area) const noexcept;

private:
    tl::unique_hbitmap m_bitmap;
    int m_imageCount;
    SIZE m_imageSize{};
};

} // namespace ui
