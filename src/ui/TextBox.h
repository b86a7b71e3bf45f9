#pragma once
// A single-line edit box with a single-line border, in the skin's small font, that takes
// at most a given number of characters. A password box shows each character as "*". It
// is the system's edit control, of the system's "Edit" class, subclassed by its object.
#include "Handles.h"
#include "ui/PixelFont.h"
#include "ui/Window.h"

#include <windows.h>

#include <string>

namespace ui {

class TextBox final : public Window {
public:
    static constexpr TextFont Font{SkinFontFace, 9, false};

    TextBox(int maxLength, bool password) noexcept : m_maxLength(maxLength), m_password(password) {}

    // The box at bounds, in design pixels of parent, in a font at the parent's DPI.
    [[nodiscard]] bool Create(HWND parent, const RECT& bounds);

    void SetText(const std::wstring& text) noexcept;
    void Clear() noexcept { SetText(std::wstring()); }
    void Focus() noexcept { SetFocus(Handle()); }

    void ApplyDpi(UINT dpi) override;

private:
    int m_maxLength;
    bool m_password;
    tl::unique_hfont m_font;
};

} // namespace ui
