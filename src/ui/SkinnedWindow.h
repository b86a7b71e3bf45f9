#pragma once
// The common look and behaviour of the program's visible windows: no system caption or
// border, a frame drawn from bitmaps around a white content panel, a caption strip that
// moves the window when dragged, a close button on it, and, for the dialogs, a title band
// at the top of the panel. A window class derives from this one and adds its controls
// as members, children of Panel(), placed in the panel's coordinates; it names their
// handlers, and overrides WndProc for messages of its own.
//
// Every position, size and font size is a design value at 96 dpi, scaled by the DPI of
// the monitor the window opens on and again when it is moved to a monitor of another DPI;
// the window never changes its size otherwise.
//
// A window is made by Create, hidden; a derived window's Create makes the frame first
// (SkinnedWindow::Create), then its own controls, and fails when any of them fails.
#include "ui/ContentPanel.h"
#include "ui/CustomWindow.h"
#include "ui/ImageStrip.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"

#include <windows.h>

#include <optional>

namespace ui {

class SkinnedWindow : public CustomWindow {
public:
    struct Options {
        const wchar_t* title; // names the window for FindWindow; it is never shown
        SIZE size{400, 205};  // of the whole window
        bool closeButton = true;
        bool draggable = true; // the caption strip moves the window
        bool topmost = true;
        bool titleBand = true; // banner and title label at the top of the panel
        // A window opened over another of ours: it stays above its owner, and the owner
        // takes no input while this one is shown modally.
        WindowRef owner = {};
        // 0: the DPI of the monitor the window opens on.
        UINT dpi = 0;
    };

    // The frame at a DPI: the pieces that lie against the right and bottom edges are
    // placed from those edges, so that they meet whatever the rounding.
    struct Frame {
        SIZE size; // of the whole window
        int captionHeight;
        int frameWidth;
        RECT panel;
        RECT closeButton;
    };
    static Frame FrameAt(SIZE designSize, UINT dpi) noexcept;

    static constexpr int CaptionHeight = 25;
    static constexpr int FrameWidth = 6;
    static constexpr int CloseButtonTop = 6;
    // In the panel.
    static constexpr RECT TitleBounds{17, 13, 17 + 224, 13 + 23};

    // Makes the window, hidden, centred on the screen, with its frame, panel, close button
    // and title band; a derived window adds its controls. False when any part could not
    // be made: the object then shows nothing.
    [[nodiscard]] virtual bool Create();

    // Shows the window, centred on the screen as it was built, without waiting.
    void Show();
    // Shows the window and returns once it has closed. Meanwhile its own message loop
    // serves every window of this thread but the owner, which is disabled; a quit
    // request ends it and is passed on.
    void ShowModal();
    // Ends the window: a modal one returns from ShowModal, any other is destroyed. Either
    // way Closing comes first.
    void Close();
    bool IsOpen() const noexcept { return Handle() != nullptr; }

    ContentPanel& Panel() noexcept { return m_panel; }
    // Null for a window without a close button. Its click closes the window unless the
    // window gives it another handler.
    PictureButton* CloseButton() noexcept { return m_closeButton ? &*m_closeButton : nullptr; }
    // Null for a window without a title band.
    Label* TitleLabel() noexcept { return m_title ? &*m_title : nullptr; }

    // Shows the window and all its controls at another DPI, at the same centre.
    void ApplyDpi(UINT dpi) override;

protected:
    explicit SkinnedWindow(const Options& options);

    // Handles the caption (when draggable), the size limit, closing and painting.
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    // Called once, before Close or the end of ShowModal destroys the window, while the
    // window and the whole object are there: what the window started ends here. (A window
    // destroyed with its object takes its timers and hot keys along; the system frees them.)
    virtual void Closing() {}
    // After the controls have taken up a new DPI: a window whose layout depends on
    // measured texts lays them out again.
    virtual void DpiChanged() {}

private:
    struct Pieces {
        ImageStrip caption;
        ImageStrip captionEnd;
        ImageStrip edgeLeft;
        ImageStrip edgeRight;
        ImageStrip edgeBottom;
        ImageStrip cornerLeft;
        ImageStrip cornerRight;
    };
    static Pieces PiecesAt(UINT dpi) noexcept;
    // Closing, then the window destroyed.
    void End();
    // The window and its controls at dpi, the window placed at bounds.
    void TakeUpDpi(UINT dpi, const RECT& bounds);
    void PlaceFrame() noexcept;

    Options m_options;
    std::optional<Pieces> m_pieces;
    ContentPanel m_panel;
    std::optional<PictureButton> m_closeButton;
    std::optional<Label> m_title;
    bool m_modal = false;
};

} // namespace ui
