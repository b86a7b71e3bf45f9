#include "ui/ContentPanel.h"

namespace ui {

bool ContentPanel::Create(HWND parent, const RECT& bounds) noexcept
{
    return Window::Create({L"QuenContentPanel", 0, WS_EX_CONTROLPARENT | WS_EX_NOPARENTNOTIFY,
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, L"", bounds, parent});
}

void ContentPanel::SetPicture(int bitmapId)
{
    m_pictureId = bitmapId;
    m_picture.emplace(bitmapId, 1, Dpi());
    InvalidateRect(Handle(), nullptr, FALSE);
}

void ContentPanel::ApplyDpi(UINT dpi)
{
    CustomWindow::ApplyDpi(dpi);
    if (m_picture) {
        SetPicture(m_pictureId);
    }
    InvalidateRect(Handle(), nullptr, FALSE);
}

void ContentPanel::Paint(HDC dc, const RECT& client)
{
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (m_picture) {
        m_picture->Draw(dc, 0, 0, 0);
    }
}

} // namespace ui
