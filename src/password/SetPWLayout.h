#pragma once
// Where the create-password dialog puts its password row. Translated captions can be
// much wider than the English ones: the boxes then move right of the wider caption, and
// when the length hint would pass the panel's right edge the whole row moves left, so
// that the hint ends at 387. Coordinates are in the dialog's content panel.
struct SetPWLayout {
    int captionX; // both captions
    int boxX;     // both password boxes
    int boxWidth;
    int hintX; // the length hint, on the first box's row

    bool operator==(const SetPWLayout&) const = default;
};

// The design layout, kept while neither caption is wider than 105 pixels.
inline constexpr SetPWLayout SetPWDesignLayout{23, 131, 100, 240};

// The layout for the captions' and the hint's widths, as measured after their texts were set.
SetPWLayout AdaptSetPWLayout(int firstCaptionWidth, int secondCaptionWidth, int hintWidth) noexcept;
