#include "ui/Window.h"

std::wstring Window::Text() const
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT Window::Bounds() const noexcept
{
    RECT bounds{};
    GetWindowRect(Handle(), &bounds);
    MapWindowPoints(HWND_DESKTOP, GetAncestor(Handle(), GA_PARENT), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

void Window::SetBounds(const RECT& bounds) noexcept
{
    SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetLocation(POINT location) noexcept
{
    SetWindowPos(Handle(), nullptr, location.x, location.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetVisible(bool visible) noexcept { ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }
