#pragma once
// The client side of the simulated sensor's control channel (SensorPipe.h): one request,
// one reply, on a connection of its own.
#include <windows.h>

#include <string>
#include <string_view>

namespace sim {

struct SensorExchange {
    enum class Failure {
        None,
        Unreachable, // no connection: ERROR_FILE_NOT_FOUND when nothing serves the pipe
        NotSent,
        NoReply,
    };

    Failure failure = Failure::None;
    DWORD error = ERROR_SUCCESS; // of the step that failed
    std::string reply;           // the whole reply message, status line first
};

SensorExchange ExchangeWithSensor(std::string_view request);

} // namespace sim
