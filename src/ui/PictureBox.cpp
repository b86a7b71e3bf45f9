#include "ui/PictureBox.h"

PictureBox::PictureBox(HWND parent, const RECT& bounds, int bitmapId, int imageCount, int imageIndex)
    : CustomWindow(
          {L"QuenPictureBox", 0, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, L"", ScaledIn(parent, bounds), parent}),
      m_bitmapId(bitmapId), m_imageCount(imageCount), m_images(bitmapId, imageCount, DpiOf(parent)),
      m_imageIndex(imageIndex)
{
    Adopt(bounds, DpiOf(parent));
}

void PictureBox::ApplyDpi(UINT dpi)
{
    m_images = ImageStrip(m_bitmapId, m_imageCount, dpi);
    CustomWindow::ApplyDpi(dpi);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PictureBox::SetImageIndex(int index)
{
    m_imageIndex = index;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PictureBox::Paint(HDC dc, const RECT& client)
{
    PaintParentBackground(dc);
    const SIZE size = m_images.ImageSize();
    m_images.Draw(dc, m_imageIndex, (client.right - size.cx) / 2, (client.bottom - size.cy) / 2);
}
