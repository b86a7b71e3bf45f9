#include "ui/CustomWindow.h"

namespace {

HINSTANCE ModuleInstance() noexcept { return GetModuleHandleW(nullptr); }

} // namespace

CustomWindow::CustomWindow(const Params& params) noexcept
{
    WNDCLASSEXW windowClass{};
    if (!GetClassInfoExW(ModuleInstance(), params.className, &windowClass)) {
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = params.classStyle;
        windowClass.lpfnWndProc = &CustomWindow::StaticWndProc;
        windowClass.hInstance = ModuleInstance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hIcon = params.icon;
        windowClass.hIconSm = params.smallIcon;
        windowClass.lpszClassName = params.className;
        RegisterClassExW(&windowClass);
    }
    // The handle is taken at WM_NCCREATE, so that the messages of the creation itself
    // already find it.
    const RECT& bounds = params.bounds;
    CreateWindowExW(params.exStyle, params.className, params.title, params.style, bounds.left, bounds.top,
                    bounds.right - bounds.left, bounds.bottom - bounds.top, params.parent, nullptr, ModuleInstance(),
                    this);
    if (params.dpi != 0 && Handle() != nullptr) {
        SetTopLevelDpi(params.dpi);
    }
}

// Destroyed here rather than by the handle's owner: the messages of the destruction must
// still find a bound object, which from here on handles them by default.
CustomWindow::~CustomWindow() { m_window.reset(); }

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
    default: return DefWindowProcW(Handle(), message, wParam, lParam);
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

LRESULT CALLBACK CustomWindow::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<CustomWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_window.reset(window);
    }
    auto* self = reinterpret_cast<CustomWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->Forget();
        self->m_window.release();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->WndProc(message, wParam, lParam);
}
