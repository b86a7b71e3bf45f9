#include "ui/SkinnedWindow.h"

#include "resource.h"

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

CustomWindow::Params WindowParams(const SkinnedWindow::Options& options) noexcept
{
    // A tool window has no taskbar button; no caption, border, or minimise and maximise
    // boxes. CS_DROPSHADOW sets the borderless window off from what lies below.
    const DWORD exStyle = WS_EX_TOOLWINDOW | (options.topmost ? WS_EX_TOPMOST : 0);
    return {L"QuenSkinnedWindow",          CS_DROPSHADOW, exStyle, WS_POPUP | WS_CLIPCHILDREN, options.title,
            CentredOnScreen(options.size), nullptr};
}

RECT PanelBounds(SIZE size) noexcept
{
    constexpr int frame = SkinnedWindow::FrameWidth;
    return {frame, SkinnedWindow::CaptionHeight, size.cx - frame, size.cy - frame};
}

// On the caption strip, ending where the right edge begins.
RECT CloseButtonBounds(SIZE size) noexcept
{
    const LONG right = size.cx - SkinnedWindow::FrameWidth;
    constexpr LONG top = 6;
    return {right - PictureButton::CloseSize.cx, top, right, top + PictureButton::CloseSize.cy};
}

} // namespace

SkinnedWindow::SkinnedWindow(const Options& options)
    : CustomWindow(WindowParams(options)), m_size(options.size), m_draggable(options.draggable),
      m_caption(IDB_CAPTION, 1), m_captionEnd(IDB_CAPTION_END, 1), m_edgeLeft(IDB_EDGE_LEFT, 1),
      m_edgeRight(IDB_EDGE_RIGHT, 1), m_edgeBottom(IDB_EDGE_BOTTOM, 1), m_cornerLeft(IDB_CORNER_LEFT, 1),
      m_cornerRight(IDB_CORNER_RIGHT, 1), m_panel(Handle(), PanelBounds(options.size))
{
    if (options.closeButton) {
        m_closeButton.emplace(Handle(), PictureButton::Kind::Close, CloseButtonBounds(options.size));
        m_closeButton->Click = [this] { Close(); };
    }
    if (options.titleBand) {
        m_panel.SetPicture(IDB_TITLE_BANNER);
        m_title.emplace(m_panel.Handle(), TitleBounds, Label::Title);
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
    m_window.reset();
}

void SkinnedWindow::Close()
{
    if (m_modal) {
        m_modal = false;
    } else {
        m_window.reset();
    }
}

LRESULT SkinnedWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST:
        // Everything not covered by a control, that is the caption strip and the frame,
        // acts as a caption: dragging it moves the window.
        if (m_draggable) {
            return HTCAPTION;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        // Would maximise or restore the window.
        if (m_draggable) {
            return 0;
        }
        break;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMaxSize = {m_size.cx, m_size.cy};
        limits->ptMaxTrackSize = {m_size.cx, m_size.cy};
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
    constexpr LONG frame = FrameWidth;
    // The caption is the window's background: what the panel and the edges leave of it
    // is its top strip.
    m_caption.Tile(dc, {0, 0, width - frame, CaptionHeight});
    m_captionEnd.Tile(dc, {width - frame, 0, width, CaptionHeight});
    m_edgeLeft.Tile(dc, {0, CaptionHeight, frame, height - frame});
    m_edgeRight.Tile(dc, {width - frame, CaptionHeight, width, height - frame});
    m_edgeBottom.Tile(dc, {frame, height - frame, width - frame, height});
    m_cornerLeft.Tile(dc, {0, height - frame, frame, height});
    m_cornerRight.Tile(dc, {width - frame, height - frame, width, height});
}
