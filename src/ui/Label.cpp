#include "ui/Label.h"

#include "ui/Dpi.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {

// The advance of each character of a one-line text in the DC's font; none if it cannot
// be measured.
std::vector<int> Advances(HDC dc, const std::wstring& text)
{
    const int count = static_cast<int>(text.size());
    std::vector<int> advances(text.size());
    SIZE extent{};
    if (count == 0 || !GetTextExtentExPointW(dc, text.c_str(), count, 0, nullptr, advances.data(), &extent)) {
        return {};
    }
    // The extents are cumulative: each holds the width up to and including its character.
    for (int index = count - 1; index > 0; --index) {
        advances[index] -= advances[index - 1];
    }
    return advances;
}

} // namespace

bool Label::Create(HWND parent, const RECT& bounds, const std::wstring& text)
{
    if (!Window::Create({L"QuenLabel", 0, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, text.c_str(), bounds, parent})) {
        return false;
    }
    m_font = CreatePixelFont(m_style.font, Dpi());
    return true;
}

void Label::ApplyDpi(UINT dpi)
{
    m_font = CreatePixelFont(m_style.font, dpi);
    CustomWindow::ApplyDpi(dpi);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void Label::Place() noexcept
{
    CustomWindow::Place();
    if (m_autoSize) {
        FitToText();
    } else if (m_growRight > m_design.right) {
        GrowToText();
    }
}

void Label::SetGrowRight(LONG designRight)
{
    m_growRight = designRight;
    Place();
}

void Label::GrowToText()
{
    const SIZE text = TextExtent();
    const RECT bounds = Bounds();
    // A little room after the last letter, as a text that fits its design width has.
    const LONG needed = text.cx + Scale(4, Dpi());
    const LONG limit = Scale(m_growRight, Dpi()) - bounds.left;
    if (needed > bounds.right - bounds.left) {
        SetWindowPos(Handle(), nullptr, 0, 0, std::min(needed, limit), bounds.bottom - bounds.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LONG Label::DesignWidth() const noexcept
{
    const RECT bounds = Bounds();
    return Unscale(bounds.right - bounds.left, Dpi());
}

int Label::WrappedTextHeight() const
{
    const tl::unique_hdc dc(CreateCompatibleDC(nullptr));
    const tl::SelectObjectGuard select(dc.get(), m_font.get());
    const std::wstring text = Text();
    const RECT bounds = Bounds();
    RECT area{0, 0, bounds.right - bounds.left, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &area, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return area.bottom - area.top;
}

void Label::SetText(const std::wstring& text)
{
    SetWindowTextW(Handle(), text.c_str());
    Place();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void Label::SetAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    if (m_autoSize) {
        FitToText();
    }
}

void Label::FitToText()
{
    const SIZE text = TextExtent();
    SetWindowPos(Handle(), nullptr, 0, 0, text.cx, text.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE Label::TextExtent() const
{
    // Measured on a memory DC: the same font metrics as on the screen, without borrowing
    // the window's DC.
    const tl::unique_hdc dc(CreateCompatibleDC(nullptr));
    const tl::SelectObjectGuard select(dc.get(), m_font.get());
    const std::wstring text = Text();
    const std::vector<int> advances = Advances(dc.get(), text);
    int width = 0;
    for (const int advance : advances) {
        width += advance;
    }
    // The last letter's ink may reach past its advance (an italic end, or an "f").
    ABC last{};
    if (!text.empty() && GetCharABCWidthsW(dc.get(), text.back(), text.back(), &last) && last.abcC < 0) {
        width -= last.abcC;
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    return {width, metrics.tmHeight};
}

void Label::Paint(HDC dc, const RECT& client)
{
    if (m_style.background) {
        const tl::unique_hbrush brush(CreateSolidBrush(*m_style.background));
        FillRect(dc, &client, brush.get());
    } else {
        PaintParentBackground(dc);
    }
    const tl::SelectObjectGuard select(dc, m_font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_style.textColour);
    const std::wstring text = Text();
    if (m_autoSize) {
        // Each letter exactly where it was measured: DrawTextW may place the letters of a
        // line a pixel or two further right than its measurement says (Wine's GDI does),
        // and the end of a text that just fits would be cut off.
        const std::vector<int> advances = Advances(dc, text);
        ExtTextOutW(dc, 0, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()),
                    advances.empty() ? nullptr : advances.data());
        return;
    }
    RECT area = client;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, m_style.format | DT_NOPREFIX);
}

} // namespace ui
