#include "SensorPipeClient.h"

#include "SensorPipe.h"
#include "Handles.h"

namespace sim {

namespace {

// The server takes one client at a time; another one is served within milliseconds.
constexpr DWORD BusyWaitMs = 5000;

tl::unique_hfile Connect()
{
    tl::unique_hfile pipe(
        CreateFileW(SensorPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!pipe && GetLastError() == ERROR_PIPE_BUSY && WaitNamedPipeW(SensorPipeName, BusyWaitMs)) {
        pipe.reset(CreateFileW(SensorPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    return pipe;
}

// One message back from the server, however long.
bool ReadReply(HANDLE pipe, std::string& reply)
{
    char buffer[4096];
    for (;;) {
        DWORD size = 0;
        const BOOL complete = ReadFile(pipe, buffer, sizeof(buffer), &size, nullptr);
        reply.append(buffer, size);
        if (complete) {
            return true;
        }
        if (GetLastError() != ERROR_MORE_DATA) {
            return false;
        }
    }
}

SensorExchange Failed(SensorExchange::Failure failure)
{
    SensorExchange exchange;
    exchange.failure = failure;
    exchange.error = GetLastError();
    return exchange;
}

} // namespace

SensorExchange ExchangeWithSensor(std::string_view request)
{
    const tl::unique_hfile pipe = Connect();
    if (!pipe) {
        return Failed(SensorExchange::Failure::Unreachable);
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    DWORD written = 0;
    if (!SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr) ||
        !WriteFile(pipe.get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr)) {
        return Failed(SensorExchange::Failure::NotSent);
    }
    SensorExchange exchange;
    if (!ReadReply(pipe.get(), exchange.reply)) {
        return Failed(SensorExchange::Failure::NoReply);
    }
    return exchange;
}

} // namespace sim
