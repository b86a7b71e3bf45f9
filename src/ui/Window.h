#pragma once
// The program's windows: one base for every window we own, top-level windows and
// controls alike, and a plain reference for windows we do not own.
//
// Making a window is a step of its own, after the object is built: Create registers the
// window's class on first use, makes the window and says whether both worked. An object
// whose window could not be made does nothing and may be destroyed like any other.
//
// The object is found from its window in one way only, GWLP_USERDATA (FromHandle). A
// window of one of our classes is bound at WM_NCCREATE, so that the messages of its
// creation already reach its object; a control of the system's (the password boxes keep
// the "Edit" class, which accessibility tools know) is subclassed and bound as soon as it
// exists. The object lets go at WM_NCDESTROY, however the window ends, and from then on
// holds no handle.
//
// The object owns its window and destroys it at the latest with itself. It lets the window
// go before it destroys it, so the destruction's messages get the default handling and
// never reach an object that is partly destroyed: no derived class has to destroy its
// window first. Work that a window must do as it ends belongs to its owner's explicit
// teardown, not to WM_DESTROY. A window destroyed by someone else (a control, with its
// parent) still reaches its whole object until WM_NCDESTROY.
//
// A child is placed in design pixels (at 96 dpi) in its parent's client coordinates and
// shown at the DPI of its top-level window, which it follows when that changes; a
// top-level window is placed in screen pixels.
#include <windows.h>

#include <string>

namespace ui {

// A window we do not own: another program's, the system's, or one of ours that another
// object owns. It is looked at and asked things, never destroyed.
class WindowRef {
public:
    constexpr WindowRef() noexcept = default;
    constexpr explicit WindowRef(HWND window) noexcept : m_window(window) {}

    // The top-level window of that class and title (either may be null for any), found
    // without regard to case; none when there is no such window.
    static WindowRef Find(const wchar_t* className, const wchar_t* title) noexcept;
    // The same by the ANSI names that the system gives some windows.
    static WindowRef Find(const char* className, const char* title) noexcept;

    constexpr HWND Handle() const noexcept { return m_window; }
    constexpr explicit operator bool() const noexcept { return m_window != nullptr; }

private:
    HWND m_window = nullptr;
};

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const noexcept { return m_window; }
    WindowRef Ref() const noexcept { return WindowRef(m_window); }
    // Destroys the window now, let go first; the object stays, without a window.
    void Destroy() noexcept;

    // The window's text: a control's caption, or a top-level window's title.
    std::wstring Text() const;

    // Where it is now, in pixels of its parent's client area (of the screen for a
    // top-level window).
    RECT Bounds() const noexcept;
    // Where a child was placed, in design pixels.
    const RECT& DesignBounds() const noexcept { return m_design; }
    void SetBounds(const RECT& bounds) noexcept;
    void SetLocation(POINT location) noexcept;
    void SetVisible(bool visible) noexcept;

    UINT Dpi() const noexcept { return m_dpi; }
    // Shows the window at another DPI: a child takes its place again, and whatever is
    // drawn at a scale (fonts, pictures) is made anew.
    virtual void ApplyDpi(UINT dpi);

    // The DPI a window is shown at: its top-level window's, when that is ours and was
    // given one; else its monitor's.
    static UINT DpiOf(HWND window) noexcept;
    // The object of one of our windows, or null for any other window.
    static Window* FromHandle(HWND window) noexcept;

protected:
    struct Params {
        const wchar_t* className;
        UINT classStyle;
        DWORD exStyle;
        DWORD style;
        const wchar_t* text;
        // A child's in design pixels of its parent's client area, at the parent's DPI; a
        // top-level window's in screen pixels.
        RECT bounds;
        HWND parent; // a child's parent, or a top-level window's owner
        HICON icon = nullptr;
        HICON smallIcon = nullptr;
        UINT dpi = 0; // a top-level window's DPI, which its children take up; 0: its monitor's
        // A class of the system's, which is not registered: the window is subclassed.
        bool systemClass = false;
    };

    Window() = default;

    // Makes the window, once; false when its class could not be registered or the window
    // could not be made (the object then has none).
    [[nodiscard]] bool Create(const Params& params) noexcept;

    // The default handling: the class's own. Derived classes pass on what they do not
    // handle themselves.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Takes up the design bounds at the current DPI.
    virtual void Place() noexcept;
    // A top-level window's DPI, which its children read.
    void SetTopLevelDpi(UINT dpi) noexcept { m_dpi = dpi; }

    RECT m_design{};

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void Bind(HWND window) noexcept;
    void LetGo() noexcept;

    HWND m_window = nullptr;
    // What the window's class does by default: DefWindowProcW for our classes, the
    // system's procedure for a subclassed control.
    WNDPROC m_classProc = &DefWindowProcW;
    bool m_subclassed = false;
    UINT m_dpi = 0;
};

} // namespace ui
