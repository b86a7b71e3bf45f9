#pragma once
// One command for the simulated sensor inside a running program, as TremorlinkSensor.exe
// reads it from its command line and the program reads it from the control channel.
#include <optional>
#include <string_view>

namespace sim {

struct SensorCommand {
    enum class Kind { Event, Log, Timeline };

    Kind kind;
    int uShock; // of the event to fire; 0 for Log and Timeline

    // "shock" (uShock 0x501), "move" (0x502), "event N" (N in decimal or 0x hexadecimal,
    // any 32-bit value), "log" or "timeline"; words separated by white space. Anything
    // else: nullopt.
    static std::optional<SensorCommand> Parse(std::string_view text);

    friend bool operator==(const SensorCommand&, const SensorCommand&) = default;
};

} // namespace sim
