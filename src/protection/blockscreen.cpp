#include "protection/blockscreen.h"

#include "Handles.h"
#include "resource.h"
#include "ui/Dpi.h"

namespace {

// The picture's darkest colour, for what a picture smaller than the monitor leaves.
constexpr COLORREF Background = RGB(3, 26, 26);

// DEVMODEA as the display settings functions know it since Windows 2000.
constexpr WORD DisplayModeSize = 156;
static_assert(sizeof(DEVMODEA) == DisplayModeSize);

} // namespace

blockscreen::blockscreen(const RECT& monitor, SIZE picture) noexcept
    : m_monitor(monitor), m_pictureSize(picture), m_picture(IDB_BLOCK_SCREEN, ui::PictureBox::Fit::Stretch)
{
}

bool blockscreen::Create()
{
    // Positions are screen pixels, whatever the monitor's DPI: the window shows at 96 dpi,
    // so that its picture box is placed in pixels too. Topmost, so that another program's
    // window does not come up over it; maximised from the start, since showing it
    // maximised would take the activation from the prompt.
    if (!Window::Create({L"QuenBlockScreen", 0, WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                         WS_POPUP | WS_CLIPCHILDREN | WS_MAXIMIZE, Title, m_monitor, nullptr, nullptr, nullptr,
                         ui::DesignDpi}) ||
        !m_picture.Create(Handle(), {0, 0, m_pictureSize.cx, m_pictureSize.cy})) {
        return false;
    }
    ShowWindow(Handle(), SW_SHOWNA);
    return true;
}

SIZE blockscreen::PrimaryPictureSize() noexcept
{
    DEVMODEA mode{};
    mode.dmSize = DisplayModeSize;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        return DesignPictureSize;
    }
    return {static_cast<LONG>(mode.dmPelsWidth), static_cast<LONG>(mode.dmPelsHeight)};
}

LRESULT blockscreen::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_WINDOWPOSCHANGING: {
        // Maximised, a window without a caption would take only the work area, and on
        // another monitor the primary's size: it keeps exactly its own monitor.
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        position->x = m_monitor.left;
        position->y = m_monitor.top;
        position->cx = m_monitor.right - m_monitor.left;
        position->cy = m_monitor.bottom - m_monitor.top;
        position->flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        if (Click) {
            Click();
        }
        return MA_NOACTIVATE;
    default: return CustomWindow::WndProc(message, wParam, lParam);
    }
}

void blockscreen::Paint(HDC dc, const RECT& client)
{
    const tl::unique_hbrush brush(CreateSolidBrush(Background));
    FillRect(dc, &client, brush.get());
}
