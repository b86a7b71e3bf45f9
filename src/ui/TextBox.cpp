#include "ui/TextBox.h"

namespace ui {

bool TextBox::Create(HWND parent, const RECT& bounds)
{
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | (m_password ? ES_PASSWORD : 0);
    if (!Window::Create({.className = L"EDIT",
                         .classStyle = 0,
                         .exStyle = WS_EX_NOPARENTNOTIFY,
                         .style = style,
                         .text = L"",
                         .bounds = bounds,
                         .parent = parent,
                         .systemClass = true})) {
        return false;
    }
    ApplyDpi(Dpi());
    SendMessageW(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(m_maxLength), 0);
    if (m_password) {
        // The system's own password character depends on its version and visual style.
        SendMessageW(Handle(), EM_SETPASSWORDCHAR, L'*', 0);
    }
    return true;
}

void TextBox::ApplyDpi(UINT dpi)
{
    m_font = CreatePixelFont(Font, dpi);
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
    Window::ApplyDpi(dpi);
}

void TextBox::SetText(const std::wstring& text) noexcept { SetWindowTextW(Handle(), text.c_str()); }

} // namespace ui
