#pragma once
// One image of an image strip, centred in the control, over whatever lies behind it: a
// status icon, a logo, a banner.
#include "ui/CustomWindow.h"
#include "ui/ImageStrip.h"

class PictureBox final : public CustomWindow {
public:
    PictureBox(HWND parent, const RECT& bounds, int bitmapId, int imageCount = 1, int imageIndex = 0);

    int ImageIndex() const noexcept { return m_imageIndex; }
    void SetImageIndex(int index);

    void ApplyDpi(UINT dpi) override;

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    int m_bitmapId;
    int m_imageCount;
    ImageStrip m_images;
    int m_imageIndex;
};
