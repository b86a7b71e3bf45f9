#include "protection/AntiTheft.h"

#include "platform/HaldenFunc.h"
#include "platform/PwrScheme.h"
#include "platform/SettingsStore.h"
#include "platform/WMI.h"
#include "protection/AntiTheftDialogs.h"
#include "protection/MessageBoxes.h"
#include "protection/ScreenSaver.h"

namespace {

// The power library's results are not reported: arming and disarming go on whatever it
// answers, and a copy that could not be read is never written back (PwrScheme).
void Ignore(bool) noexcept {}

} // namespace

int AntiTheft::CheckCustomizedPassword() const { return m_world.settings.ReadUserPassword().empty() ? 0 : 1; }

void AntiTheft::EnterSysProtection()
{
    if (m_busy) {
        return;
    }
    m_busy = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{m_busy};

    if (CheckCustomizedPassword() == 0) {
        m_world.dialogs.CreatePassword();
    }
    if (CheckCustomizedPassword() != 1) {
        return;
    }

    // One object for the whole period: disarming writes back the global policy read here.
    PwrScheme scheme(m_world.power);
    // The active scheme as it was: stand-by and hibernation are overridden on both sides
    // from the AC side's times, and only this copy still knows the battery side's.
    PwrScheme schemeBefore(m_world.power);
    m_armed = true;
    // Where Windows asks the user whether to shut down regardless, it shows this.
    ShutdownBlockReasonCreate(m_world.mainWindow, m_world.shutdownBlockReason.c_str());
    SaveAndOverrideGlobalPolicy(scheme);
    const bool schemeRead = schemeBefore.InitScheme(schemeBefore.GetActiveSchemeIndex());
    SaveAndOverrideScheme(scheme);
    m_world.screenSaver.SetActive(false);
    m_world.settings.Write(Setting::NotebookProtectionEnabled, 1);

    HaldenFunc().SetBeepNow(0);
    if (!m_world.wmi.SetNBProtection(true)) {
        m_world.messageBoxes.Show(EnableFailed);
    }
    if (!m_world.dialogs.VerifyPassword()) {
        // The program ends without the password: it stays armed as after a power loss,
        // and the next start puts everything back and gives the input back.
        return;
    }
    if (!m_world.wmi.SetNBProtection(false)) {
        m_world.messageBoxes.Show(DisableFailed);
    }

    if (m_world.mainWindow != nullptr && IsWindowVisible(m_world.mainWindow)) {
        ShowWindow(m_world.mainWindow, SW_HIDE);
    }
    RestoreGlobalPolicy(scheme);
    if (!schemeRead || !schemeBefore.ActivateScheme(true)) {
        RestoreScheme(scheme);
    }
    m_world.screenSaver.SetActive(true);
    m_world.settings.Write(Setting::NotebookProtectionEnabled, 0);
    m_armed = false;
    ShutdownBlockReasonDestroy(m_world.mainWindow);
}

void AntiTheft::StartupRestore()
{
    if (m_world.settings.Read(Setting::NotebookProtectionEnabled) != 1) {
        return;
    }
    PwrScheme scheme(m_world.power);
    Ignore(scheme.InitGlobalPolicy());
    RestoreGlobalPolicy(scheme);
    RestoreScheme(scheme);
    m_world.screenSaver.SetActive(true);

    // The process that locked the input is gone; the library's own record of what it
    // changed lets this one give it back.
    HaldenFunc halden;
    halden.LoadLockKeyDll2();
    halden.LockCtrlAltDelKey(true);
    halden.LockSwitchingKey(true);
    halden.LockTaskbar(true);

    m_world.settings.Write(Setting::NotebookProtectionEnabled, 0);
}

void AntiTheft::SaveAndOverrideGlobalPolicy(PwrScheme& scheme)
{
    const SettingsStore& settings = m_world.settings;
    // Without the policy its codes are unknown, and saving the empty copy's would put
    // "do nothing" in place of the user's actions at the next restore.
    const bool read = scheme.InitGlobalPolicy();
    settings.Write(Setting::CloseLid, read ? scheme.GetCloseLidAction() : NotRead);
    settings.Write(Setting::PowerButton, read ? scheme.GetPowerButtonAction() : NotRead);
    settings.Write(Setting::SleepButton, read ? scheme.GetSleepButtonAction() : NotRead);
    settings.Write(Setting::EnablePassword, read ? (scheme.GetPasswdLogonFlag() ? 1 : 0) : NotRead);

    scheme.SetCloseLidAction(0);
    scheme.SetPowerButtonAction(0);
    scheme.SetSleepButtonAction(0);
    scheme.SetPasswdLogonFlag(false);
    Ignore(scheme.ActivateGlobalPolicy());
}

void AntiTheft::SaveAndOverrideScheme(PwrScheme& scheme)
{
    const bool read = scheme.InitScheme(scheme.GetActiveSchemeIndex());
    const std::uint32_t standby = scheme.GetStandbyTimer();
    const std::uint32_t hibernation = scheme.GetHibernationTimer();
    m_world.settings.Write(Setting::HibernationTimer, read ? static_cast<int>(hibernation) : NotRead);
    // Both sides are overridden from the mains side's times; the battery side's own are
    // needed to put it back after an armed end.
    m_world.settings.Write(Setting::StandbyTimerDc, read ? static_cast<int>(scheme.GetStandbyTimerDc()) : NotRead);
    m_world.settings.Write(Setting::HibernationTimerDc,
                           read ? static_cast<int>(scheme.GetHibernationTimerDc()) : NotRead);

    Ignore(scheme.SetStandbyTimer(standby));
    Ignore(scheme.SetHibernationTimer(0));
    Ignore(scheme.ActivateScheme(true));
}

void AntiTheft::RestoreGlobalPolicy(PwrScheme& scheme)
{
    const SettingsStore& settings = m_world.settings;
    // NotRead is no code, and the setters leave an unknown code alone.
    scheme.SetCloseLidAction(settings.Read(Setting::CloseLid));
    scheme.SetPowerButtonAction(settings.Read(Setting::PowerButton));
    scheme.SetSleepButtonAction(settings.Read(Setting::SleepButton));
    const int password = settings.Read(Setting::EnablePassword);
    if (password != NotRead) {
        scheme.SetPasswdLogonFlag(password != 0);
    }
    Ignore(scheme.ActivateGlobalPolicy());
}

void AntiTheft::RestoreScheme(PwrScheme& scheme)
{
    if (!scheme.InitScheme(scheme.GetActiveSchemeIndex())) {
        return;
    }
    const int hibernation = m_world.settings.Read(Setting::HibernationTimer);
    if (hibernation == NotRead) {
        return;
    }
    Ignore(scheme.SetHibernationTimer(static_cast<std::uint32_t>(hibernation)));
    const int standbyDc = m_world.settings.Read(Setting::StandbyTimerDc);
    const int hibernationDc = m_world.settings.Read(Setting::HibernationTimerDc);
    if (standbyDc != NotRead && hibernationDc != NotRead) {
        Ignore(
            scheme.SetBatteryTimers(static_cast<std::uint32_t>(standbyDc), static_cast<std::uint32_t>(hibernationDc)));
    }
    Ignore(scheme.ActivateScheme(true));
}
