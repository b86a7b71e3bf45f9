#include "ui/PictureButton.h"

#include "ui/PixelFont.h"
#include "resource.h"

#include <windowsx.h>

namespace ui {

namespace {

constexpr TextFont PushFont{SkinFontFace, 14, true};
constexpr COLORREF PushTextColour = RGB(25, 60, 60);

POINT PointOf(LPARAM lParam) noexcept { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

} // namespace

PictureButton::PictureButton(Kind kind) noexcept
    : m_kind(kind), m_states(kind == Kind::Push ? States{2, 1, 3} : States{1, 0, 2}), m_imageIndex(m_states.normal)
{
}

bool PictureButton::Create(HWND parent, const RECT& bounds, const std::wstring& text)
{
    if (!Window::Create(
            {L"QuenPictureButton", 0, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, text.c_str(), bounds, parent})) {
        return false;
    }
    m_images.emplace(ImagesOf(m_kind, Dpi()));
    m_font = FontOf(m_kind, Dpi());
    return true;
}

ImageStrip PictureButton::ImagesOf(Kind kind, UINT dpi) noexcept
{
    return kind == Kind::Push ? ImageStrip(IDB_PUSH_BUTTON, 4, dpi) : ImageStrip(IDB_CLOSE_BUTTON, 3, dpi);
}

tl::unique_hfont PictureButton::FontOf(Kind kind, UINT dpi) noexcept
{
    return kind == Kind::Push ? CreatePixelFont(PushFont, dpi) : tl::unique_hfont();
}

void PictureButton::ApplyDpi(UINT dpi)
{
    m_images.emplace(ImagesOf(m_kind, dpi));
    m_font = FontOf(m_kind, dpi);
    CustomWindow::ApplyDpi(dpi);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PictureButton::SetText(const std::wstring& text)
{
    SetWindowTextW(Handle(), text.c_str());
    InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT PictureButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE: {
        // While pressed the button has the capture and sees the pointer also outside.
        const bool inside = Contains(PointOf(lParam));
        if (inside && !m_over) {
            MouseEnter();
        } else if (!inside && m_over) {
            MouseLeave();
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        if (!m_pressed && m_over) {
            MouseLeave();
        }
        return 0;
    case WM_LBUTTONDOWN: MouseDown(); return 0;
    case WM_LBUTTONUP: MouseUp(PointOf(lParam)); return 0;
    case WM_ENABLE:
        // A disabled window gets no mouse input, so nothing would end a press or a hover:
        // both end here, and the text shows that the button does nothing.
        if (wParam == FALSE) {
            if (m_pressed) {
                ReleaseCapture();
            }
            m_over = false;
            ShowImage(m_states.normal);
        }
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_CAPTURECHANGED:
        // Released by us, or taken by another window: either way the press is over.
        if (m_pressed) {
            m_pressed = false;
            FollowPointer();
        }
        return 0;
    default: return CustomWindow::WndProc(message, wParam, lParam);
    }
}

void PictureButton::ShowImage(int index)
{
    if (index != m_imageIndex) {
        m_imageIndex = index;
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void PictureButton::MouseEnter()
{
    m_over = true;
    TrackLeave();
    ShowImage(m_states.over);
}

void PictureButton::MouseLeave()
{
    m_over = false;
    ShowImage(m_states.normal);
}

void PictureButton::MouseDown()
{
    if (!m_over) {
        m_over = true;
        TrackLeave();
    }
    m_pressed = true;
    SetCapture(Handle());
    ShowImage(m_states.pressed);
}

void PictureButton::MouseUp(POINT point)
{
    if (!m_pressed) {
        return;
    }
    const bool click = Contains(point);
    ReleaseCapture();
    if (click && Click) {
        // A copy, since the handler may end the life of this button and its members.
        const std::function<void()> handler = Click;
        handler();
    }
}

// After a press the pointer may be anywhere: the button takes up the state it finds.
void PictureButton::FollowPointer()
{
    POINT pointer{};
    GetCursorPos(&pointer);
    if (WindowFromPoint(pointer) != Handle()) {
        if (m_over) {
            MouseLeave();
        }
    } else if (m_over) {
        TrackLeave();
    } else {
        MouseEnter();
    }
}

void PictureButton::TrackLeave() noexcept
{
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&track);
}

bool PictureButton::Contains(POINT point) const noexcept
{
    RECT client{};
    GetClientRect(Handle(), &client);
    return PtInRect(&client, point) != FALSE;
}

void PictureButton::Paint(HDC dc, const RECT& client)
{
    PaintParentBackground(dc);
    if (!m_images) {
        return;
    }
    const SIZE size = m_images->ImageSize();
    m_images->Draw(dc, m_imageIndex, (client.right - size.cx) / 2, (client.bottom - size.cy) / 2);
    if (!m_font) {
        return;
    }
    const tl::SelectObjectGuard select(dc, m_font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(Handle()) ? PushTextColour : GetSysColor(COLOR_GRAYTEXT));
    const std::wstring text = Text();
    RECT area = client;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace ui
