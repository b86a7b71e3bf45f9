#include "ui/ContentPanel.h"

ContentPanel::ContentPanel(HWND parent, const RECT& bounds) noexcept
    : CustomWindow({L"QuenContentPanel", 0, WS_EX_CONTROLPARENT | WS_EX_NOPARENTNOTIFY,
                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, L"", bounds, parent})
{
}

void ContentPanel::SetPicture(int bitmapId)
{
    m_picture.emplace(bitmapId, 1);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void ContentPanel::Paint(HDC dc, const RECT& client)
{
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (m_picture) {
        m_picture->Draw(dc, 0, 0, 0);
    }
}
