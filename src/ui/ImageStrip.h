#pragma once
// Pictures of one size kept side by side in one bitmap resource, image 0 on the left: a
// button's image for each mouse state, a set of icons, or a single picture. Loaded into
// 32-bit colour with premultiplied alpha, so that images with transparent parts blend
// with what lies behind them; a 24-bit or 256-colour picture is opaque.
//
// Each picture is drawn at 100, 150 and 200 percent (resources id, id + IDB_SCALE_150 and
// id + IDB_SCALE_200). A strip shown at another DPI takes the nearest of them and, when
// its size still differs, resamples each image by area, so that no image bleeds into
// its neighbour and transparent edges stay clean.
#include "platform/Handles.h"
#include "ui/Dpi.h"

#include <windows.h>

class ImageStrip {
public:
    ImageStrip(int resourceId, int imageCount, UINT dpi = DesignDpi) noexcept;
    // A single opaque picture to be stretched to size, whatever its own shape (a
    // background over a whole screen): the drawing nearest that size, as drawn.
    ImageStrip(int resourceId, SIZE size) noexcept;

    // The size of one image at the strip's DPI; empty when the resource could not be read.
    SIZE ImageSize() const noexcept { return m_imageSize; }

    // Blends image index over dc with its top-left corner at (x, y).
    void Draw(HDC dc, int index, int x, int y) const noexcept;
    // Covers area with copies of image 0, the first one at the area's top-left corner.
    void Tile(HDC dc, const RECT& area) const noexcept;
    // Covers area with image 0 stretched to it, averaging the pixels it shrinks; for
    // opaque pictures only (what the system does with an alpha byte here is undefined).
    void Stretch(HDC dc, const RECT& area) const noexcept;

private:
    // The images from the drawing nearest percent of the design size, each imageSize
    // large, or as drawn for an empty imageSize.
    void Load(int resourceId, SIZE imageSize, int percent) noexcept;

    tl::unique_hbitmap m_bitmap;
    int m_imageCount;
    SIZE m_imageSize{};
};
