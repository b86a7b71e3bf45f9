#include "ui/SkinnedWindow.h"

#include "resource.h"
#include "ui/Dpi.h"

namespace ui {

namespace {

// Centred on the work area of the primary screen, like a form that starts in the centre.
RECT CentredOnScreen(SIZE size) noexcept
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const LONG left = area.left + (area.right - area.left - size.cx) / 2;
    const LONG top = area.top + (area.bottom - area.top - size.cy) / 2;
    return {left, top, left + size.cx, top + size.cy};
}

// A window over another shows at its owner's DPI; any other at its monitor's.
UINT OpeningDpi(const SkinnedWindow::Options& options) noexcept
{
    if (options.dpi != 0) {
        return options.dpi;
    }
    return options.owner ? Window::DpiOf(options.owner.Handle()) : DpiOfPrimaryMonitor();
}

// The panel's design bounds; the frame places it exactly.
RECT PanelBounds(SIZE size) noexcept
{
    constexpr int frame = SkinnedWindow::FrameWidth;
    return {frame, SkinnedWindow::CaptionHeight, size.cx - frame, size.cy - frame};
}

// On the caption strip, ending where the right edge begins.
RECT CloseButtonBounds(SIZE size) noexcept
{
    const LONG right = size.cx - SkinnedWindow::FrameWidth;
    constexpr LONG top = SkinnedWindow::CloseButtonTop;
    return {right - PictureButton::CloseSize.cx, top, right, top + PictureButton::CloseSize.cy};
}

// Every control of ours, at any depth; windows of other kinds have no design bounds.
BOOL CALLBACK ApplyDpiToControl(HWND child, LPARAM dpi) noexcept
{
    if (Window* control = Window::FromHandle(child)) {
        control->ApplyDpi(static_cast<UINT>(dpi));
    }
    return TRUE;
}

} // namespace

SkinnedWindow::Frame SkinnedWindow::FrameAt(SIZE designSize, UINT dpi) noexcept
{
    Frame frame{Scale(designSize, dpi), Scale(CaptionHeight, dpi), Scale(FrameWidth, dpi), {}, {}};
    frame.panel = {frame.frameWidth, frame.captionHeight, frame.size.cx - frame.frameWidth,
                   frame.size.cy - frame.frameWidth};
    const LONG closeRight = frame.size.cx - frame.frameWidth;
    const LONG closeTop = Scale(CloseButtonTop, dpi);
    frame.closeButton = {closeRight - Scale(PictureButton::CloseSize.cx, dpi), closeTop, closeRight,
                         closeTop + Scale(PictureButton::CloseSize.cy, dpi)};
    return frame;
}

SkinnedWindow::Pieces SkinnedWindow::PiecesAt(UINT dpi) noexcept
{
    return {ImageStrip(IDB_CAPTION, 1, dpi),     ImageStrip(IDB_CAPTION_END, 1, dpi),
            ImageStrip(IDB_EDGE_LEFT, 1, dpi),   ImageStrip(IDB_EDGE_RIGHT, 1, dpi),
            ImageStrip(IDB_EDGE_BOTTOM, 1, dpi), ImageStrip(IDB_CORNER_LEFT, 1, dpi),
            ImageStrip(IDB_CORNER_RIGHT, 1, dpi)};
}

SkinnedWindow::SkinnedWindow(const Options& options) : m_options(options)
{
    if (options.closeButton) {
        m_closeButton.emplace(PictureButton::Kind::Close);
        m_closeButton->Click = [this] { Close(); };
    }
    if (options.titleBand) {
        m_title.emplace(Label::Title);
    }
}

bool SkinnedWindow::Create()
{
    // A tool window has no taskbar button; no caption, border, or minimise and maximise
    // boxes. CS_DROPSHADOW sets the borderless window off from what lies below.
    const UINT dpi = OpeningDpi(m_options);
    const DWORD exStyle = WS_EX_TOOLWINDOW | (m_options.topmost ? WS_EX_TOPMOST : 0);
    if (!Window::Create({L"QuenSkinnedWindow", CS_DROPSHADOW, exStyle, WS_POPUP | WS_CLIPCHILDREN, m_options.title,
                         CentredOnScreen(FrameAt(m_options.size, dpi).size), m_options.owner.Handle(), nullptr, nullptr,
                         dpi})) {
        return false;
    }
    m_pieces.emplace(PiecesAt(dpi));
    if (!m_panel.Create(Handle(), PanelBounds(m_options.size))) {
        return false;
    }
    if (m_closeButton && !m_closeButton->Create(Handle(), CloseButtonBounds(m_options.size))) {
        return false;
    }
    if (m_title) {
        m_panel.SetPicture(IDB_TITLE_BANNER);
        if (!m_title->Create(m_panel.Handle(), TitleBounds)) {
            return false;
        }
        // A longer translated title takes the banner's room, short of the panel's edge.
        m_title->SetGrowRight(m_options.size.cx - 2 * FrameWidth - TitleBounds.left);
    }
    PlaceFrame();
    return true;
}

void SkinnedWindow::ApplyDpi(UINT dpi)
{
    const RECT before = Bounds();
    const SIZE size = FrameAt(m_options.size, dpi).size;
    const LONG left = (before.left + before.right - size.cx) / 2;
    const LONG top = (before.top + before.bottom - size.cy) / 2;
    TakeUpDpi(dpi, {left, top, left + size.cx, top + size.cy});
}

void SkinnedWindow::TakeUpDpi(UINT dpi, const RECT& bounds)
{
    SetTopLevelDpi(dpi);
    m_pieces.emplace(PiecesAt(dpi));
    EnumChildWindows(Handle(), &ApplyDpiToControl, static_cast<LPARAM>(dpi));
    PlaceFrame();
    DpiChanged();
    SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void SkinnedWindow::PlaceFrame() noexcept
{
    const Frame frame = FrameAt(m_options.size, Dpi());
    const auto place = [](HWND window, const RECT& bounds) {
        SetWindowPos(window, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(m_panel.Handle(), frame.panel);
    if (m_closeButton) {
        place(m_closeButton->Handle(), frame.closeButton);
    }
}

void SkinnedWindow::Show()
{
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    // The keyboard goes to the first control that takes it, as in a dialog.
    const HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    SetFocus(first != nullptr ? first : Handle());
}

void SkinnedWindow::ShowModal()
{
    m_modal = true;
    const HWND owner = m_options.owner.Handle();
    if (owner != nullptr) {
        EnableWindow(owner, FALSE);
    }
    Show();
    MSG message{};
    while (m_modal && IsOpen()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The quit belongs to the loop below this one.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) {
            break;
        }
        // Tab moves between the controls; no key stands for a button.
        if (!IsDialogMessageW(Handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    m_modal = false;
    // Enabled again while this window still exists, so that Windows hands the activation
    // back to the owner instead of to some other program.
    if (owner != nullptr) {
        EnableWindow(owner, TRUE);
    }
    End();
}

void SkinnedWindow::Close()
{
    if (m_modal) {
        m_modal = false;
    } else {
        End();
    }
}

void SkinnedWindow::End()
{
    if (IsOpen()) {
        Closing();
        Destroy();
    }
}

LRESULT SkinnedWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST:
        // Everything not covered by a control, that is the caption strip and the frame,
        // acts as a caption: dragging it moves the window.
        if (m_options.draggable) {
            return HTCAPTION;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        // Would maximise or restore the window.
        if (m_options.draggable) {
            return 0;
        }
        break;
    case WM_GETMINMAXINFO: {
        const SIZE size = FrameAt(m_options.size, Dpi()).size;
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMaxSize = {size.cx, size.cy};
        limits->ptMaxTrackSize = {size.cx, size.cy};
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: there, at the place Windows suggests.
        TakeUpDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    case WM_CLOSE: Close(); return 0;
    default: break;
    }
    return CustomWindow::WndProc(message, wParam, lParam);
}

void SkinnedWindow::Paint(HDC dc, const RECT& client)
{
    const LONG width = client.right;
    const LONG height = client.bottom;
    if (!m_pieces) {
        return;
    }
    const Frame frame = FrameAt(m_options.size, Dpi());
    const LONG edge = frame.frameWidth;
    const LONG caption = frame.captionHeight;
    // The caption is the window's background: what the panel and the edges leave of it
    // is its top strip.
    m_pieces->caption.Tile(dc, {0, 0, width - edge, caption});
    m_pieces->captionEnd.Tile(dc, {width - edge, 0, width, caption});
    m_pieces->edgeLeft.Tile(dc, {0, caption, edge, height - edge});
    m_pieces->edgeRight.Tile(dc, {width - edge, caption, width, height - edge});
    m_pieces->edgeBottom.Tile(dc, {edge, height - edge, width - edge, height});
    m_pieces->cornerLeft.Tile(dc, {0, height - edge, edge, height});
    m_pieces->cornerRight.Tile(dc, {width - edge, height - edge, width, height});
}

} // namespace ui
