#pragma once
// One image of an image strip, centred in the control, over whatever lies behind it: a
// status icon, a logo, a banner. Or one picture stretched over the whole control: a
// background.
#include "ui/CustomWindow.h"
#include "ui/ImageStrip.h"

#include <optional>

namespace ui {

class PictureBox final : public CustomWindow {
public:
    enum class Fit {
        Centre,  // the image at its drawn size, in the middle
        Stretch, // the picture made as large as the control, whatever its shape
    };

    explicit PictureBox(int bitmapId, int imageCount = 1, int imageIndex = 0) noexcept
        : m_bitmapId(bitmapId), m_imageCount(imageCount), m_fit(Fit::Centre), m_imageIndex(imageIndex)
    {
    }
    PictureBox(int bitmapId, Fit fit) noexcept : m_bitmapId(bitmapId), m_imageCount(1), m_fit(fit), m_imageIndex(0) {}

    // The control at bounds, in design pixels of parent, with its pictures at the
    // parent's DPI.
    [[nodiscard]] bool Create(HWND parent, const RECT& bounds);

    int ImageIndex() const noexcept { return m_imageIndex; }
    void SetImageIndex(int index);

    void ApplyDpi(UINT dpi) override;

protected:
    void Paint(HDC dc, const RECT& client) override;
    bool PaintsInOneStep() const noexcept override { return m_fit == Fit::Stretch; }

private:
    ImageStrip ImagesAt(UINT dpi) const noexcept;

    int m_bitmapId;
    int m_imageCount;
    Fit m_fit;
    std::optional<ImageStrip> m_images;
    int m_imageIndex;
};

} // namespace ui
