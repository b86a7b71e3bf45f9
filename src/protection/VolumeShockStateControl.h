#pragma once
// The shock-state control on the system volume "\\.\c:", opened once when the main
// window starts. A volume that cannot be opened makes every send fail without effect.
#include "Handles.h"
#include "protection/ShockStateControl.h"

class VolumeShockStateControl final : public ShockStateControl {
public:
    // Device type 0xFFFE, function 0x801, buffered, any access.
    static constexpr DWORD ControlCode = 0xFFFE2004;

    VolumeShockStateControl();
    BOOL Send(const GSENSOR_DATA& data) override;

private:
    tl::unique_hfile m_hGSensor;
};
