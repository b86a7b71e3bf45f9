#pragma once
// A window of a class of our own that paints all of itself: its object draws the whole
// client area off screen and copies it at once (or straight into the window, when it
// covers it in one step), and never erases a background first.
// Painting happens only for a dispatched WM_PAINT or a print request.
#include "ui/Window.h"

#include <windows.h>

namespace ui {

class CustomWindow : public Window {
protected:
    CustomWindow() = default;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
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
    void PaintBuffered();
    void PaintDirectly();
};

} // namespace ui
