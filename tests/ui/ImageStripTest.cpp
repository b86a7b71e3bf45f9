#include "ui/ImageStrip.h"

#include "platform/Handles.h"
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The pixel at (x, y) of the picture drawn as it is into a 32-bit bitmap.
RGBQUAD PixelOf(const ImageStrip& picture, int x, int y)
{
    const SIZE size = picture.ImageSize();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const tl::unique_hbitmap target(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const tl::unique_hdc dc(CreateCompatibleDC(nullptr));
    {
        const tl::SelectObjectGuard select(dc.get(), target.get());
        picture.Draw(dc.get(), 0, 0, 0);
        GdiFlush();
    }
    return static_cast<const RGBQUAD*>(bits)[y * size.cx + x];
}

TEST(ImageStrip, AStretchedPictureComesFromTheDrawingNearestItsSizeWithItsPaletteColours)
{
    struct Case {
        SIZE wanted;
        SIZE drawn;
    };
    for (const Case& row :
         {Case{{800, 600}, {1024, 766}}, Case{{1024, 768}, {1024, 766}}, Case{{1536, 1152}, {1536, 1149}},
          Case{{1280, 1024}, {1536, 1149}}, Case{{2560, 1440}, {2048, 1532}}}) {
        SCOPED_TRACE(testing::Message() << row.wanted.cx << "x" << row.wanted.cy);
        const ImageStrip picture(IDB_BLOCK_SCREEN, row.wanted);
        EXPECT_EQ(row.drawn.cx, picture.ImageSize().cx);
        EXPECT_EQ(row.drawn.cy, picture.ImageSize().cy);
    }
    EXPECT_EQ(0, ImageStrip(IDB_BLOCK_SCREEN, SIZE{0, 0}).ImageSize().cx);

    // The 256-colour bitmap read with its colour table: a dark teal corner, and the
    // padlock's light body beside its keyhole.
    const ImageStrip picture(IDB_BLOCK_SCREEN, SIZE{1024, 766});
    const RGBQUAD corner = PixelOf(picture, 5, 5);
    EXPECT_LT(corner.rgbRed, 40);
    EXPECT_GT(corner.rgbGreen, 40);
    EXPECT_GT(corner.rgbBlue, 40);
    EXPECT_LT(corner.rgbGreen, 100);
    const RGBQUAD padlock = PixelOf(picture, 490, 190);
    EXPECT_GT(padlock.rgbRed, 200);
    EXPECT_GT(padlock.rgbGreen, 200);
    EXPECT_GT(padlock.rgbBlue, 200);
}

} // namespace
