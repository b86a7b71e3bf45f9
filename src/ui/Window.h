#pragma once
// A window that we own and destroy with its object, with its place and visibility. A
// child's place is in its parent's client coordinates, a top-level window's on the screen.
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

    RECT Bounds() const noexcept;
    void SetBounds(const RECT& bounds) noexcept;
    void SetLocation(POINT location) noexcept;
    void SetVisible(bool visible) noexcept;

protected:
    Window() = default;
    explicit Window(HWND window) noexcept : m_window(window) {}
    ~Window() = default;

    tl::unique_hwnd m_window;
};
