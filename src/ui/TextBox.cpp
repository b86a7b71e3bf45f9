#include "ui/TextBox.h"

TextBox::TextBox(HWND parent, const RECT& bounds, int maxLength, bool password)
    : Window(CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL |
                                 (password ? ES_PASSWORD : 0),
                             0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr))
{
    Adopt(bounds, DpiOf(parent));
    ApplyDpi(Dpi());
    SendMessageW(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength), 0);
    if (password) {
        // The system's own password character depends on its version and visual style.
        SendMessageW(Handle(), EM_SETPASSWORDCHAR, L'*', 0);
    }
}

// The box goes with its parent window, and nothing tells this object when: it must not
// destroy a handle that may by then belong to another window.
TextBox::~TextBox()
{
    Forget();
    m_window.release();
}

void TextBox::ApplyDpi(UINT dpi)
{
    m_font = CreatePixelFont(Font, dpi);
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
    Window::ApplyDpi(dpi);
}

void TextBox::SetText(const std::wstring& text) noexcept { SetWindowTextW(Handle(), text.c_str()); }
