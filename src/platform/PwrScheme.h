#pragma once
// Copies of the power policies, read from and written back to the power-management
// library, with getters and setters in the small codes and minutes that anti-theft keeps in
// the settings. The getters and setters change only the copies; nothing reaches the system
// until one of the write operations runs. A copy that was not read successfully never
// replaces the user's settings: a write operation whose scheme or global policy was not
// read returns false without calling the library at all, and the processor policy goes
// along only when it was read.
//
// Encodings: timers are minutes here and seconds in the policies. Setters write the AC and
// the DC field alike; getters read the AC field. Button codes: 0 do nothing, 1 ask the
// user, 2 stand by, 3 hibernate, 4 shut down. Lid codes: 0 do nothing, 1 stand by,
// 2 hibernate. Processor codes: 1 degrade, 2 constant, 3 adaptive, 4 none. Battery-alarm
// action modes: 0 none, 1 stand by, 2 hibernate, 3 shut down. A lid, button or
// battery-alarm action that its table does not name reads as OtherCodeBase plus its
// POWER_ACTION number, and the setter puts such a code back as it was, so that a setting
// saved and restored through its code is never lost. A value that is no action or no
// throttle mode at all reads as UnknownCode, which the setters ignore.
#include "platform/PowerFunctions.h"

#include <windows.h>

#include <cstdint>
#include <string>

class PwrScheme final {
public:
    static constexpr int OtherCodeBase = 100;
    static constexpr int UnknownCode = -1;
    // What GetActiveSchemeIndex returns when the library cannot tell: the library's marker
    // for a scheme still to be made, which names no existing scheme.
    static constexpr UINT NoScheme = NEWSCHEME;

    // Over the system's power library.
    PwrScheme() noexcept;
    explicit PwrScheme(const PowerFunctions& library) noexcept;

    // Reads the scheme and, where the system keeps one, its processor policy; true when the
    // scheme was read, which is what the write operations ask (the processor policy goes
    // along only when it was read).
    [[nodiscard]] bool InitScheme(UINT index);
    [[nodiscard]] bool InitGlobalPolicy();
    UINT GetActiveSchemeIndex() const;
    // Writes the processor and scheme policies and, when activate is set, makes the scheme
    // the active one. False when the user may not write schemes or the library refuses; the
    // processor policy has been written by then.
    [[nodiscard]] bool ActivateScheme(bool activate);
    // Writes the global policy and applies it at once through the active scheme.
    [[nodiscard]] bool ActivateGlobalPolicy();
    // Writes the copies as the scheme at index (NEWSCHEME: a new one), with that name and
    // description; on success the object then stands for that scheme.
    [[nodiscard]] bool CreateScheme(UINT index, std::wstring name, std::wstring description);
    [[nodiscard]] bool DeleteScheme(UINT index);

    int GetCloseLidAction() const;
    void SetCloseLidAction(int code);
    int GetPowerButtonAction() const;
    void SetPowerButtonAction(int code);
    int GetSleepButtonAction() const;
    void SetSleepButtonAction(int code);
    // Whether the password is asked for on resume.
    bool GetPasswdLogonFlag() const;
    void SetPasswdLogonFlag(bool on);
    bool GetSystemTrayIconFlag() const;
    void SetSystemTrayIconFlag(bool on);

    // Minutes of idleness before stand-by; 0 when there is none (idleness leads straight to
    // hibernation, or to nothing).
    std::uint32_t GetStandbyTimer() const;
    // Makes the idle action stand-by after that many minutes; false, changing nothing, when
    // the platform does not allow stand-by.
    [[nodiscard]] bool SetStandbyTimer(std::uint32_t minutes);
    // Minutes from the start of idleness to hibernation; 0 for never.
    std::uint32_t GetHibernationTimer() const;
    // Sets the hibernation delay after stand-by, or, in a scheme without idle action, makes
    // hibernation the idle action. False when the platform does not allow hibernation: the
    // delay then stays as it is, while the idle action is made all the same.
    [[nodiscard]] bool SetHibernationTimer(std::uint32_t minutes);
    // The battery side's stand-by and hibernation minutes, read as the getters above read
    // the mains side's.
    std::uint32_t GetStandbyTimerDc() const;
    std::uint32_t GetHibernationTimerDc() const;
    // Puts back the battery side alone, which the setters above set from one time for both
    // sides: stand-by (where allowed), then hibernation as SetHibernationTimer makes it.
    // False when the platform allows either not.
    [[nodiscard]] bool SetBatteryTimers(std::uint32_t standby, std::uint32_t hibernation);
    std::uint32_t GetMonitorTimer() const;
    bool SetMonitorTimer(std::uint32_t minutes);
    std::uint32_t GetHddTimer() const;
    bool SetHddTimer(std::uint32_t minutes);
    int GetForceThrottle() const;
    // Keeps the low eight bits of value.
    bool SetForceThrottle(int value);
    int GetProcessorPolicy() const;
    bool SetProcessorPolicy(int code);
    // Reads the scheme at index afresh, applies the code and writes the scheme back. Index -1
    // names the active scheme, which is then also activated again. False, writing nothing,
    // when the processor policy cannot be read.
    [[nodiscard]] bool SetProcessorPolicy(int code, int index);

    // Battery alarms: index 0 to 3 selects one of the four discharge policies. Another index
    // reads as 0 or false and changes nothing.
    bool GetBattAlarmEnable(int index) const;
    void SetBattAlarmEnable(bool on, int index);
    // Percent of the battery's capacity.
    std::uint32_t GetBattAlarmLevel(int index) const;
    void SetBattAlarmLevel(std::uint32_t level, int index);
    // 0 no notification, 1 sound only, 2 text only, 3 text and sound.
    int GetBattAlarmNotify(int index) const;
    void SetBattAlarmNotify(int mode, int index);
    int GetBattAlarmAction(int index) const;
    void SetBattAlarmAction(int mode, int index);
    // 1 when the alarm runs a program, else 0.
    int GetBattAlarmRunProgram(int index) const;
    void SetBattAlarmRunProgram(bool on, int index);

private:
    PowerFunctions m_library;
    UINT m_index = NoScheme;
    POWER_POLICY m_scheme{};
    MACHINE_PROCESSOR_POWER_POLICY m_processor{};
    GLOBAL_POWER_POLICY m_global{};
    // Which copies hold what the library gave for the scheme at m_index (scheme and
    // processor policy) and for the global policy.
    bool m_schemeRead = false;
    bool m_processorRead = false;
    bool m_globalRead = false;
};
