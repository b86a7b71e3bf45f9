#include "ui/SkinnedWindow.h"

#include "DialogInput.h"
#include "Edges.h"
#include "TestSupport.h"
#include "resource.h"
#include "ui/Label.h"
#include "ui/PictureBox.h"
#include "ui/PictureButton.h"
#include "ui/Dpi.h"
#include "ui/PixelFont.h"
#include "ui/TextBox.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using ui::Label;
using ui::PictureBox;
using ui::PictureButton;
using ui::SkinnedWindow;
using ui::TextBox;

constexpr wchar_t DialogTitle[] = L"Quen_SkinnedWindowTest";

RECT PushButtonAt(LONG left, LONG top)
{
    return {left, top, left + PictureButton::PushSize.cx, top + PictureButton::PushSize.cy};
}

// A dialog of the kind the program builds on the skinned window: a title band, two password
// boxes and two push buttons, OK and Cancel, in the create-password dialog's places.
class TestDialog final : public SkinnedWindow {
public:
    explicit TestDialog(const Options& options) : SkinnedWindow(options)
    {
        ok.Click = [this] { ++okClicks; };
        cancel.Click = [this] {
            ++cancelClicks;
            Close();
        };
    }

    bool Create() override
    {
        if (!SkinnedWindow::Create()) {
            return false;
        }
        if (TitleLabel() != nullptr) {
            TitleLabel()->SetText(L"Create New Password");
        }
        const HWND panel = Panel().Handle();
        return first.Create(panel, {131, 86, 231, 104}) && second.Create(panel, {131, 110, 231, 128}) &&
               ok.Create(panel, PushButtonAt(161, 144), L"OK") &&
               cancel.Create(panel, PushButtonAt(270, 144), L"Cancel");
    }

    TextBox first{8, true};
    TextBox second{8, true};
    PictureButton ok{PictureButton::Kind::Push};
    PictureButton cancel{PictureButton::Kind::Push};
    int okClicks = 0;
    int cancelClicks = 0;
    int captionDoubleClicks = 0;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCLBUTTONDBLCLK && wParam == HTCAPTION) {
            ++captionDoubleClicks;
        }
        return SkinnedWindow::WndProc(message, wParam, lParam);
    }
};

// The mouse and keyboard as a person uses them: real input through the system's queue.
using namespace dialoginput;
using testsupport::Edges;
using testsupport::EdgesOf;

// Moving to the first point, pressing, moving through the others and releasing at the
// last, one tick each.
std::vector<Step> Drag(std::initializer_list<POINT> path)
{
    std::vector<Step> steps;
    for (const POINT point : path) {
        steps.push_back(Do([point] { MoveTo(point); }));
        if (steps.size() == 1) {
            steps.push_back(Do(Press));
        }
    }
    steps.push_back(Do(Release));
    return steps;
}

RECT ScreenBounds(HWND window)
{
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return bounds;
}

// What the control shows at a point of its own.
COLORREF PixelAt(HWND window, POINT client)
{
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const tl::WindowDc dc(window);
    return GetPixel(dc.get(), client.x, client.y);
}

// What a drawing puts on a white bitmap wider than any label: how many pixels it colours
// and the rightmost column it reaches.
struct Ink {
    int pixels = 0;
    int lastColumn = -1;
};

Ink InkOf(const std::function<void(HDC)>& draw)
{
    constexpr int width = 400;
    constexpr int height = 40;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const tl::unique_hbitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const tl::unique_hdc dc(CreateCompatibleDC(nullptr));
    const tl::SelectObjectGuard select(dc.get(), bitmap.get());
    RECT area{0, 0, width, height};
    FillRect(dc.get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw(dc.get());
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    Ink ink;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                ++ink.pixels;
                ink.lastColumn = std::max(ink.lastColumn, x);
            }
        }
    }
    return ink;
}

// Each test has the dialog built, hidden, as the program builds its dialogs before showing them.
class SkinnedWindowTest : public ::testing::Test {
protected:
    explicit SkinnedWindowTest(const SkinnedWindow::Options& options = {.title = DialogTitle}) : dialog(options) {}

    void SetUp() override
    {
        // Nothing of ours lies under the pointer when a window opens.
        MoveTo({2, 2});
        testsupport::PumpPending();
        ASSERT_TRUE(dialog.Create());
    }
    void TearDown() override
    {
        if (GetCapture() != nullptr) {
            Release();
        }
        testsupport::PumpPending();
    }

    void Show()
    {
        dialog.Show();
        testsupport::PumpPending();
    }

    // A point of the panel where no control lies.
    POINT PanelSpot() { return OnScreen(dialog.Panel().Handle(), {40, 150}); }

    TestDialog dialog;
};

// A prompt that must be answered where it opened.
class FixedPromptTest : public SkinnedWindowTest {
protected:
    FixedPromptTest() : SkinnedWindowTest({.title = DialogTitle, .closeButton = false, .draggable = false}) {}
};

TEST_F(SkinnedWindowTest, PushButtonImageFollowsThePointerAndAClickKeepsThePressedImage)
{
    Show();
    const HWND ok = dialog.ok.Handle();
    // Left of the text, inside the border.
    const auto buttonFace = [&] { return PixelAt(ok, {6, 12}); };

    EXPECT_EQ(2, dialog.ok.ImageIndex());
    EXPECT_EQ(2, dialog.cancel.ImageIndex());
    const COLORREF normal = buttonFace();

    MoveTo(CentreOf(ok));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 1; }));
    EXPECT_NE(normal, buttonFace());

    MoveTo(PanelSpot());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 2; }));
    EXPECT_EQ(normal, buttonFace());

    MoveTo(CentreOf(ok));
    Press();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 3; }));
    const COLORREF pressed = buttonFace();
    EXPECT_NE(normal, pressed);
    EXPECT_EQ(0, dialog.okClicks) << "the press alone is no click";

    Release();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.okClicks == 1; }));
    EXPECT_EQ(3, dialog.ok.ImageIndex()) << "releasing changes no image";
    EXPECT_EQ(pressed, buttonFace());

    MoveTo(PanelSpot());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 2; }));
    EXPECT_EQ(2, dialog.cancel.ImageIndex()) << "the other button never had the pointer";
    EXPECT_EQ(1, dialog.okClicks);
    EXPECT_EQ(0, dialog.cancelClicks);
}

TEST_F(SkinnedWindowTest, PressThatLeavesTheButtonBeforeTheReleaseDoesNothing)
{
    Show();
    const HWND ok = dialog.ok.Handle();

    MoveTo(CentreOf(ok));
    Press();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 3; }));
    MoveTo(PanelSpot());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 2; }));
    Release();
    ASSERT_TRUE(testsupport::PumpUntil([] { return GetCapture() == nullptr; })) << "the button lets go of the mouse";
    EXPECT_EQ(0, dialog.okClicks);
    EXPECT_EQ(2, dialog.ok.ImageIndex());

    // Coming back before the release shows the pointer over it, and the release is a click.
    MoveTo(CentreOf(ok));
    Press();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 3; }));
    MoveTo(PanelSpot());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 2; }));
    MoveTo(CentreOf(ok));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.ok.ImageIndex() == 1; }));
    Release();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.okClicks == 1; }));
    EXPECT_EQ(1, dialog.ok.ImageIndex());
}

TEST_F(SkinnedWindowTest, CloseButtonImageFollowsThePointerAndItsClickClosesTheWindow)
{
    Show();
    ASSERT_NE(nullptr, dialog.CloseButton());
    const PictureButton& closeButton = *dialog.CloseButton();
    const HWND close = closeButton.Handle();
    EXPECT_EQ(1, closeButton.ImageIndex());

    MoveTo(CentreOf(close));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return closeButton.ImageIndex() == 0; }));
    MoveTo(PanelSpot());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return closeButton.ImageIndex() == 1; }));
    MoveTo(CentreOf(close));
    Press();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return closeButton.ImageIndex() == 2; }));
    EXPECT_TRUE(dialog.IsOpen());

    Release();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !dialog.IsOpen(); }));
    EXPECT_EQ(nullptr, FindWindowW(nullptr, DialogTitle));
    EXPECT_EQ(0, dialog.cancelClicks) << "the close button is not the Cancel button";
}

TEST_F(SkinnedWindowTest, DraggingTheCaptionStripMovesTheWindowAndDraggingThePanelDoesNot)
{
    Show();
    const HWND window = dialog.Handle();
    const POINT strip = OnScreen(window, {120, 12});
    const POINT panel = PanelSpot();

    // The strip is the window's own surface and answers as a caption; the panel and the
    // close button answer for themselves.
    EXPECT_EQ(window, WindowFromPoint(strip));
    EXPECT_EQ(HTCAPTION, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(strip.x, strip.y)));
    EXPECT_EQ(dialog.Panel().Handle(), WindowFromPoint(panel));
    EXPECT_EQ(HTCLIENT, SendMessageW(dialog.Panel().Handle(), WM_NCHITTEST, 0, MAKELPARAM(panel.x, panel.y)));
    EXPECT_EQ(dialog.CloseButton()->Handle(), WindowFromPoint(CentreOf(dialog.CloseButton()->Handle())));

    const RECT before = ScreenBounds(window);
    Script panelDrag({Drag({panel, {panel.x + 40, panel.y + 30}})}, {DialogTitle});
    ASSERT_TRUE(panelDrag.Finish());
    EXPECT_EQ(EdgesOf(before), EdgesOf(ScreenBounds(window)));

    Script stripDrag({Drag({strip, {strip.x + 20, strip.y + 10}, {strip.x + 40, strip.y + 30}})}, {DialogTitle});
    ASSERT_TRUE(stripDrag.Finish());
    const RECT after = ScreenBounds(window);
    EXPECT_EQ(before.left + 40, after.left);
    EXPECT_EQ(before.top + 30, after.top);
    EXPECT_EQ(400, after.right - after.left);
    EXPECT_EQ(205, after.bottom - after.top);
}

TEST_F(FixedPromptTest, WindowWithoutCaptionDragNeitherMovesNorHasACloseButton)
{
    Show();
    const HWND window = dialog.Handle();
    EXPECT_EQ(nullptr, dialog.CloseButton());
    ASSERT_NE(nullptr, dialog.TitleLabel());

    const POINT strip = OnScreen(window, {120, 12});
    EXPECT_EQ(HTCLIENT, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(strip.x, strip.y)));
    const POINT corner = OnScreen(window, {385, 12});
    EXPECT_EQ(window, WindowFromPoint(corner)) << "no close button where it would be";

    const RECT before = ScreenBounds(window);
    Script drag({Drag({strip, {strip.x + 40, strip.y + 30}})}, {DialogTitle});
    ASSERT_TRUE(drag.Finish());
    EXPECT_EQ(EdgesOf(before), EdgesOf(ScreenBounds(window)));
}

TEST_F(SkinnedWindowTest, DoubleClickOnTheCaptionStripChangesNeitherSizeNorPosition)
{
    Show();
    const HWND window = dialog.Handle();
    const RECT before = ScreenBounds(window);
    const POINT strip = OnScreen(window, {200, 12});

    Script doubleClick({Steps({Do([&] { MoveTo(strip); }), Do(Press), Do(Release), Do(Press), Do(Release)})},
                       {DialogTitle});
    ASSERT_TRUE(doubleClick.Finish());

    EXPECT_EQ(1, dialog.captionDoubleClicks) << "the double click reached the window";
    EXPECT_EQ(EdgesOf(before), EdgesOf(ScreenBounds(window)));
    EXPECT_FALSE(IsZoomed(window));
}

TEST_F(SkinnedWindowTest, OpensCentredOnTopWithoutTaskbarButtonAndKeepsItsSize)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;

    const HWND window = dialog.Handle();
    EXPECT_EQ(window, FindWindowW(nullptr, DialogTitle));
    EXPECT_FALSE(IsWindowVisible(window)) << "built hidden";
    Show();

    const RECT bounds = ScreenBounds(window);
    EXPECT_EQ(400, bounds.right - bounds.left);
    EXPECT_EQ(205, bounds.bottom - bounds.top);
    EXPECT_EQ((work.left + work.right - 400) / 2, bounds.left);
    EXPECT_EQ((work.top + work.bottom - 205) / 2, bounds.top);

    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_EQ(0, style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);

    MINMAXINFO limits{};
    limits.ptMaxTrackSize = {4000, 4000};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(400, limits.ptMaxTrackSize.x);
    EXPECT_EQ(205, limits.ptMaxTrackSize.y);

    // The frame around the panel, and the close button on the caption strip.
    EXPECT_EQ((Edges{6, 25, 394, 199}), EdgesOf(dialog.Panel().Bounds()));
    EXPECT_EQ((Edges{371, 6, 394, 20}), EdgesOf(dialog.CloseButton()->Bounds()));

    // What a person sees: the title's colour behind its text and a white panel.
    EXPECT_EQ(RGB(0, 80, 70), PixelAt(dialog.TitleLabel()->Handle(), {220, 2}));
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(dialog.Panel().Handle(), {40, 150}));

    // A larger window that is not topmost, as the about window.
    TestDialog about(
        {.title = L"Quen_SkinnedWindowTest_Large", .size = {457, 245}, .topmost = false, .titleBand = false});
    ASSERT_TRUE(about.Create());
    EXPECT_FALSE(GetWindowLongPtrW(about.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(nullptr, about.TitleLabel());
    EXPECT_EQ((Edges{6, 25, 451, 239}), EdgesOf(about.Panel().Bounds()));
    EXPECT_EQ((Edges{428, 6, 451, 20}), EdgesOf(about.CloseButton()->Bounds()));
}

TEST_F(SkinnedWindowTest, LabelThatSizesItselfShowsItsWholeTextAndKeepsItsPlace)
{
    Label caption(Label::Body);
    ASSERT_TRUE(caption.Create(dialog.Panel().Handle(), {23, 86, 24, 87}));
    caption.SetAutoSize(true);
    const tl::unique_hfont font = ui::CreatePixelFont(Label::Body.font, ui::DesignDpi);
    for (const std::wstring text : {L"New Password:", L"Confirm Password:", L"Kennwort best\u00e4tigen:"}) {
        caption.SetText(text);
        const RECT bounds = caption.Bounds();
        EXPECT_EQ(23, bounds.left) << text;
        EXPECT_EQ(86, bounds.top) << text;

        // Every letter as whole as when nothing limits the drawing, inside the label, and
        // the label not much wider than the text.
        const Ink shown = InkOf(
            [&](HDC dc) { SendMessageW(caption.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); });
        const Ink whole = InkOf([&](HDC dc) {
            const tl::SelectObjectGuard select(dc, font.get());
            RECT area{0, 0, 0, 0};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        });
        EXPECT_EQ(whole.pixels, shown.pixels) << text;
        EXPECT_LT(shown.lastColumn, bounds.right - bounds.left) << text;
        EXPECT_LE(bounds.right - bounds.left, whole.lastColumn + 4) << text;
        EXPECT_GE(bounds.bottom - bounds.top, Label::Body.font.pixels) << text;
    }
}

TEST_F(SkinnedWindowTest, PasswordBoxTakesItsLimitOfTypedCharactersAndShowsStars)
{
    Show();
    ASSERT_EQ(dialog.first.Handle(), GetFocus()) << "the first box has the keyboard";

    // A backspace after the ninth character: had the box taken it, the backspace would
    // take it away again and leave eight.
    for (const WORD key : std::initializer_list<WORD>{'A', '1', 'B', '2', 'C', '3', 'D', '4', 'E', VK_BACK}) {
        Stroke(key);
    }
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dialog.first.Text().size() < 8; }));
    EXPECT_EQ(L"a1b2c3d", dialog.first.Text()) << "the ninth character is refused";
    EXPECT_EQ(L'*', SendMessageW(dialog.first.Handle(), EM_GETPASSWORDCHAR, 0, 0));

    dialog.first.Clear();
    EXPECT_EQ(L"", dialog.first.Text());
}

TEST_F(SkinnedWindowTest, PictureBoxShowsTheImageOfItsIndexOverThePanel)
{
    PictureBox icon(IDB_STATUS_ICONS, 3, 2);
    ASSERT_TRUE(icon.Create(dialog.Panel().Handle(), {19, 70, 83, 134}));
    Show();

    // The icons' corners are transparent: the panel shows through, not black.
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(icon.Handle(), {1, 1}));
    const COLORREF warning = PixelAt(icon.Handle(), {32, 12});
    EXPECT_NE(RGB(255, 255, 255), warning);
    icon.SetImageIndex(0);
    EXPECT_NE(warning, PixelAt(icon.Handle(), {32, 12}));
}

TEST_F(SkinnedWindowTest, ShowModalServesOtherWindowsUntilTheDialogCloses)
{
    TestDialog other({.title = L"Quen_SkinnedWindowTest_Other", .topmost = false});
    ASSERT_TRUE(other.Create());
    other.SetLocation({20, 20});
    other.Show();
    // The boxes' windows go with the dialog.
    const HWND first = dialog.first.Handle();
    const HWND second = dialog.second.Handle();

    HWND focusAtStart = nullptr;
    HWND focusAfterTab = nullptr;
    Script script(
        {Steps({Do([&] { focusAtStart = GetFocus(); }), PressKey(VK_TAB), Do([&] { focusAfterTab = GetFocus(); })}),
         ClickAt([&] { return CentreOf(other.ok.Handle()); }),
         ClickAt([&] { return CentreOf(dialog.cancel.Handle()); })},
        {DialogTitle});
    dialog.ShowModal();

    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(1, dialog.cancelClicks);
    EXPECT_EQ(1, other.okClicks) << "the other window was served meanwhile";
    EXPECT_EQ(first, focusAtStart);
    EXPECT_EQ(second, focusAfterTab);
    EXPECT_EQ(nullptr, dialog.first.Handle()) << "a control knows that its window went with its parent";
    EXPECT_TRUE(other.IsOpen());
}

TEST_F(SkinnedWindowTest, QuitRequestEndsTheModalLoopAndIsPassedOn)
{
    Script script({Steps({Do([] { PostQuitMessage(7); })})}, {DialogTitle});
    dialog.ShowModal();

    EXPECT_FALSE(dialog.IsOpen());
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
}

} // namespace
