#pragma once
// The white panel inside a skinned window's frame, parent of the window's controls. It
// answers its own hit tests, so pressing on it does not move the window. It may show a
// picture at its top-left corner, cut at the panel's edges: the title band's banner, for
// instance.
#include "ui/CustomWindow.h"
#include "ui/ImageStrip.h"

#include <optional>

namespace ui {

class ContentPanel final : public CustomWindow {
public:
    ContentPanel() = default;

    [[nodiscard]] bool Create(HWND parent, const RECT& bounds) noexcept;

    void SetPicture(int bitmapId);

    void ApplyDpi(UINT dpi) override;

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    int m_pictureId = 0;
    std::optional<ImageStrip> m_picture;
};

} // namespace ui
