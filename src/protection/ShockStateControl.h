#pragma once
// The drive's shock-state control: an 8-byte buffer sent down the storage stack of the
// system volume, where a driver outside the program answers it.
#include <windows.h>

#include <array>

// Byte 0: 1 while a shock is in progress, 0 otherwise; bytes 1 to 7 reserved, 0.
using GSENSOR_DATA = std::array<BYTE, 8>;

class ShockStateControl {
public:
    virtual ~ShockStateControl() = default;
    // The result of the device control: non-zero when the driver took it.
    virtual BOOL Send(const GSENSOR_DATA& data) = 0;
};
