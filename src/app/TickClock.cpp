#include "app/TickClock.h"

#include <windows.h>

std::uint64_t TickClock::NowMs() const { return GetTickCount64(); }
