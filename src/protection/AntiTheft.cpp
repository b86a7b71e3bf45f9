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
    if (!m_world.settings.Write(Setting::NotebookProtectionEnabled, 1)) {
        // Without the mark no later start would put the overrides back after a power loss:
        // they go back now, and the armed period holds with the prompt and the input lock.
        RestoreGlobalPolicy(scheme, m_overridden);
        if (m_overridden.scheme && (!schemeRead || !schemeBefore.ActivateScheme(true))) {
            RestoreScheme(scheme);
        }
        m_overridden = {};
    }

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
    RestoreGlobalPolicy(scheme, m_overridden);
    if (m_overridden.scheme && (!schemeRead || !schemeBefore.ActivateScheme(true))) {
        RestoreScheme(scheme);
    }
    m_overridden = {};
    m_world.screenSaver.SetActive(true);
    ClearArmedMark();
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
    RestoreGlobalPolicy(scheme, Everything);
    RestoreScheme(scheme);
    m_world.screenSaver.SetActive(true);

    // The process that locked the input is gone; the library's own record of what it
    // changed lets this one give it back.
    HaldenFunc halden;
    halden.LoadLockKeyDll2();
    halden.LockCtrlAltDelKey(true);
    halden.LockSwitchingKey(true);
    halden.LockTaskbar(true);

    ClearArmedMark();
}

void AntiTheft::ClearArmedMark()
{
    // A mark left at 1 makes the next start put the saved settings back once more, which
    // is what they are already: harmless, and nothing better can be done about it here.
    Ignore(m_world.settings.Write(Setting::NotebookProtectionEnabled, 0));
}

void AntiTheft::SaveAndOverrideGlobalPolicy(PwrScheme& scheme)
{
    const SettingsStore& settings = m_world.settings;
    // Without the policy its codes are unknown, and saving the empty copy's would put
    // "do nothing" in place of the user's actions at the next restore.
    const bool read = scheme.InitGlobalPolicy();
    const auto save = [&](Setting setting, int value) {
        return settings.Write(setting, read ? value : NotRead) && read;
    };
    m_overridden.closeLid = save(Setting::CloseLid, scheme.GetCloseLidAction());
    m_overridden.powerButton = save(Setting::PowerButton, scheme.GetPowerButtonAction());
    m_overridden.sleepButton = save(Setting::SleepButton, scheme.GetSleepButtonAction());
    m_overridden.enablePassword = save(Setting::EnablePassword, scheme.GetPasswdLogonFlag() ? 1 : 0);

    if (m_overridden.closeLid) {
        scheme.SetCloseLidAction(0);
    }
    if (m_overridden.powerButton) {
        scheme.SetPowerButtonAction(0);
    }
    if (m_overridden.sleepButton) {
        scheme.SetSleepButtonAction(0);
    }
    if (m_overridden.enablePassword) {
        scheme.SetPasswdLogonFlag(false);
    }
    if (m_overridden.GlobalPolicy()) {
        Ignore(scheme.ActivateGlobalPolicy());
    }
}

void AntiTheft::SaveAndOverrideScheme(PwrScheme& scheme)
{
    const SettingsStore& settings = m_world.settings;
    const bool read = scheme.InitScheme(scheme.GetActiveSchemeIndex());
    const std::uint32_t standby = scheme.GetStandbyTimer();
    const auto save = [&](Setting setting, std::uint32_t minutes) {
        return settings.Write(setting, read ? static_cast<int>(minutes) : NotRead);
    };
    // Both sides are overridden from the mains side's times; the battery side's own are
    // needed to put it back after an armed end. One of the three missing, none is touched.
    const bool saved = save(Setting::HibernationTimer, scheme.GetHibernationTimer()) &
                       save(Setting::StandbyTimerDc, scheme.GetStandbyTimerDc()) &
                       save(Setting::HibernationTimerDc, scheme.GetHibernationTimerDc());
    m_overridden.scheme = read && saved;
    if (!m_overridden.scheme) {
        return;
    }
    Ignore(scheme.SetStandbyTimer(standby));
    Ignore(scheme.SetHibernationTimer(0));
    Ignore(scheme.ActivateScheme(true));
}

void AntiTheft::RestoreGlobalPolicy(PwrScheme& scheme, const Overridden& overridden)
{
    const SettingsStore& settings = m_world.settings;
    // NotRead is no code, and the setters leave an unknown code alone.
    if (overridden.closeLid) {
        scheme.SetCloseLidAction(settings.Read(Setting::CloseLid));
    }
    if (overridden.powerButton) {
        scheme.SetPowerButtonAction(settings.Read(Setting::PowerButton));
    }
    if (overridden.sleepButton) {
        scheme.SetSleepButtonAction(settings.Read(Setting::SleepButton));
    }
    const int password = settings.Read(Setting::EnablePassword);
    if (overridden.enablePassword && password != NotRead) {
        scheme.SetPasswdLogonFlag(password != 0);
    }
    if (overridden.GlobalPolicy()) {
        Ignore(scheme.ActivateGlobalPolicy());
    }
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
