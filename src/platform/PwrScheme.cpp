#include "platform/PwrScheme.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <span>

namespace {

constexpr std::uint32_t SecondsPerMinute = 60;

std::uint32_t Minutes(std::uint32_t seconds) noexcept { return seconds / SecondsPerMinute; }

// A time beyond what the policies hold in seconds means as late as they can say, not the
// few seconds that a wrapped-around product would leave.
std::uint32_t Seconds(std::uint32_t minutes) noexcept
{
    constexpr std::uint32_t largest = std::numeric_limits<std::uint32_t>::max();
    return minutes > largest / SecondsPerMinute ? largest : minutes * SecondsPerMinute;
}

// The library may hand back action numbers that these headers do not name (later systems
// added some), which the POWER_ACTION enumeration cannot hold as values: the field is read
// as the 32-bit number it is.
static_assert(sizeof(POWER_ACTION) == sizeof(std::uint32_t));

std::uint32_t ActionNumber(const POWER_ACTION_POLICY& policy) noexcept
{
    std::uint32_t number = 0;
    std::memcpy(&number, &policy.Action, sizeof number);
    return number;
}

// Only numbers up to LastAction are written, which the enumeration holds.
void SetActionNumber(POWER_ACTION_POLICY& policy, std::uint32_t number) noexcept
{
    policy.Action = static_cast<POWER_ACTION>(number);
}

struct CodeEntry {
    int code;
    std::uint32_t number;
};

// The last POWER_ACTION number that the platform defines: a field holding a larger number
// holds no action at all, and no code stands for it.
constexpr std::uint32_t LastAction = PowerActionWarmEject;
constexpr std::uint32_t LastThrottleMode = PO_THROTTLE_MAXIMUM - 1;

constexpr CodeEntry LidActions[] = {{0, PowerActionNone}, {1, PowerActionSleep}, {2, PowerActionHibernate}};
// Codes 1 (ask the user) and 4 (shut down) are "do nothing" with a notification; see
// ButtonCode.
constexpr CodeEntry ButtonActions[] = {{0, PowerActionNone}, {2, PowerActionSleep}, {3, PowerActionHibernate}};
constexpr CodeEntry AlarmActions[] = {
    {0, PowerActionNone}, {1, PowerActionSleep}, {2, PowerActionHibernate}, {3, PowerActionShutdownOff}};
constexpr CodeEntry ThrottleModes[] = {
    {1, PO_THROTTLE_DEGRADE}, {2, PO_THROTTLE_CONSTANT}, {3, PO_THROTTLE_ADAPTIVE}, {4, PO_THROTTLE_NONE}};

// The code of a stored number up to last: its entry's, or OtherCodeBase plus the number.
int CodeFor(std::span<const CodeEntry> table, std::uint32_t number, std::uint32_t last) noexcept
{
    for (const CodeEntry& entry : table) {
        if (entry.number == number) {
            return entry.code;
        }
    }
    return number <= last ? PwrScheme::OtherCodeBase + static_cast<int>(number) : PwrScheme::UnknownCode;
}

// The number a code stands for: its entry's, or, for OtherCodeBase plus a number up to last
// that no entry names, that number. Nothing for every other code.
std::optional<std::uint32_t> NumberFor(std::span<const CodeEntry> table, int code, std::uint32_t last) noexcept
{
    for (const CodeEntry& entry : table) {
        if (entry.code == code) {
            return entry.number;
        }
    }
    if (code < PwrScheme::OtherCodeBase || code > PwrScheme::OtherCodeBase + static_cast<int>(last)) {
        return std::nullopt;
    }
    const auto number = static_cast<std::uint32_t>(code - PwrScheme::OtherCodeBase);
    for (const CodeEntry& entry : table) {
        if (entry.number == number) {
            return std::nullopt;
        }
    }
    return number;
}

constexpr DWORD NotifyButton = POWER_USER_NOTIFY_BUTTON;
constexpr DWORD NotifyShutdown = POWER_USER_NOTIFY_SHUTDOWN;
constexpr DWORD ForceTriggerReset = POWER_FORCE_TRIGGER_RESET;

int ButtonCode(const POWER_ACTION_POLICY& policy) noexcept
{
    const int code = CodeFor(ButtonActions, ActionNumber(policy), LastAction);
    if (code == 0 && policy.EventCode == NotifyButton) {
        return 1;
    }
    if (code == 0 && policy.EventCode == NotifyShutdown) {
        return 4;
    }
    return code;
}

void SetButtonCode(POWER_ACTION_POLICY& policy, int code) noexcept
{
    switch (code) {
    case 0:
        // Neither ask nor shut down; the reset bit makes the system forget a press that is
        // still pending under the old setting.
        SetActionNumber(policy, PowerActionNone);
        policy.EventCode = (policy.EventCode & ~(NotifyButton | NotifyShutdown)) | ForceTriggerReset;
        return;
    case 1:
        SetActionNumber(policy, PowerActionNone);
        policy.EventCode = NotifyButton;
        return;
    case 4:
        SetActionNumber(policy, PowerActionNone);
        policy.EventCode = NotifyShutdown;
        return;
    default:
        if (const auto action = NumberFor(ButtonActions, code, LastAction)) {
            SetActionNumber(policy, *action);
            policy.EventCode = 0;
        }
        return;
    }
}

void SetLidCode(POWER_ACTION_POLICY& policy, int code) noexcept
{
    if (const auto action = NumberFor(LidActions, code, LastAction)) {
        SetActionNumber(policy, *action);
    }
}

template <typename Bits> void SetBits(Bits& field, Bits bits, bool on) noexcept
{
    field = on ? field | bits : field & ~bits;
}

// One side of a scheme says "stand by after t, then hibernate after a further d" as the
// idle action stand-by, the idle timeout t and the hibernation delay d, and "hibernate
// after t" as the idle action hibernate, the idle timeout t and no delay.
std::uint32_t StandbyMinutes(ULONG idle, const POWER_ACTION_POLICY& action, ULONG delay) noexcept
{
    if (idle != 0 && delay == 0 && ActionNumber(action) != PowerActionSleep) {
        return 0;
    }
    return Minutes(idle);
}

std::uint32_t HibernationMinutes(ULONG idle, const POWER_ACTION_POLICY& action, ULONG delay) noexcept
{
    if (idle != 0 && delay == 0) {
        return ActionNumber(action) == PowerActionSleep ? 0 : Minutes(idle);
    }
    // Each part in whole minutes, as HibernationDelay splits the total.
    return Minutes(delay) + Minutes(idle);
}

// One side's delay for hibernation a total of that many minutes after idleness begins.
// A side without idle action is made to hibernate directly instead.
ULONG HibernationDelay(ULONG& idle, POWER_ACTION_POLICY& action, std::uint32_t minutes) noexcept
{
    if (minutes == 0) {
        return 0;
    }
    if (idle == 0) {
        idle = Seconds(minutes);
        SetActionNumber(action, PowerActionHibernate);
        return 0;
    }
    // A total below the stand-by time means stand-by was made later by other means since
    // the total was read. Hibernation then follows stand-by as soon as a timer in minutes
    // can say, rather than not at all.
    const std::uint32_t standby = Minutes(idle);
    return minutes >= standby ? Seconds(minutes - standby) : SecondsPerMinute;
}

constexpr ULONG PasswordLogonFlag = EnablePasswordLogon;
constexpr ULONG TrayIconFlag = EnableSysTrayBatteryMeter;

constexpr DWORD NotifyText = POWER_LEVEL_USER_NOTIFY_TEXT;
constexpr DWORD NotifySound = POWER_LEVEL_USER_NOTIFY_SOUND;
constexpr DWORD NotifyExec = POWER_LEVEL_USER_NOTIFY_EXEC;
// The notification bits of each battery-alarm notification mode, the mode being the index.
constexpr DWORD NotifyModes[] = {0, NotifySound, NotifyText, NotifyText | NotifySound};

// Null for an index beyond the four discharge policies, which would reach into the fields
// behind them.
template <typename Global> auto* DischargePolicy(Global& global, int index) noexcept
{
    return index >= 0 && index < NUM_DISCHARGE_POLICIES ? &global.user.DischargePolicy[index] : nullptr;
}

} // namespace

PwrScheme::PwrScheme() noexcept : PwrScheme(SystemPowerFunctions()) {}

PwrScheme::PwrScheme(const PowerFunctions& library) noexcept : m_library(library) {}

bool PwrScheme::InitScheme(UINT index)
{
    m_index = index;
    // NoScheme is where a failed GetActiveSchemeIndex leads: nothing is there to read.
    m_schemeRead = index != NoScheme && m_library.ReadPwrScheme(index, &m_scheme);
    m_processorRead = index != NoScheme && m_library.ReadProcessorPwrScheme(index, &m_processor);
    return m_schemeRead;
}

bool PwrScheme::InitGlobalPolicy()
{
    m_globalRead = m_library.ReadGlobalPwrPolicy(&m_global);
    return m_globalRead;
}

UINT PwrScheme::GetActiveSchemeIndex() const
{
    UINT index = NoScheme;
    return m_library.GetActivePwrScheme(&index) ? index : NoScheme;
}

bool PwrScheme::ActivateScheme(bool activate)
{
    if (!m_schemeRead) {
        return false;
    }
    // The processor policy goes along when it was read; its result decides nothing, since
    // some systems keep no processor policy with their schemes.
    if (m_processorRead) {
        m_library.WriteProcessorPwrScheme(m_index, &m_processor);
    }
    if (!m_library.CanUserWritePwrScheme()) {
        return false;
    }
    if (!m_library.WritePwrScheme(&m_index, nullptr, nullptr, &m_scheme)) {
        return false;
    }
    return !activate || m_library.SetActivePwrScheme(m_index, nullptr, &m_scheme);
}

bool PwrScheme::ActivateGlobalPolicy()
{
    if (!m_globalRead) {
        return false;
    }
    const bool written = m_library.WriteGlobalPwrPolicy(&m_global);
    // Handed over with the active scheme, the policy takes effect now rather than at the
    // next change of scheme.
    UINT active = NoScheme;
    if (!m_library.GetActivePwrScheme(&active)) {
        return false;
    }
    const bool applied = m_library.SetActivePwrScheme(active, &m_global, nullptr);
    return written && applied;
}

bool PwrScheme::CreateScheme(UINT index, std::wstring name, std::wstring description)
{
    if (!m_schemeRead) {
        return false;
    }
    UINT created = index;
    if (!m_library.WritePwrScheme(&created, name.data(), description.data(), &m_scheme)) {
        return false;
    }
    m_index = created;
    if (m_processorRead) {
        m_library.WriteProcessorPwrScheme(m_index, &m_processor);
    }
    return true;
}

bool PwrScheme::DeleteScheme(UINT index)
{
    m_index = index;
    // Whatever the copies hold, it is not a scheme at this index that may be written back.
    m_schemeRead = false;
    m_processorRead = false;
    return m_library.DeletePwrScheme(index);
}

int PwrScheme::GetCloseLidAction() const
{
    return CodeFor(LidActions, ActionNumber(m_global.user.LidCloseAc), LastAction);
}

void PwrScheme::SetCloseLidAction(int code)
{
    SetLidCode(m_global.user.LidCloseAc, code);
    SetLidCode(m_global.user.LidCloseDc, code);
}

int PwrScheme::GetPowerButtonAction() const { return ButtonCode(m_global.user.PowerButtonAc); }

void PwrScheme::SetPowerButtonAction(int code)
{
    SetButtonCode(m_global.user.PowerButtonAc, code);
    SetButtonCode(m_global.user.PowerButtonDc, code);
}

int PwrScheme::GetSleepButtonAction() const { return ButtonCode(m_global.user.SleepButtonAc); }

void PwrScheme::SetSleepButtonAction(int code)
{
    SetButtonCode(m_global.user.SleepButtonAc, code);
    SetButtonCode(m_global.user.SleepButtonDc, code);
}

bool PwrScheme::GetPasswdLogonFlag() const { return (m_global.user.GlobalFlags & PasswordLogonFlag) != 0; }

void PwrScheme::SetPasswdLogonFlag(bool on) { SetBits(m_global.user.GlobalFlags, PasswordLogonFlag, on); }

bool PwrScheme::GetSystemTrayIconFlag() const { return (m_global.user.GlobalFlags & TrayIconFlag) != 0; }

void PwrScheme::SetSystemTrayIconFlag(bool on) { SetBits(m_global.user.GlobalFlags, TrayIconFlag, on); }

std::uint32_t PwrScheme::GetStandbyTimer() const
{
    return StandbyMinutes(m_scheme.user.IdleTimeoutAc, m_scheme.user.IdleAc, m_scheme.mach.DozeS4TimeoutAc);
}

std::uint32_t PwrScheme::GetStandbyTimerDc() const
{
    return StandbyMinutes(m_scheme.user.IdleTimeoutDc, m_scheme.user.IdleDc, m_scheme.mach.DozeS4TimeoutDc);
}

bool PwrScheme::SetStandbyTimer(std::uint32_t minutes)
{
    if (!m_library.IsPwrSuspendAllowed()) {
        return false;
    }
    m_scheme.user.IdleTimeoutAc = Seconds(minutes);
    m_scheme.user.IdleTimeoutDc = Seconds(minutes);
    SetActionNumber(m_scheme.user.IdleAc, PowerActionSleep);
    SetActionNumber(m_scheme.user.IdleDc, PowerActionSleep);
    return true;
}

std::uint32_t PwrScheme::GetHibernationTimer() const
{
    return HibernationMinutes(m_scheme.user.IdleTimeoutAc, m_scheme.user.IdleAc, m_scheme.mach.DozeS4TimeoutAc);
}

std::uint32_t PwrScheme::GetHibernationTimerDc() const
{
    return HibernationMinutes(m_scheme.user.IdleTimeoutDc, m_scheme.user.IdleDc, m_scheme.mach.DozeS4TimeoutDc);
}

bool PwrScheme::SetHibernationTimer(std::uint32_t minutes)
{
    // 0 minutes: no hibernation after stand-by, and the idle action stays as it is.
    const bool idle = m_scheme.user.IdleTimeoutAc != 0;
    const ULONG delay = HibernationDelay(m_scheme.user.IdleTimeoutAc, m_scheme.user.IdleAc, minutes);
    if (minutes != 0 && !idle) {
        m_scheme.user.IdleTimeoutDc = m_scheme.user.IdleTimeoutAc;
        SetActionNumber(m_scheme.user.IdleDc, PowerActionHibernate);
    }
    // Asked only now: a scheme saved with hibernation as its idle action gets it back even
    // while the platform does not allow hibernation, as it was before.
    if (!m_library.IsPwrHibernateAllowed()) {
        return false;
    }
    m_scheme.mach.DozeS4TimeoutAc = delay;
    m_scheme.mach.DozeS4TimeoutDc = delay;
    return true;
}

bool PwrScheme::SetBatteryTimers(std::uint32_t standby, std::uint32_t hibernation)
{
    const bool standbyAllowed = m_library.IsPwrSuspendAllowed();
    if (standbyAllowed) {
        m_scheme.user.IdleTimeoutDc = Seconds(standby);
        SetActionNumber(m_scheme.user.IdleDc, PowerActionSleep);
    }
    const ULONG delay = HibernationDelay(m_scheme.user.IdleTimeoutDc, m_scheme.user.IdleDc, hibernation);
    if (!m_library.IsPwrHibernateAllowed()) {
        return false;
    }
    m_scheme.mach.DozeS4TimeoutDc = delay;
    return standbyAllowed;
}

std::uint32_t PwrScheme::GetMonitorTimer() const { return Minutes(m_scheme.user.VideoTimeoutAc); }

bool PwrScheme::SetMonitorTimer(std::uint32_t minutes)
{
    m_scheme.user.VideoTimeoutAc = Seconds(minutes);
    m_scheme.user.VideoTimeoutDc = Seconds(minutes);
    return true;
}

std::uint32_t PwrScheme::GetHddTimer() const { return Minutes(m_scheme.user.SpindownTimeoutAc); }

bool PwrScheme::SetHddTimer(std::uint32_t minutes)
{
    m_scheme.user.SpindownTimeoutAc = Seconds(minutes);
    m_scheme.user.SpindownTimeoutDc = Seconds(minutes);
    return true;
}

int PwrScheme::GetForceThrottle() const { return m_scheme.user.ForcedThrottleAc; }

bool PwrScheme::SetForceThrottle(int value)
{
    const auto lowByte = static_cast<UCHAR>(value & UCHAR_MAX);
    m_scheme.user.ForcedThrottleAc = lowByte;
    m_scheme.user.ForcedThrottleDc = lowByte;
    return true;
}

int PwrScheme::GetProcessorPolicy() const
{
    return CodeFor(ThrottleModes, m_processor.ProcessorPolicyAc.DynamicThrottle, LastThrottleMode);
}

bool PwrScheme::SetProcessorPolicy(int code)
{
    if (const auto mode = NumberFor(ThrottleModes, code, LastThrottleMode)) {
        m_processor.ProcessorPolicyAc.DynamicThrottle = static_cast<BYTE>(*mode);
        m_processor.ProcessorPolicyDc.DynamicThrottle = static_cast<BYTE>(*mode);
    }
    return true;
}

bool PwrScheme::SetProcessorPolicy(int code, int index)
{
    const bool active = index == -1;
    if (!InitScheme(active ? GetActiveSchemeIndex() : static_cast<UINT>(index)) || !m_processorRead) {
        return false;
    }
    SetProcessorPolicy(code);
    return ActivateScheme(active);
}

bool PwrScheme::GetBattAlarmEnable(int index) const
{
    const auto* alarm = DischargePolicy(m_global, index);
    return alarm != nullptr && alarm->Enable;
}

void PwrScheme::SetBattAlarmEnable(bool on, int index)
{
    if (auto* alarm = DischargePolicy(m_global, index)) {
        alarm->Enable = on ? TRUE : FALSE;
    }
}

std::uint32_t PwrScheme::GetBattAlarmLevel(int index) const
{
    const auto* alarm = DischargePolicy(m_global, index);
    return alarm != nullptr ? alarm->BatteryLevel : 0;
}

void PwrScheme::SetBattAlarmLevel(std::uint32_t level, int index)
{
    if (auto* alarm = DischargePolicy(m_global, index)) {
        alarm->BatteryLevel = level;
    }
}

int PwrScheme::GetBattAlarmNotify(int index) const
{
    const auto* alarm = DischargePolicy(m_global, index);
    if (alarm == nullptr) {
        return 0;
    }
    const DWORD bits = alarm->PowerPolicy.EventCode & (NotifyText | NotifySound);
    return static_cast<int>(std::find(std::begin(NotifyModes), std::end(NotifyModes), bits) - std::begin(NotifyModes));
}

void PwrScheme::SetBattAlarmNotify(int mode, int index)
{
    auto* alarm = DischargePolicy(m_global, index);
    if (alarm == nullptr || mode < 0 || mode >= static_cast<int>(std::size(NotifyModes))) {
        return;
    }
    alarm->PowerPolicy.EventCode = (alarm->PowerPolicy.EventCode & ~(NotifyText | NotifySound)) | NotifyModes[mode];
}

int PwrScheme::GetBattAlarmAction(int index) const
{
    const auto* alarm = DischargePolicy(m_global, index);
    return alarm != nullptr ? CodeFor(AlarmActions, ActionNumber(alarm->PowerPolicy), LastAction) : 0;
}

void PwrScheme::SetBattAlarmAction(int mode, int index)
{
    auto* alarm = DischargePolicy(m_global, index);
    if (alarm == nullptr) {
        return;
    }
    if (const auto action = NumberFor(AlarmActions, mode, LastAction)) {
        SetActionNumber(alarm->PowerPolicy, *action);
    }
}

int PwrScheme::GetBattAlarmRunProgram(int index) const
{
    const auto* alarm = DischargePolicy(m_global, index);
    return alarm != nullptr && (alarm->PowerPolicy.EventCode & NotifyExec) != 0 ? 1 : 0;
}

void PwrScheme::SetBattAlarmRunProgram(bool on, int index)
{
    if (auto* alarm = DischargePolicy(m_global, index)) {
        SetBits(alarm->PowerPolicy.EventCode, NotifyExec, on);
    }
}
