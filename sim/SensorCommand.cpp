#include "SensorCommand.h"

#include "GSensorSchema.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

namespace sim {

namespace {

std::vector<std::string_view> Words(std::string_view text)
{
    constexpr std::string_view space = " \t\r\n";
    std::vector<std::string_view> words;
    for (auto start = text.find_first_not_of(space); start != std::string_view::npos;
         start = text.find_first_not_of(space, start)) {
        const auto end = std::min(text.find_first_of(space, start), text.size());
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

// uShock is read as a 32-bit integer, so both -1 and 0xFFFFFFFF name the same event.
std::optional<int> ShockNumber(std::string_view text)
{
    const bool negative = text.starts_with('-');
    if (negative) {
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (negative ? magnitude > 0x80000000u : magnitude > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    return static_cast<int>(bits);
}

} // namespace

std::optional<SensorCommand> SensorCommand::Parse(std::string_view text)
{
    const std::vector<std::string_view> words = Words(text);
    if (words.size() == 1 && words[0] == "shock") {
        return SensorCommand{Kind::Event, ShockValue};
    }
    if (words.size() == 1 && words[0] == "move") {
        return SensorCommand{Kind::Event, MovementValue};
    }
    if (words.size() == 1 && words[0] == "log") {
        return SensorCommand{Kind::Log, 0};
    }
    if (words.size() == 1 && words[0] == "timeline") {
        return SensorCommand{Kind::Timeline, 0};
    }
    if (words.size() == 2 && words[0] == "event") {
        if (const std::optional<int> shock = ShockNumber(words[1])) {
            return SensorCommand{Kind::Event, *shock};
        }
    }
    return std::nullopt;
}

} // namespace sim
