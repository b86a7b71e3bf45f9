#pragma once
// The create-password dialog and the password prompt, each shown modally on the main
// thread; their loops keep serving the main window.
#include "app/TickClock.h"
#include "platform/SettingsStore.h"
#include "protection/AntiTheftDialogs.h"

class AntiTheftWindows final : public AntiTheftDialogs {
public:
    explicit AntiTheftWindows(const SettingsStore& settings) : m_settings(settings) {}

    void CreatePassword() override;
    bool VerifyPassword() override;

private:
    SettingsStore m_settings;
    TickClock m_clock;
};
