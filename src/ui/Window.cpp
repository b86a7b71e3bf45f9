#include "ui/Window.h"

#include "ui/Dpi.h"

namespace {

constexpr wchar_t ObjectProperty[] = L"QuenTremorlink.Window";
constexpr wchar_t DpiProperty[] = L"QuenTremorlink.Dpi";

} // namespace

Window::~Window() { Forget(); }

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
    m_design = bounds;
    Place();
}

void Window::SetLocation(POINT location) noexcept
{
    OffsetRect(&m_design, location.x - m_design.left, location.y - m_design.top);
    if (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_CHILD) {
        Place();
    } else {
        SetWindowPos(Handle(), nullptr, location.x, location.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Window::SetVisible(bool visible) noexcept { ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }

void Window::ApplyDpi(UINT dpi)
{
    m_dpi = dpi;
    Place();
}

void Window::Place() noexcept
{
    const RECT bounds = Scale(m_design, m_dpi);
    SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT Window::DpiOf(HWND window) noexcept
{
    const HWND root = GetAncestor(window, GA_ROOT);
    const auto stored = reinterpret_cast<UINT_PTR>(GetPropW(root != nullptr ? root : window, DpiProperty));
    return stored != 0 ? static_cast<UINT>(stored) : DpiOfWindow(window);
}

Window* Window::FromHandle(HWND window) noexcept { return static_cast<Window*>(GetPropW(window, ObjectProperty)); }

RECT Window::ScaledIn(HWND parent, const RECT& design) noexcept { return Scale(design, DpiOf(parent)); }

void Window::Adopt(const RECT& design, UINT dpi) noexcept
{
    m_design = design;
    m_dpi = dpi;
    SetPropW(Handle(), ObjectProperty, this);
}

void Window::SetTopLevelDpi(UINT dpi) noexcept
{
    m_dpi = dpi;
    SetPropW(Handle(), DpiProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dpi)));
}

void Window::Forget() noexcept
{
    if (Handle() != nullptr) {
        RemovePropW(Handle(), ObjectProperty);
        RemovePropW(Handle(), DpiProperty);
    }
}
