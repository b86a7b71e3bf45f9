#include "SensorCommand.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string_view>

namespace {

using sim::SensorCommand;
using Kind = sim::SensorCommand::Kind;

TEST(SensorCommand, ReadsEachCommandAndAnyThirtyTwoBitEvent)
{
    const struct {
        std::string_view text;
        SensorCommand command;
    } valid[] = {
        {"shock", {Kind::Event, 0x501}},
        {"move", {Kind::Event, 0x502}},
        {"log", {Kind::Log, 0}},
        {"timeline", {Kind::Timeline, 0}},
        {" timeline\n", {Kind::Timeline, 0}},
        {"  event \t 1283 \n", {Kind::Event, 0x503}},
        {"event 0x501", {Kind::Event, 0x501}},
        {"event 0X0b02", {Kind::Event, 0xB02}},
        {"event 0", {Kind::Event, 0}},
        {"event 0xFFFFFFFF", {Kind::Event, -1}},
        {"event 4294967295", {Kind::Event, -1}},
        {"event -1", {Kind::Event, -1}},
        {"event -2147483648", {Kind::Event, INT_MIN}},
        {"event 2147483648", {Kind::Event, INT_MIN}},
    };
    for (const auto& [text, command] : valid) {
        EXPECT_EQ(std::optional(command), SensorCommand::Parse(text)) << text;
    }
}

TEST(SensorCommand, RefusesAnythingElse)
{
    for (const std::string_view text : {"", " ", "Shock", "shock now", "log 1", "moves", "event", "event 1 2",
                                        "event x", "event 12a", "event 0x", "event 0x-1", "event +1", "event --1",
                                        "event 4294967296", "event 0x100000000", "event -2147483649", "event 1.5"}) {
        EXPECT_FALSE(SensorCommand::Parse(text)) << '"' << text << '"';
    }
    // Other spellings of "timeline", and a listing with another word after it.
    for (const std::string_view text : {"timeline 1", "Timeline", "time line", "log timeline", "timeline log"}) {
        EXPECT_FALSE(SensorCommand::Parse(text)) << '"' << text << '"';
    }
}

} // namespace
