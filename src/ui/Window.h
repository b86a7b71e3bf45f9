#pragma once
// A window that we own and destroy with its object, with its place and visibility.
//
// A child is placed in design pixels (at 96 dpi) in its parent's client coordinates and
// shown at the DPI of its top-level window, which it follows when that changes; a
// top-level window is placed in screen pixels.
#include "platform/Handles.h"

#include <windows.h>

#include <string>

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return m_window.get(); }
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

    // The DPI a window is shown at: its top-level window's.
    static UINT DpiOf(HWND window) noexcept;
    // The object of one of our children, or null for a window of another kind.
    static Window* FromHandle(HWND window) noexcept;

protected:
    Window() = default;
    explicit Window(HWND window) noexcept : m_window(window) {}
    virtual ~Window();

    // A child of parent at design bounds: the bounds at the parent's DPI.
    static RECT ScaledIn(HWND parent, const RECT& design) noexcept;
    // Records the design bounds of a child at the DPI it was made at, so that it can
    // follow later changes; the window must exist.
    void Adopt(const RECT& design, UINT dpi) noexcept;
    // Takes up the design bounds at the current DPI.
    virtual void Place() noexcept;
    // A top-level window's DPI, which its children read.
    void SetTopLevelDpi(UINT dpi) noexcept;
    // Called as the handle goes, whoever destroys it.
    void Forget() noexcept;

    tl::unique_hwnd m_window;
    RECT m_design{};
    UINT m_dpi = 96;
};
