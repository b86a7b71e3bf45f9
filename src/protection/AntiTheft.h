#pragma once
// Anti-theft: arming, the armed period and disarming, as one call on the main thread.
// Arming saves the lid, button, resume-password and hibernation settings in the settings
// store and overrides them so that the notebook can be neither put to sleep nor switched
// off, switches the screen saver and the provider's system protection, and waits in the
// password prompt; the right password ends the wait and everything is put back.
// NotebookProtectionEnabled is 1 for exactly that period, so that the next start after a
// power loss or a killed process puts the settings back: the start-up restore.
#include "platform/PwrScheme.h"

#include <windows.h>

#include <string>

class AntiTheftDialogs;
class MessageBoxes;
class ScreenSaver;
class SettingsStore;
class WMI;

class AntiTheft {
public:
    // The messages of a switch of system protection that the provider refused, in
    // English in every language.
    static constexpr wchar_t EnableFailed[] = L"Set Notebook Protection Enable Failed";
    static constexpr wchar_t DisableFailed[] = L"Set Notebook Protection Disable Failed";

    // What a saved value holds when the setting could not be read at arming: putting it
    // back leaves the setting as it is.
    static constexpr int NotRead = PwrScheme::UnknownCode;

    struct World {
        const SettingsStore& settings;
        WMI& wmi;
        const PowerFunctions& power;
        ScreenSaver& screenSaver;
        AntiTheftDialogs& dialogs;
        MessageBoxes& messageBoxes;
        // Hidden again after the armed period, and holding the reason why Windows may not
        // shut down meanwhile; may be null.
        HWND mainWindow;
        // That reason, in the user's language.
        std::wstring shutdownBlockReason;
    };

    explicit AntiTheft(const World& world) noexcept : m_world(world) {}

    // 1 when a password has been created, else 0.
    int CheckCustomizedPassword() const;
    // Arms, waits for the right password and disarms. While it runs, from obtaining the
    // password to the end of disarming, a second call returns at once: the saved settings
    // must never be overwritten by the overridden ones. A program that ends while armed
    // returns from it armed.
    void EnterSysProtection();
    // Start-up: when the last run ended while armed, puts the saved settings back and
    // gives the input back; otherwise changes nothing.
    void StartupRestore();

    bool Busy() const noexcept { return m_busy; }
    // From the moment the settings are overridden until they have been put back. The main
    // window then refuses to let Windows end the session: a restart would end the armed
    // period, and the next start gives everything back without the password.
    bool Armed() const noexcept { return m_armed; }

private:
    // The settings an arming has overridden: only what was read and saved is, since a value
    // that could not be saved would read back as an earlier arming's or the first start's.
    struct Overridden {
        bool closeLid = false;
        bool powerButton = false;
        bool sleepButton = false;
        bool enablePassword = false;
        bool scheme = false;

        bool GlobalPolicy() const noexcept { return closeLid || powerButton || sleepButton || enablePassword; }
    };
    // What the start-up restore puts back: whatever was saved, since it cannot know more.
    static constexpr Overridden Everything{true, true, true, true, true};

    void SaveAndOverrideGlobalPolicy(PwrScheme& scheme);
    void SaveAndOverrideScheme(PwrScheme& scheme);
    void RestoreGlobalPolicy(PwrScheme& scheme, const Overridden& overridden);
    void RestoreScheme(PwrScheme& scheme);
    void ClearArmedMark();

    World m_world;
    Overridden m_overridden;
    bool m_busy = false;
    bool m_armed = false;
};
