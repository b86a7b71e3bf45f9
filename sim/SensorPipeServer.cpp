#include "SensorPipeServer.h"

#include "SensorCommand.h"
#include "SensorPipe.h"
#include "Handles.h"

#include <thread>

namespace sim {

namespace {

// The provider's log holds names and numbers only, all of them ASCII.
std::string Narrow(std::wstring_view text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (const wchar_t character : text) {
        narrow += character < 0x80 ? static_cast<char>(character) : '?';
    }
    return narrow;
}

constexpr std::string_view CouldNotAnswer = "refused\nthe provider could not carry the command out\n";
static_assert(CouldNotAnswer.starts_with(ReplyRefused));

std::string Reply(std::string_view status, std::string_view text)
{
    std::string reply(status);
    reply += text;
    return reply;
}

} // namespace

SensorPipeServer::SensorPipeServer(Provider& provider) : m_provider(provider)
{
    std::thread([this]() noexcept { Serve(); }).detach();
}

std::string SensorPipeServer::Answer(std::string_view request) const
{
    const std::optional<SensorCommand> command = SensorCommand::Parse(request);
    if (!command) {
        return Reply(ReplyRefused, "unknown command \"" + std::string(request) + "\"\n");
    }
    if (command->kind == SensorCommand::Kind::Log) {
        std::string lines;
        for (const std::wstring& line : m_provider.Log()) {
            lines += Narrow(line) + '\n';
        }
        return Reply(ReplyDone, lines);
    }
    if (command->kind == SensorCommand::Kind::Timeline) {
        std::string lines;
        for (const TimedLine& entry : m_provider.Timeline()) {
            lines += std::to_string(entry.at.count()) + " ms " + Narrow(entry.line) + '\n';
        }
        return Reply(ReplyDone, lines);
    }
    if (!m_provider.FireEvents({command->uShock})) {
        return Reply(ReplyRefused, "nobody is subscribed to GSensorEvent, so the event was not fired\n");
    }
    return Reply(ReplyDone, Narrow(DeliveredLine(command->uShock)) + '\n');
}

void SensorPipeServer::Serve() const noexcept
{
    // One instance only: a second copy of the program, which ends at once, must not take
    // commands meant for the running one.
    const tl::unique_hfile pipe(CreateNamedPipeW(
        SensorPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 0, 0, nullptr));
    if (!pipe) {
        return;
    }
    for (;;) {
        if (ConnectNamedPipe(pipe.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
            Converse(pipe.get());
        } else if (GetLastError() != ERROR_NO_DATA) {
            // ERROR_NO_DATA: a client came and went before it was served. Anything else
            // would come back at once, so the channel closes rather than spin.
            return;
        }
        DisconnectNamedPipe(pipe.get());
    }
}

void SensorPipeServer::Converse(HANDLE pipe) const noexcept
{
    char request[MaxRequestSize];
    DWORD size = 0;
    if (!ReadFile(pipe, request, sizeof(request), &size, nullptr)) {
        return;
    }
    std::string answer;
    std::string_view reply = CouldNotAnswer;
    try {
        answer = Answer(std::string_view(request, size));
        reply = answer;
    } catch (...) {
        // Out of memory, or no thread left to deliver an event on: the client hears so.
    }
    DWORD written = 0;
    WriteFile(pipe, reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr);
    // The reply must be read before DisconnectNamedPipe throws away what is left.
    FlushFileBuffers(pipe);
}

} // namespace sim
