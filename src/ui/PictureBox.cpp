#include "ui/PictureBox.h"

PictureBox::PictureBox(HWND parent, const RECT& bounds, int bitmapId, int imageCount, int imageIndex)
    : CustomWindow({L"QuenPictureBox", 0, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, L"", bounds, parent}),
      m_images(bitmapId, imageCount), m_imageIndex(imageIndex)
{
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
