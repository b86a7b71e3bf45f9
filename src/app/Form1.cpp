#include "app/Form1.h"

#include "app/HaldenFunc.h"
#include "platform/Messages.h"
#include "platform/WMI.h"

namespace {

HINSTANCE ModuleInstance() noexcept { return GetModuleHandleW(nullptr); }

void RegisterWindowClass(WNDPROC windowProc) noexcept
{
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(ModuleInstance(), Form1::ClassName, &windowClass)) {
        return;
    }
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = Form1::ClassName;
    RegisterClassExW(&windowClass);
}

} // namespace

Form1::Form1(WMI& wmi) : m_wmi(wmi)
{
    // Built hidden and stays hidden: it is never given to ShowWindow.
    CreateMainWindow();

    // Without a subscription the program still runs, only without sensor messages.
    m_wmi.WMIEventRegister();

    // The language, the volume for the shock-state control, the tray texts and icons
    // follow with the tray and the hard-drive protection (issue #3).

    HaldenFunc halden;
    halden.ModifyPassWord(0);
    halden.SetShakingNow(0);
    halden.SetBeepNow(0);

    // The stored hard-drive protection setting is applied with the protection itself
    // (issue #3); the start after an armed anti-theft comes with anti-theft.
}

Form1::~Form1() = default;

void Form1::CreateMainWindow()
{
    RegisterWindowClass(&Form1::StaticWndProc);

    // Minimised, fully transparent, a tool window (so no taskbar button) and off screen:
    // even a stray ShowWindow by another program shows nothing.
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_MINIMIZE;
    constexpr DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_LAYERED;
    RECT frame{0, 0, ClientSize.cx, ClientSize.cy};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);

    // The window procedure takes ownership of the handle at WM_NCCREATE.
    CreateWindowExW(exStyle, ClassName, L"QUEN_Tremorlink", style, StartPosition.x, StartPosition.y,
                    frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, ModuleInstance(), this);
    SetLayeredWindowAttributes(m_window.get(), 0, 0, LWA_ALPHA);
}

LRESULT CALLBACK Form1::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCCREATE) {
        auto* created = static_cast<Form1*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->m_window = tl::unique_hwnd(window);
    }
    auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY && self != nullptr) {
        // The window is gone: the object no longer owns a handle to destroy.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window.release();
        self = nullptr;
    }
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->WndProc(message, wParam, lParam);
}

LRESULT Form1::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = m_window.get();
    switch (message) {
    case WM_CLOSE:
        m_wmi.WMIEventUnRegister();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_NCHITTEST: return HTCAPTION;
    case WM_NCLBUTTONDBLCLK: return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMaxTrackSize = {MaximumSize.cx, MaximumSize.cy};
        limits->ptMinTrackSize = {0, 0};
        return 0;
    }
    case WM_TL_SHOCK:
    case WM_TL_SHOCK_OVER:
        // The shock reaction arrives with the hard-drive protection (issue #3).
        return 0;
    case WM_TL_MOVEMENT: HaldenFunc().SetBeepNow(1); break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
