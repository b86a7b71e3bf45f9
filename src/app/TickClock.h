#pragma once
// The system's tick count: it ignores changes of the time of day, so a thief who sets the
// clock forward does not shorten a wait.
#include "protection/Clock.h"

class TickClock final : public protection::Clock {
public:
    std::uint64_t NowMs() const override;
};
