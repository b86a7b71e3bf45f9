// The skinned windows at 100, 150 and 200 percent: every design value goes through one
// scale, pieces that meet at 96 dpi still meet, and a window follows a change of DPI.
#include "Edges.h"
#include "TestSupport.h"
#include "password/SetPW.h"
#include "password/WarningForm.h"
#include "resource.h"
#include "ui/Dpi.h"
#include "ui/ImageStrip.h"
#include "ui/SkinnedWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using ui::SkinnedWindow;

using testsupport::Edges;
using testsupport::EdgesOf;

TEST(Dpi, ScalesDesignValuesAndCoversMeasuredOnes)
{
    struct Case {
        int design;
        UINT dpi;
        int scaled;
    };
    for (const Case& c : {Case{25, 96, 25}, Case{25, 144, 38}, Case{25, 192, 50}, Case{23, 144, 35}, Case{6, 120, 8},
                          Case{-140, 144, -210}, Case{0, 192, 0}}) {
        EXPECT_EQ(c.scaled, ui::Scale(c.design, c.dpi)) << c.design << " at " << c.dpi;
    }
    EXPECT_EQ(106, ui::Unscale(158, 144)) << "rounded up: the text must fit";
    EXPECT_EQ(105, ui::Unscale(210, 192));
}

TEST(Dpi, TheFrameMeetsAtEveryScale)
{
    struct Case {
        SIZE design;
        UINT dpi;
        SIZE size;
        Edges panel;
        Edges closeButton;
    };
    const Case cases[] = {
        {{400, 205}, 96, {400, 205}, {6, 25, 394, 199}, {371, 6, 394, 20}},
        {{400, 205}, 144, {600, 308}, {9, 38, 591, 299}, {556, 9, 591, 30}},
        {{400, 205}, 192, {800, 410}, {12, 50, 788, 398}, {742, 12, 788, 40}},
        {{457, 245}, 120, {571, 306}, {8, 31, 563, 298}, {534, 8, 563, 26}},
    };
    for (const Case& c : cases) {
        const SkinnedWindow::Frame frame = SkinnedWindow::FrameAt(c.design, c.dpi);
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(c.size.cx, frame.size.cx);
        EXPECT_EQ(c.size.cy, frame.size.cy);
        EXPECT_EQ(c.panel, EdgesOf(frame.panel));
        EXPECT_EQ(c.closeButton, EdgesOf(frame.closeButton));
    }
}

TEST(Dpi, PicturesComeAtTheSizeOfTheirScale)
{
    struct Case {
        UINT dpi;
        SIZE pushButton;
    };
    // 120 dpi lies between two drawn scales: the nearest is resampled to the exact size.
    for (const Case& c : {Case{96, {104, 24}}, Case{120, {130, 30}}, Case{144, {156, 36}}, Case{192, {208, 48}},
                          Case{288, {312, 72}}}) {
        const ui::ImageStrip strip(IDB_PUSH_BUTTON, 4, c.dpi);
        EXPECT_EQ(c.pushButton.cx, strip.ImageSize().cx) << c.dpi;
        EXPECT_EQ(c.pushButton.cy, strip.ImageSize().cy) << c.dpi;
    }
}

TEST(Dpi, DialogsLayOutTheirControlsAtTheirDpiAndFollowAChange)
{
    const testsupport::TestSettingsKey key;
    for (const UINT dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        SetPW dialog(key.Store(), dpi);
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(dpi, dialog.Dpi());
        const RECT window = dialog.Bounds();
        EXPECT_EQ(ui::Scale(400, dpi), window.right - window.left);
        EXPECT_EQ(ui::Scale(205, dpi), window.bottom - window.top);
        EXPECT_EQ(EdgesOf(ui::Scale(RECT{161, 144, 265, 168}, dpi)), EdgesOf(dialog.OkButton().Bounds()));
        EXPECT_EQ(EdgesOf(ui::Scale(RECT{270, 144, 374, 168}, dpi)), EdgesOf(dialog.CancelButton().Bounds()));
        EXPECT_EQ(EdgesOf(ui::Scale(SkinnedWindow::TitleBounds, dpi)), EdgesOf(dialog.TitleLabel()->Bounds()));
        const RECT box = dialog.FirstBox().Bounds();
        EXPECT_EQ(ui::Scale(86, dpi), box.top);
        EXPECT_EQ(ui::Scale(18, dpi), box.bottom - box.top);
        // The caption's text is drawn at the scaled size, not stretched.
        const RECT caption = dialog.FirstCaption().Bounds();
        EXPECT_GE(caption.bottom - caption.top, ui::Scale(12, dpi));
        EXPECT_LT(caption.bottom - caption.top, ui::Scale(12, dpi) * 2);

        // The warning opens over its dialog at the dialog's DPI.
        WarningForm warning(dialog.Ref());
        ASSERT_TRUE(warning.Create());
        EXPECT_EQ(dpi, warning.Dpi());
        EXPECT_EQ(EdgesOf(ui::Scale(RECT{19, 70, 83, 134}, dpi)), EdgesOf(warning.Icon().Bounds()));
    }

    // Moved to a monitor of another DPI, the dialog and all its controls take it up.
    SetPW dialog(key.Store(), 96);
    ASSERT_TRUE(dialog.Create());
    dialog.ApplyDpi(192);
    EXPECT_EQ(192u, dialog.Dpi());
    EXPECT_EQ(192u, dialog.OkButton().Dpi());
    EXPECT_EQ(EdgesOf(ui::Scale(RECT{161, 144, 265, 168}, 192)), EdgesOf(dialog.OkButton().Bounds()));
    const RECT window = dialog.Bounds();
    EXPECT_EQ(800, window.right - window.left);
    EXPECT_EQ(EdgesOf(SkinnedWindow::FrameAt({400, 205}, 192).panel), EdgesOf(dialog.Panel().Bounds()));
    SetPW atOnce(key.Store(), 192);
    ASSERT_TRUE(atOnce.Create());
    EXPECT_EQ(EdgesOf(atOnce.FirstBox().Bounds()), EdgesOf(dialog.FirstBox().Bounds()))
        << "the same row as a dialog opened at that DPI";
}

} // namespace
