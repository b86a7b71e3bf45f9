#pragma once
// The tray icon as the program's features use it: its image and its balloons.
#include "Handles.h"

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <string>

// The six tray images, made once at start and shown by index: 0 protection off, 1 on,
// 2 shock, 3 the application's shield, 4 and 5 the two frames of the shock animation.
using TrayIconList = std::array<tl::unique_hicon, 6>;

// What the balloon shows beside its text; the program uses None only.
enum class NotifyInfoFlags : DWORD {
    None = NIIF_NONE,
    Info = NIIF_INFO,
    Warning = NIIF_WARNING,
    Error = NIIF_ERROR,
};

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // Shows this icon at once; the caller keeps it alive while it is shown.
    virtual void SetIcon(HICON icon) = 0;
    // Shows a balloon; an empty text removes the balloon that is showing.
    virtual void ShowBalloon(const std::wstring& title, const std::wstring& text, NotifyInfoFlags flags,
                             UINT timeoutMs) = 0;
};
