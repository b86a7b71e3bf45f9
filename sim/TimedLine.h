#pragma once
// One line of the simulated provider's timeline: a call it received or an event it
// delivered, with the time it happened. Both times come from one clock inside the
// program, so that a test measures the program's reaction without the time it takes to
// start the tool that asks.
#include <chrono>
#include <string>

namespace sim {

struct TimedLine {
    std::chrono::milliseconds at; // since the provider was made
    std::wstring line;
};

} // namespace sim
