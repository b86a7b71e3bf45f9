#pragma once
// The main window: a normal top-level window that is never shown and has no taskbar
// button. It exists to be found by its title, to receive the sensor messages and to own
// the tray icon with its menu, the timers and the way into the protections; closing it
// ends the program.
#include "app/NotifyIconEx.h"
#include "platform/SettingsStore.h"
#include "app/SystemMessageBoxes.h"
#include "protection/TrayIcon.h"
#include "app/WindowTimer.h"
#include "platform/Handles.h"
#include "protection/HddProtection.h"
#include "protection/VolumeShockStateControl.h"

#include <windows.h>

class StringTable;
class WMI;

class Form1 {
public:
    // The tray menu's commands, in menu order (the separator has none).
    enum MenuCommand : UINT {
        menuItem1 = 1001, // hard-drive protection
        menuItem2,        // anti-theft
        menuItem3,        // help
        menuItem4,        // about
        menuItem5,        // exit
    };

    Form1(WMI& wmi, SettingsStore settings);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    ~Form1();

    HWND Handle() const noexcept { return m_window.get(); }
    HMENU ContextMenu() const noexcept { return contextMenu1.get(); }
    const TrayIconList& Icons() const noexcept { return IconList; }
    const StringTable& Strings() const noexcept { return *gRM; }

    // The window's class and properties, so that tests can check what the user never sees.
    static constexpr wchar_t ClassName[] = L"Form1";
    static constexpr POINT StartPosition{-140, -40};
    static constexpr SIZE ClientSize{131, 0};
    static constexpr SIZE MaximumSize{646, 510};

private:
    static constexpr UINT TrayIconId = 1;
    static constexpr UINT_PTR Timer1Id = 1;
    static constexpr UINT_PTR Timer2Id = 2;

    static HWND CreateMainWindow(Form1* self);
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void BuildContextMenu();
    static const StringTable* Init_RM();
    void SetTexts();
    void InitialTrayIconList();
    void notifyIconEx1_RightClick();
    void menuItem1_Click();
    void menuItem5_Click();

    WMI& m_wmi;
    SettingsStore m_settings;
    tl::unique_hwnd m_window;
    tl::unique_hicon m_appIcon;
    NotifyIconEx notifyIconEx1;
    tl::unique_hmenu contextMenu1;
    TrayIconList IconList;
    WindowTimer timer1;
    WindowTimer timer2;
    const StringTable* gRM;
    VolumeShockStateControl m_shockState;
    SystemMessageBoxes m_messageBoxes;
    HddProtection m_hddProtection;
};
