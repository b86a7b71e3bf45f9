#pragma once
// The main window: a normal top-level window that is never shown and has no taskbar
// button. It exists to be found by its title, to receive the sensor messages and to own
// the tray icon with its menu, the timers and the way into the protections; closing it
// ends the program.
#include "app/AntiTheftWindows.h"
#include "app/NotifyIconEx.h"
#include "app/SystemMessageBoxes.h"
#include "app/SystemScreenSaver.h"
#include "app/WindowTimer.h"
#include "platform/Handles.h"
#include "platform/PowerFunctions.h"
#include "platform/SettingsStore.h"
#include "protection/AntiTheft.h"
#include "protection/HddProtection.h"
#include "protection/ShockStateControl.h"
#include "protection/TrayIcon.h"
#include "ui/AboutWindow.h"
#include "ui/CustomWindow.h"

#include <windows.h>

#include <optional>

class StringTable;
class WMI;

class Form1 final : public CustomWindow {
public:
    // The tray menu's commands, in menu order (the separator has none).
    enum MenuCommand : UINT {
        menuItem1 = 1001, // hard-drive protection
        menuItem2,        // anti-theft
        menuItem3,        // help
        menuItem4,        // about
        menuItem5,        // exit
    };

    // When the window cannot be made, the object stays without a handle and starts
    // nothing: the caller ends the program. power: the power library anti-theft works on.
    Form1(WMI& wmi, SettingsStore settings, ShockStateControl& shockState, const PowerFunctions& power);
    ~Form1();

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

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;

    void BuildContextMenu();
    static const StringTable* Init_RM();
    void SetTexts();
    void InitialTrayIconList();
    void notifyIconEx1_RightClick();
    void menuItem1_Click();
    void menuItem2_Click();
    void menuItem3_Click_1();
    void menuItem4_Click_1();
    void menuItem5_Click();
    void StartHelpWindow();
    void StartAboutWindow();

    WMI& m_wmi;
    SettingsStore m_settings;
    tl::unique_hicon m_appIcon;
    NotifyIconEx notifyIconEx1;
    tl::unique_hmenu contextMenu1;
    TrayIconList IconList;
    WindowTimer timer1;
    WindowTimer timer2;
    const StringTable* gRM;
    SystemMessageBoxes m_messageBoxes;
    HddProtection m_hddProtection;
    SystemScreenSaver m_screenSaver;
    AntiTheftWindows m_antiTheftWindows;
    AntiTheft m_antiTheft;
    std::optional<AboutWindow> m_aboutWindow;
};
