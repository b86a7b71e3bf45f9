#pragma once
// A picture that acts as a button: its image follows the mouse (normal, pointer over it,
// pressed on it) and a click, a press and a release both on the button, raises Click.
// Releasing changes no image, so after a click the pressed image stays until the pointer
// leaves. A press that leaves the button shows the normal image again, and its release
// away from the button does nothing.
#include "Handles.h"
#include "ui/CustomWindow.h"
#include "ui/ImageStrip.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace ui {

class PictureButton final : public CustomWindow {
public:
    enum class Kind {
        Push,  // 104x24, a text over four images: 2 normal, 1 over, 3 pressed (0 unused)
        Close, // 23x14, three images: 1 normal, 0 over, 2 pressed
    };
    static constexpr SIZE PushSize{104, 24};
    static constexpr SIZE CloseSize{23, 14};

    // A push button's bounds with its top-left corner there.
    static constexpr RECT PushBoundsAt(LONG left, LONG top) noexcept
    {
        return {left, top, left + PushSize.cx, top + PushSize.cy};
    }

    explicit PictureButton(Kind kind) noexcept;

    // The button at bounds, in design pixels of parent, with its images at the parent's
    // DPI.
    [[nodiscard]] bool Create(HWND parent, const RECT& bounds, const std::wstring& text = {});

    // May close the window, and with it destroy this button.
    std::function<void()> Click;

    int ImageIndex() const noexcept { return m_imageIndex; }
    void SetText(const std::wstring& text);

    void ApplyDpi(UINT dpi) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;

private:
    struct States {
        int normal;
        int over;
        int pressed;
    };

    static ImageStrip ImagesOf(Kind kind, UINT dpi) noexcept;
    static tl::unique_hfont FontOf(Kind kind, UINT dpi) noexcept;
    void ShowImage(int index);
    void MouseEnter();
    void MouseLeave();
    void MouseDown();
    void MouseUp(POINT point);
    void FollowPointer();
    void TrackLeave() noexcept;
    bool Contains(POINT point) const noexcept;

    Kind m_kind;
    States m_states;
    std::optional<ImageStrip> m_images;
    tl::unique_hfont m_font;
    int m_imageIndex;
    bool m_over = false;
    bool m_pressed = false;
};

} // namespace ui
