#pragma once
// A window of a class of our own whose messages go to its object, which paints all of it.
// The object is bound at WM_NCCREATE, from the creation parameter, and let go at
// WM_NCDESTROY; from then on it owns no handle. While the base is being built, messages
// reach this class's default handling, since the derived class does not exist yet: our
// windows are created hidden, and their children send no parent notifications. Painting
// happens only for a dispatched WM_PAINT or a print request, never while built.
//
// A derived class whose WndProc uses its own members destroys the window in its own
// destructor (DestroyWindow(Handle())), before those members go: the destruction's
// messages then still find the whole object. Otherwise the window is destroyed here, and
// its last messages get the default handling.
#include "ui/Window.h"

#include <windows.h>

class CustomWindow : public Window {
public:
    struct Params {
        const wchar_t* className;
        UINT classStyle;
        DWORD exStyle;
        DWORD style;
        const wchar_t* title;
        RECT bounds;
        HWND parent; // a child's parent, or a top-level window's owner
        HICON icon = nullptr;
        HICON smallIcon = nullptr;
        UINT dpi = 0; // a top-level window's DPI, which its children take up; 0 for a child
    };

protected:
    explicit CustomWindow(const Params& params) noexcept;
    ~CustomWindow();

    // The default handling; derived classes pass on what they do not handle themselves.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Paints the whole client area into dc: an off-screen buffer, or a child's DC that
    // asks for what lies behind it.
    virtual void Paint(HDC dc, const RECT& client) = 0;
    // Paints into dc what the parent shows behind this window, for a control whose
    // picture does not cover it all.
    void PaintParentBackground(HDC dc) const noexcept;
    // Whether Paint covers the client area in one step, so that it may draw straight into
    // the window: nothing shows half drawn, and a picture as large as a monitor needs no
    // second bitmap of that size to be drawn through.
    virtual bool PaintsInOneStep() const noexcept { return false; }

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void PaintBuffered();
    void PaintDirectly();
};
