#pragma once
// Dots per inch. Every position, size and font size of our windows is a design value at
// 96 dpi; a window scales each of them by the DPI of its monitor through Scale().
#include <windows.h>

namespace ui {

inline constexpr UINT DesignDpi = 96;

constexpr int Scale(int value, UINT dpi) noexcept
{
    // MulDiv's rounding (half away from zero), without its division by zero.
    const long long scaled = static_cast<long long>(value) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + DesignDpi / 2) / DesignDpi
                                        : -((-scaled + DesignDpi / 2) / DesignDpi));
}

// Each edge scaled, so that pieces that meet at 96 dpi still meet.
constexpr RECT Scale(const RECT& design, UINT dpi) noexcept
{
    return {Scale(design.left, dpi), Scale(design.top, dpi), Scale(design.right, dpi), Scale(design.bottom, dpi)};
}

constexpr SIZE Scale(SIZE design, UINT dpi) noexcept { return {Scale(design.cx, dpi), Scale(design.cy, dpi)}; }

// The smallest design value that covers a measured one (a text's width, for instance).
constexpr int Unscale(int pixels, UINT dpi) noexcept
{
    return dpi == 0 ? pixels : static_cast<int>((static_cast<long long>(pixels) * DesignDpi + dpi - 1) / dpi);
}

// The DPI of the monitor the window is on. Windows 7 has neither GetDpiForWindow nor
// GetDpiForMonitor; there, and for a process that is not DPI aware, the system's.
UINT DpiOfWindow(HWND window) noexcept;
// The DPI of the primary monitor, where our windows open.
UINT DpiOfPrimaryMonitor() noexcept;

} // namespace ui
