#pragma once
// A shock-state control that records the states sent instead of reaching a drive.
#include "protection/ShockStateControl.h"

#include <vector>

namespace testsupport {

class RecordingShockState final : public ShockStateControl {
public:
    BOOL Send(const GSENSOR_DATA& data) override
    {
        sent.push_back(data[0]);
        return TRUE;
    }
    std::vector<int> sent;
};

} // namespace testsupport
