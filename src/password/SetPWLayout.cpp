#include "password/SetPWLayout.h"

namespace {

constexpr int WidestDesignCaption = 105;
constexpr int CaptionToBox = 27;
constexpr int AdaptedBoxWidth = 90;
constexpr int BoxToHint = 94;
constexpr int PanelRightEdge = 387;

} // namespace

SetPWLayout AdaptSetPWLayout(int firstCaptionWidth, int secondCaptionWidth, int hintWidth) noexcept
{
    SetPWLayout layout = SetPWDesignLayout;
    if (firstCaptionWidth <= WidestDesignCaption && secondCaptionWidth <= WidestDesignCaption) {
        return layout;
    }
    const int widest = firstCaptionWidth >= secondCaptionWidth ? firstCaptionWidth : secondCaptionWidth;
    int x = widest + CaptionToBox;
    layout.boxX = x;
    layout.boxWidth = AdaptedBoxWidth;
    if (x + AdaptedBoxWidth >= SetPWDesignLayout.hintX) {
        layout.hintX = x + BoxToHint;
    }
    if (x + hintWidth + BoxToHint >= PanelRightEdge) {
        const int shift = x + hintWidth + BoxToHint - PanelRightEdge;
        layout.captionX = SetPWDesignLayout.captionX - shift;
        x = widest - shift + CaptionToBox;
        layout.boxX = x;
        layout.hintX = x + BoxToHint;
    }
    return layout;
}
