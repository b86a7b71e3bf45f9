#include "ui/Window.h"

#include "ui/Dpi.h"

namespace ui {

namespace {

HINSTANCE ModuleInstance() noexcept { return GetModuleHandleW(nullptr); }

// Our class of that name, registered on first use; its procedure binds the objects.
bool RegisterOnce(const wchar_t* className, UINT style, HICON icon, HICON smallIcon, WNDPROC procedure) noexcept
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(ModuleInstance(), className, &windowClass)) {
        return true;
    }
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

} // namespace

WindowRef WindowRef::Find(const wchar_t* className, const wchar_t* title) noexcept
{
    return WindowRef(FindWindowW(className, title));
}

WindowRef WindowRef::Find(const char* className, const char* title) noexcept
{
    return WindowRef(FindWindowA(className, title));
}

Window::~Window() { Destroy(); }

bool Window::Create(const Params& params) noexcept
{
    if (m_window != nullptr) {
        return false;
    }
    const bool child = (params.style & WS_CHILD) != 0;
    RECT bounds = params.bounds;
    if (child) {
        m_dpi = DpiOf(params.parent);
        m_design = params.bounds;
        bounds = Scale(params.bounds, m_dpi);
    } else {
        m_dpi = params.dpi;
    }
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (params.systemClass) {
        const HWND window =
            CreateWindowExW(params.exStyle, params.className, params.text, params.style, bounds.left, bounds.top, width,
                            height, params.parent, nullptr, ModuleInstance(), nullptr);
        if (window == nullptr) {
            return false;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        const auto classProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::StaticWndProc)));
        if (classProc == nullptr) {
            DestroyWindow(window);
            return false;
        }
        m_classProc = classProc;
        m_subclassed = true;
        m_window = window;
        return true;
    }
    if (!RegisterOnce(params.className, params.classStyle, params.icon, params.smallIcon, &Window::StaticWndProc)) {
        return false;
    }
    const HWND window = CreateWindowExW(params.exStyle, params.className, params.text, params.style, bounds.left,
                                        bounds.top, width, height, params.parent, nullptr, ModuleInstance(), this);
    // A window that failed after WM_NCCREATE has already been let go at its WM_NCDESTROY.
    return window != nullptr && window == m_window;
}

void Window::Bind(HWND window) noexcept
{
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
}

void Window::LetGo() noexcept
{
    SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    if (m_subclassed) {
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_classProc));
        m_subclassed = false;
    }
    m_window = nullptr;
}

void Window::Destroy() noexcept
{
    const HWND window = m_window;
    if (window == nullptr) {
        return;
    }
    LetGo();
    DestroyWindow(window);
}

LRESULT Window::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(m_classProc, m_window, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCCREATE) {
        if (auto* self = static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams)) {
            self->Bind(window);
        }
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        const WNDPROC classProc = self->m_classProc;
        self->LetGo();
        return CallWindowProcW(classProc, window, message, wParam, lParam);
    }
    return self->WndProc(message, wParam, lParam);
}

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
    const Window* top = FromHandle(root != nullptr ? root : window);
    return top != nullptr && top->m_dpi != 0 ? top->m_dpi : DpiOfWindow(window);
}

Window* Window::FromHandle(HWND window) noexcept
{
    // Only a window of this process whose messages come to us holds one of our objects:
    // another program's window may keep anything in its user data.
    DWORD process = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &process) == 0 || process != GetCurrentProcessId() ||
        GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Window::StaticWndProc)) {
        return nullptr;
    }
    return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace ui
