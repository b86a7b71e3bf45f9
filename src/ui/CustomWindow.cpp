#include "ui/CustomWindow.h"

#include "Handles.h"

namespace ui {

LRESULT CustomWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        if (PaintsInOneStep()) {
            PaintDirectly();
        } else {
            PaintBuffered();
        }
        return 0;
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(Handle(), &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    default: return Window::WndProc(message, wParam, lParam);
    }
}

void CustomWindow::PaintParentBackground(HDC dc) const noexcept
{
    const HWND parent = GetParent(Handle());
    POINT origin{0, 0};
    MapWindowPoints(Handle(), parent, &origin, 1);
    POINT previous{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

// Drawn off screen and copied at once, so that a button changing its image does not
// flicker through its background.
void CustomWindow::PaintBuffered()
{
    const tl::PaintDc paint(Handle());
    RECT client{};
    GetClientRect(Handle(), &client);
    if (IsRectEmpty(&client)) {
        return;
    }
    const tl::unique_hdc buffer(CreateCompatibleDC(paint.get()));
    const tl::unique_hbitmap bitmap(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
    const tl::SelectObjectGuard select(buffer.get(), bitmap.get());
    Paint(buffer.get(), client);
    BitBlt(paint.get(), 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
}

void CustomWindow::PaintDirectly()
{
    const tl::PaintDc paint(Handle());
    RECT client{};
    GetClientRect(Handle(), &client);
    Paint(paint.get(), client);
}

} // namespace ui
