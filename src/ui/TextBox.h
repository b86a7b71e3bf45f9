#pragma once
// A single-line edit box with a single-line border, in the skin's small font, that takes
// at most a given number of characters. A password box shows each character as "*".
#include "platform/Handles.h"
#include "ui/PixelFont.h"
#include "ui/Window.h"

#include <windows.h>

#include <string>

class TextBox final : public Window {
public:
    static constexpr TextFont Font{SkinFontFace, 9, false};

    TextBox(HWND parent, const RECT& bounds, int maxLength, bool password);
    TextBox(const TextBox&) = delete;
    TextBox& operator=(const TextBox&) = delete;
    ~TextBox();

    void SetText(const std::wstring& text) noexcept;
    void Clear() noexcept { SetText(std::wstring()); }
    void Focus() noexcept { SetFocus(Handle()); }

    void ApplyDpi(UINT dpi) override;

private:
    tl::unique_hfont m_font;
};
