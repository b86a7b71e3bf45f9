#include "protection/HddProtection.h"

#include "platform/HaldenFunc.h"
#include "protection/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "protection/Timer.h"
#include "platform/WMI.h"
#include "ui/StringTable.h"

namespace {

constexpr UINT BalloonTimeoutMs = 3000;

} // namespace

int HddProtection::HddEnableCheck() const { return m_world.settings.Read(Setting::HddProtectionEnabled); }

void HddProtection::HddProRefresh(int state)
{
    // A switch the store refuses to remember still holds until the program ends.
    static_cast<void>(m_world.settings.Write(Setting::HddProtectionEnabled, state));
    HaldenFunc halden;
    halden.SaveHddProtectionStatus(state);
    if (state == 1) {
        // A reaction that runs while protection is switched on stays frozen on the shock
        // image until the next report or shock-over message.
        m_shakingOrNot = halden.GetShakingNow();
        m_world.timer1.Stop();
        if (m_shakingOrNot == 0) {
            ShowImage(ImageOn);
        } else if (m_shakingOrNot == 1) {
            ShowImage(ImageShock);
        }
    } else if (state == 0) {
        // Cut short: the animation and its end are dropped, but the drive must not go on
        // believing that a shock is in progress.
        ReleaseDrive();
        halden.SetShakingNow(0);
        m_shakingOrNot = 0;
        m_world.timer1.Stop();
        ShowImage(ImageOff);
    }
}

void HddProtection::ApplyStoredSetting()
{
    const int stored = HddEnableCheck();
    m_world.wmi.SetHDDProtection(stored == 1);
    HddProRefresh(stored);
}

void HddProtection::MenuSwitch(bool enable)
{
    // The setting is stored before the provider is told, and a refusal does not undo it.
    HddProRefresh(enable ? 1 : 0);
    if (!m_world.wmi.SetHDDProtection(enable)) {
        m_world.messageBoxes.Show(enable ? EnableFailed : DisableFailed);
    }
}

void HddProtection::ResetReaction()
{
    m_shakeCount = 0;
    m_shakingOrNot = 0;
    m_world.timer1.Stop();
    m_world.timer2.Stop();
}

BOOL HddProtection::SetGSensorState(int state)
{
    GSENSOR_DATA data{};
    data[0] = static_cast<BYTE>(state & 0xFF);
    m_driveState = data[0];
    return m_world.shockState.Send(data);
}

void HddProtection::ReleaseDrive()
{
    if (m_driveState == 1) {
        SetGSensorState(0);
    }
}

void HddProtection::StartShaking()
{
    SetGSensorState(1);
    ShowImage(ImageShock);
    ShowBalloon("Shcoked");
    HaldenFunc().SetShakingNow(1);
    // A report during a reaction starts the five seconds again.
    m_shakingOrNot = 1;
    m_world.timer1.Stop();
    m_shakeCount = 0;
    m_world.timer1.Start();
}

void HddProtection::StopShaking()
{
    SetGSensorState(0);
    m_shakingOrNot = 0;
    HaldenFunc().SetShakingNow(0);
    m_world.wmi.FinishProcessEvent();
    ShowImage(ImageOn);
    ShowBalloon("No_Shock");
    m_world.timer1.Stop();
    m_shakeCount = 0;
    m_world.timer1.Start();
}

void HddProtection::ShockOver()
{
    m_shakeCount = 0;
    SetGSensorState(0);
    StopShaking();
}

void HddProtection::timer1_Tick()
{
    if (m_shakingOrNot == 1) {
        if (m_shakeCount < AnimationFrames) {
            m_world.timer2.Stop();
            ShowImage(m_shakeCount % 2 == 0 ? ImageFrameDark : ImageFrameLight);
            ++m_shakeCount;
        } else if (m_shakeCount == AnimationFrames) {
            ++m_shakeCount;
        } else if (m_shakeCount == AnimationFrames + 1) {
            StopShaking();
            m_world.timer2.Start();
        }
    } else if (m_shakingOrNot == 0) {
        if (m_shakeCount < AfterReactionTicks) {
            ++m_shakeCount;
            m_world.timer2.Stop();
        } else {
            m_world.timer2.Start();
        }
    }
}

void HddProtection::timer2_Tick()
{
    m_world.tray.ShowBalloon(m_world.strings.GetString("Tray_Logo"), std::wstring(), NotifyInfoFlags::None,
                             BalloonTimeoutMs);
    m_world.timer2.Stop();
    // Once the balloon of a finished reaction is gone there is nothing left to wait for:
    // both timers rest until the next report, instead of waking the notebook 25 times a
    // second for the rest of the run.
    if (m_shakingOrNot == 0) {
        m_world.timer1.Stop();
    }
}

void HddProtection::ShowImage(int index) { m_world.tray.SetIcon(m_world.icons[static_cast<size_t>(index)].get()); }

void HddProtection::ShowBalloon(const char* textKey)
{
    m_world.tray.ShowBalloon(m_world.strings.GetString("Tray_Logo"), m_world.strings.GetString(textKey),
                             NotifyInfoFlags::None, BalloonTimeoutMs);
}
