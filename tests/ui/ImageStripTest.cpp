#include "ui/ImageStrip.h"

#include "Handles.h"
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// tests/ui/DamagedPicture.rc
constexpr int DamagedPicture = 990;

// The pixel at (x, y) of image index blended over transparent black: its premultiplied
// colour and its alpha.
RGBQUAD PixelOf(const ui::ImageStrip& strip, int index, int x, int y)
{
    const SIZE size = strip.ImageSize();
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
        if (index < 0) {
            strip.Stretch(dc.get(), {0, 0, size.cx, size.cy});
        } else {
            strip.Draw(dc.get(), index, 0, 0);
        }
        GdiFlush();
    }
    return static_cast<const RGBQUAD*>(bits)[y * size.cx + x];
}

TEST(ImageStrip, EachDrawnScaleAndAScaleBetweenThemKeepTransparentEdgesAndColours)
{
    // The logo's drawings are 64, 96 and 128 px; 120 dpi scales the 150 % one down.
    for (const auto& [dpi, side] : {std::pair{96U, 64}, {144U, 96}, {192U, 128}, {120U, 80}}) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        const ui::ImageStrip logo(IDB_LOGO, 1, dpi);
        ASSERT_EQ(side, logo.ImageSize().cx);
        ASSERT_EQ(side, logo.ImageSize().cy);
        const RGBQUAD corner = PixelOf(logo, 0, 0, 0);
        EXPECT_EQ(0, corner.rgbReserved);
        EXPECT_EQ(0, corner.rgbRed + corner.rgbGreen + corner.rgbBlue) << "colour under a transparent pixel";
        // The shield's green in the middle, opaque.
        const RGBQUAD middle = PixelOf(logo, 0, side / 2, side / 2);
        EXPECT_EQ(255, middle.rgbReserved);
        EXPECT_NEAR(62, middle.rgbRed, 3);
        EXPECT_NEAR(167, middle.rgbGreen, 3);
        EXPECT_NEAR(75, middle.rgbBlue, 3);
    }

    // A strip scaled image by image: the last of the three status icons at 120 dpi is as
    // wide as the others, and its transparent right edge takes nothing from elsewhere.
    const ui::ImageStrip icons(IDB_STATUS_ICONS, 3, 120);
    ASSERT_EQ(80, icons.ImageSize().cx);
    EXPECT_EQ(0, PixelOf(icons, 2, 79, 40).rgbReserved);
}

TEST(ImageStrip, ADamagedOrMissingPictureDrawsNothing)
{
    for (const int id : {DamagedPicture, 989}) {
        SCOPED_TRACE(id);
        const ui::ImageStrip strip(id, 1, 96);
        EXPECT_EQ(0, strip.ImageSize().cx);
        const ui::ImageStrip stretched(id, SIZE{640, 480});
        EXPECT_EQ(0, stretched.ImageSize().cx);
        // Drawing what could not be read does nothing and does not fail.
        const tl::unique_hdc dc(CreateCompatibleDC(nullptr));
        strip.Draw(dc.get(), 0, 0, 0);
        stretched.Stretch(dc.get(), {0, 0, 640, 480});
    }
    EXPECT_EQ(0, ui::ImageStrip(IDB_LOGO, 65, 96).ImageSize().cx) << "more images than the strip has pixels";
    EXPECT_EQ(0, ui::ImageStrip(IDB_BLOCK_SCREEN, SIZE{0, 768}).ImageSize().cx);
}

TEST(ImageStrip, TheBlockingPictureIsMadeAtAMonitorsSizeThatIsNoDrawnSize)
{
    const ui::ImageStrip picture(IDB_BLOCK_SCREEN, SIZE{1920, 1080});
    ASSERT_EQ(1920, picture.ImageSize().cx);
    ASSERT_EQ(1080, picture.ImageSize().cy);
    // A dark teal corner, and the padlock's light body beside its keyhole, where the
    // drawing has them at (5, 5) and (490, 190) of 1024x766.
    const RGBQUAD corner = PixelOf(picture, -1, 5, 5);
    EXPECT_LT(corner.rgbRed, 40);
    EXPECT_GT(corner.rgbGreen, 40);
    EXPECT_LT(corner.rgbGreen, 100);
    EXPECT_GT(corner.rgbBlue, 40);
    const RGBQUAD padlock = PixelOf(picture, -1, 919, 268);
    EXPECT_GT(padlock.rgbRed, 200);
    EXPECT_GT(padlock.rgbGreen, 200);
    EXPECT_GT(padlock.rgbBlue, 200);
}

// Each image of the icons, PNG ones too, found by the size Windows asks for and decoded
// as the system decodes it.
TEST(Artwork, EveryImageOfEveryIconDecodesAtItsSize)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const std::vector<int> traySizes{16, 20, 24, 32, 40, 48};
    const std::vector<std::pair<int, std::vector<int>>> icons{{IDI_TREMORLINK, {16, 24, 32, 48}},
                                                              {IDI_TRAY0, traySizes},
                                                              {IDI_TRAY1, traySizes},
                                                              {IDI_TRAY2, traySizes},
                                                              {IDI_TRAY3, traySizes},
                                                              {IDI_TRAY4, traySizes},
                                                              {IDI_TRAY5, traySizes}};
    for (const auto& [id, sizes] : icons) {
        const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
        ASSERT_NE(nullptr, group) << id;
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
        for (const int size : sizes) {
            SCOPED_TRACE(testing::Message() << "icon " << id << " at " << size << " px");
            const int entry = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
            const HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry), RT_ICON);
            ASSERT_NE(nullptr, image);
            auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(module, image)));
            const tl::unique_hicon icon(CreateIconFromResourceEx(bytes, SizeofResource(module, image), TRUE, 0x00030000,
                                                                 size, size, LR_DEFAULTCOLOR));
            ASSERT_TRUE(icon);
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon.get(), &info));
            const tl::unique_hbitmap colour(info.hbmColor);
            const tl::unique_hbitmap mask(info.hbmMask);
            BITMAP bitmap{};
            GetObjectW(colour.get(), sizeof(bitmap), &bitmap);
            EXPECT_EQ(size, bitmap.bmWidth);
            EXPECT_EQ(size, bitmap.bmHeight);
        }
    }
}

} // namespace
