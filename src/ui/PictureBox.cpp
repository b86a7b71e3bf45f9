#include "ui/PictureBox.h"

PictureBox::PictureBox(HWND parent, const RECT& bounds, int bitmapId, int imageCount, int imageIndex)
    : CustomWindow(
          {L"QuenPictureBox", 0, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, L"", ScaledIn(parent, bounds), parent}),
      m_bitmapId(bitmapId), m_imageCount(imageCount), m_fit(Fit::Centre), m_images(bitmapId, imageCount, DpiOf(parent)),
      m_imageIndex(imageIndex)
{
    Adopt(bounds, DpiOf(parent));
}

PictureBox::PictureBox(HWND parent, const RECT& bounds, int bitmapId, Fit fit)
    : CustomWindow(
          {L"QuenPictureBox", 0, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, L"", ScaledIn(parent, bounds), parent}),
      m_bitmapId(bitmapId), m_imageCount(1), m_fit(fit), m_images(ImagesAt(DpiOf(parent))), m_imageIndex(0)
{
    Adopt(bounds, DpiOf(parent));
}

ImageStrip PictureBox::ImagesAt(UINT dpi) const noexcept
{
    if (m_fit == Fit::Stretch) {
        RECT client{};
        GetClientRect(Handle(), &client);
        return ImageStrip(m_bitmapId, SIZE{client.right, client.bottom});
    }
    return ImageStrip(m_bitmapId, m_imageCount, dpi);
}

void PictureBox::ApplyDpi(UINT dpi)
{
    CustomWindow::ApplyDpi(dpi);
    m_images = ImagesAt(dpi);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PictureBox::SetImageIndex(int index)
{
    m_imageIndex = index;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PictureBox::Paint(HDC dc, const RECT& client)
{
    if (m_fit == Fit::Stretch) {
        m_images.Stretch(dc, client);
        return;
    }
    const SIZE size = m_images.ImageSize();
    PaintParentBackground(dc);
    m_images.Draw(dc, m_imageIndex, (client.right - size.cx) / 2, (client.bottom - size.cy) / 2);
}
