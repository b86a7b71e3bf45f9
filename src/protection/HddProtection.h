#pragma once
// Hard-drive protection: the on/off setting, applied to the provider, the settings and
// the tray, and the reaction to the provider's shock reports. The reaction tells the
// drive that a shock is in progress, shows the shock icon and a balloon, animates the
// icon for five seconds after the last report, then clears the shock state, reports the
// event finished, shows the normal icon and a second balloon, and removes that balloon
// about three seconds later. Everything runs on the main window's thread.
#include "protection/TrayIcon.h"
#include "protection/ShockStateControl.h"

class MessageBoxes;
class SettingsStore;
class WMI;
namespace protection {
class Timer;
}
namespace ui {
class StringTable;
}

class HddProtection {
public:
    // The messages of a switch that the provider refused, in English in every language.
    static constexpr wchar_t EnableFailed[] = L"Set HDD Protection Enable Failed";
    static constexpr wchar_t DisableFailed[] = L"Set HDD Protection Disable Failed";

    // Indexes into the tray icon list.
    static constexpr int ImageOff = 0;
    static constexpr int ImageOn = 1;
    static constexpr int ImageShock = 2;
    static constexpr int ImageFrameDark = 4;
    static constexpr int ImageFrameLight = 5;

    // Ticks of timer1 (40 ms): frames of the animation, and after-reaction ticks before
    // the balloon removal is let through.
    static constexpr int AnimationFrames = 125;
    static constexpr int AfterReactionTicks = 50;

    struct World {
        const SettingsStore& settings;
        WMI& wmi;
        TrayIcon& tray;
        const TrayIconList& icons;
        const ui::StringTable& strings;
        protection::Timer& timer1;
        protection::Timer& timer2;
        ShockStateControl& shockState;
        MessageBoxes& messageBoxes;
    };

    explicit HddProtection(const World& world) noexcept : m_world(world) {}

    int HddEnableCheck() const;
    void HddProRefresh(int state);
    // Start-up: the stored setting goes to the provider (1 on, anything else off) and,
    // unchanged, through HddProRefresh.
    void ApplyStoredSetting();
    // The work of the menu item once its check mark shows the requested state.
    void MenuSwitch(bool enable);
    // Forgets any reaction and stops both timers.
    void ResetReaction();

    BOOL SetGSensorState(int state);
    // Sends shock state 0 if the last state sent was 1: for a reaction cut short by
    // switching protection off or by the end of the program.
    void ReleaseDrive();
    void StartShaking();
    void StopShaking();
    // Message 0x0B02.
    void ShockOver();
    void timer1_Tick();
    void timer2_Tick();

    int ShakingOrNot() const noexcept { return m_shakingOrNot; }
    int ShakeCount() const noexcept { return m_shakeCount; }

private:
    void ShowImage(int index);
    void ShowBalloon(const char* textKey);

    World m_world;
    int m_shakingOrNot = 0;
    int m_shakeCount = 0;
    BYTE m_driveState = 0; // the last shock state sent
};
