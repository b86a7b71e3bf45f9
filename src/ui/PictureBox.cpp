#include "ui/PictureBox.h"

namespace ui {

bool PictureBox::Create(HWND parent, const RECT& bounds)
{
    if (!Window::Create({L"QuenPictureBox", 0, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, L"", bounds, parent})) {
        return false;
    }
    m_images.emplace(ImagesAt(Dpi()));
    return true;
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
    m_images.emplace(ImagesAt(dpi));
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PictureBox::SetImageIndex(int index)
{
    m_imageIndex = index;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PictureBox::Paint(HDC dc, const RECT& client)
{
    if (!m_images) {
        return;
    }
    if (m_fit == Fit::Stretch) {
        m_images->Stretch(dc, client);
        return;
    }
    const SIZE size = m_images->ImageSize();
    PaintParentBackground(dc);
    m_images->Draw(dc, m_imageIndex, (client.right - size.cx) / 2, (client.bottom - size.cy) / 2);
}

} // namespace ui
