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
#include "Handles.h"
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

class WMI;
namespace ui {
class StringTable;
}

class Form1 final : public ui::CustomWindow {
public:
    // The tray menu's commands, in menu order (the separator has none).
    enum MenuCommand : UINT {
        menuItem1 = 1001, // hard-drive protection
        menuItem2,        // anti-theft
        menuItem3,        // help
        menuItem4,        // about
        menuItem5,        // exit
    };

    // power: the power library anti-theft works on.
    Form1(WMI& wmi, SettingsStore settings, ShockStateControl& shockState, const PowerFunctions& power);
    // A program whose loop ended on a quit request, with the window still there, ends as
    // one whose window was closed (EndProgram).
    ~Form1();

    // Makes the window and starts everything that works through it: the tray icon, the
    // sensor subscription, the protections. False when the window cannot be made; then
    // nothing was started and the caller ends the program.
    [[nodiscard]] bool Create();

    HMENU ContextMenu() const noexcept { return contextMenu1.get(); }
    const TrayIconList& Icons() const noexcept { return IconList; }
    const ui::StringTable& Strings() const noexcept { return *gRM; }

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
    static const ui::StringTable* Init_RM();
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
    // No dead icon is left in the notification area, the drive is not left believing that
    // a shock is still in progress, and the message loop ends.
    void EndProgram();

    // What works through the window, made once the window exists.
    struct Parts {
        Parts(Form1& form, ShockStateControl& shockState, const PowerFunctions& power);

        NotifyIconEx notifyIconEx1;
        WindowTimer timer1;
        WindowTimer timer2;
        HddProtection m_hddProtection;
        AntiTheft m_antiTheft;
    };

    WMI& m_wmi;
    SettingsStore m_settings;
    ShockStateControl& m_shockState;
    const PowerFunctions& m_power;
    tl::unique_hicon m_appIcon;
    tl::unique_hmenu contextMenu1;
    TrayIconList IconList;
    const ui::StringTable* gRM;
    SystemMessageBoxes m_messageBoxes;
    SystemScreenSaver m_screenSaver;
    AntiTheftWindows m_antiTheftWindows;
    std::optional<Parts> m_parts;
    std::optional<ui::AboutWindow> m_aboutWindow;
};
