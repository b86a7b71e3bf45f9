#include "ui/AboutWindow.h"

#include "DialogInput.h"
#include "Edges.h"
#include "TestSupport.h"
#include "ui/Dpi.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using ui::AboutWindow;
using ui::Window;

using namespace dialoginput;

using testsupport::Edges;
using testsupport::EdgesOf;

// A control's bounds in the coordinates of its top-level window.
Edges InWindow(const Window& control, HWND window)
{
    RECT bounds = control.Bounds();
    MapWindowPoints(GetParent(control.Handle()), window, reinterpret_cast<POINT*>(&bounds), 2);
    return EdgesOf(bounds);
}

TEST(AboutWindowTest, ShowsTheFixedTextsInTheirPlacesAndStaysAnOrdinaryWindow)
{
    ASSERT_EQ(96u, ui::DpiOfPrimaryMonitor()) << "the places below are at 96 dpi";
    AboutWindow about;
    ASSERT_TRUE(about.Create());
    about.Show();
    testsupport::PumpPending();
    const HWND window = about.Handle();

    EXPECT_TRUE(AboutWindow::IsOpenAnywhere());
    EXPECT_EQ(L"Quen Tremorlink", about.ProductName().Text());
    EXPECT_EQ(L"Version " TREMORLINK_PROJECT_VERSION ", Copyright (C) 2026 Quen", about.VersionLine().Text());
    EXPECT_EQ(L"All rights reserved.", about.RightsLine().Text());
    EXPECT_EQ(L"OK", about.OkButton().Text());

    // The panel starts at (6,25) of the window.
    const RECT bounds = about.Bounds();
    EXPECT_EQ((Edges{0, 0, 457, 245}), (Edges{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top}));
    EXPECT_EQ((Edges{125, 121, 390, 144}), InWindow(about.ProductName(), window));
    EXPECT_EQ((Edges{125, 163, 446, 179}), InWindow(about.VersionLine(), window));
    EXPECT_EQ((Edges{125, 179, 446, 205}), InWindow(about.RightsLine(), window));
    EXPECT_EQ((Edges{333, 209, 437, 233}), InWindow(about.OkButton(), window));
    ASSERT_NE(nullptr, about.CloseButton());
    EXPECT_EQ((Edges{428, 6, 451, 20}), InWindow(*about.CloseButton(), window));

    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_FALSE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
}

TEST(AboutWindowTest, OkAndTheCloseButtonCloseIt)
{
    for (const bool closeButton : {false, true}) {
        SCOPED_TRACE(closeButton ? "close button" : "OK");
        AboutWindow about;
        ASSERT_TRUE(about.Create());
        about.Show();
        const HWND button = closeButton ? about.CloseButton()->Handle() : about.OkButton().Handle();
        Script script({ClickAt([button] { return CentreOf(button); })}, {AboutWindow::Title});

        EXPECT_TRUE(script.Finish());
        EXPECT_FALSE(about.IsOpen());
        EXPECT_FALSE(AboutWindow::IsOpenAnywhere());
    }
}

} // namespace
