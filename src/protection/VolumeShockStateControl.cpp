#include "protection/VolumeShockStateControl.h"

VolumeShockStateControl::VolumeShockStateControl()
    : m_hGSensor(CreateFileA("\\\\.\\c:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr))
{
}

BOOL VolumeShockStateControl::Send(const GSENSOR_DATA& data)
{
    GSENSOR_DATA buffer = data;
    DWORD bytesReturned = 0;
    return DeviceIoControl(m_hGSensor.get(), ControlCode, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                           &bytesReturned, nullptr);
}
