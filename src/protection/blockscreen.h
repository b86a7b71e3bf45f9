#pragma once
// One blocking window: while anti-theft is armed it covers a whole monitor with the
// blocking picture, topmost, under the password prompt, so that nothing of the desktop
// can be seen or clicked. It does not take the activation, neither when shown nor when
// clicked: a click brings the prompt back to the front instead. The prompt makes one for
// each monitor.
#include "ui/CustomWindow.h"
#include "ui/PictureBox.h"

#include <windows.h>

#include <functional>

class blockscreen final : public ui::CustomWindow {
public:
    static constexpr const wchar_t* Title = L"blockscreen";
    // The picture's size where the display mode cannot be read.
    static constexpr SIZE DesignPictureSize{1024, 768};

    // Over monitor (in screen pixels), with its picture stretched to picture pixels from
    // the top-left corner.
    blockscreen(const RECT& monitor, SIZE picture) noexcept;

    // Makes the window and shows it at once without activation, maximised over its
    // monitor; false when it could not be made.
    [[nodiscard]] bool Create();

    // The size of the primary monitor's picture: the current display mode's, as the
    // display settings report it.
    static SIZE PrimaryPictureSize() noexcept;

    ui::PictureBox& Picture() noexcept { return m_picture; }

    // A press of a mouse button on the window.
    std::function<void()> Click;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    bool PaintsInOneStep() const noexcept override { return true; }

private:
    RECT m_monitor;
    SIZE m_pictureSize;
    ui::PictureBox m_picture;
};
