// TremorlinkSensor.exe: sends one command to the simulated sensor inside the running
// program (which loaded TremorlinkSimProvider.dll) and shows the answer, or shows the power
// settings of the Wine prefix that the simulated powrprof.dll keeps. Exit codes: 0 done,
// 1 the program refused the command (or the power settings cannot be read), 2 the program
// cannot be reached, 3 usage.
#include "PowerReport.h"
#include "PowerStore.h"
#include "SensorCommand.h"
#include "SensorPipe.h"
#include "SensorPipeClient.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr int Done = 0;
constexpr int Refused = 1;
constexpr int Unreachable = 2;
constexpr int Usage = 3;

constexpr char UsageText[] = "usage: TremorlinkSensor shock|move|event N|log|timeline|power\n"
                             "  shock     fires one GSensorEvent with uShock 0x501 (a shock)\n"
                             "  move      fires one GSensorEvent with uShock 0x502 (a movement)\n"
                             "  event N   fires one GSensorEvent with uShock N (decimal or 0x hexadecimal)\n"
                             "  log       shows the provider calls the program made so far, one per line\n"
                             "  timeline  shows those calls and the events delivered, one per line, each after\n"
                             "            its time in milliseconds since the provider started\n"
                             "  power     shows the power settings of this Wine prefix and whether the screen\n"
                             "            saver is on, one per line\n";

void Print(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

int Fail(int code, const std::string& message)
{
    Print(stderr, "TremorlinkSensor: " + message + "\n");
    return code;
}

std::string Joined(int argc, char** argv)
{
    std::string text;
    for (int index = 1; index < argc; ++index) {
        if (index > 1) {
            text += ' ';
        }
        text += argv[index];
    }
    return text;
}

std::string ErrorText(const char* what, DWORD error)
{
    return std::string(what) + " (error " + std::to_string(error) + ")";
}

// Read here, not in the program: the settings live in the prefix, and the screen saver's
// state, which the program sets without writing it to the profile, is shared by every
// process of the wineserver.
int ShowPower()
{
    const std::optional<sim::PowerState> state = sim::ReadStoredPowerState();
    if (!state) {
        return Fail(Refused, "the power settings stored in this Wine prefix cannot be read");
    }
    BOOL screenSaverActive = FALSE;
    if (!SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &screenSaverActive, 0)) {
        return Fail(Refused, ErrorText("cannot read whether the screen saver is on", GetLastError()));
    }
    std::string lines;
    for (const std::string& line : sim::PowerReport(*state, screenSaverActive != FALSE)) {
        lines += line + '\n';
    }
    Print(stdout, lines);
    return Done;
}

} // namespace

int main(int argc, char** argv)
{
    // Read on a Linux host, through Wine: lines end in a line feed alone.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    const std::string request = Joined(argc, argv);
    if (request == "power") {
        return ShowPower();
    }
    if (!sim::SensorCommand::Parse(request)) {
        Print(stderr, UsageText);
        return Usage;
    }

    const sim::SensorExchange exchange = sim::ExchangeWithSensor(request);
    switch (exchange.failure) {
    case sim::SensorExchange::Failure::None: break;
    case sim::SensorExchange::Failure::Unreachable:
        if (exchange.error == ERROR_FILE_NOT_FOUND) {
            return Fail(Unreachable, "Quen Tremorlink is not running with the simulated sensor "
                                     "(nothing serves \\\\.\\pipe\\QuenTremorlinkSensor)");
        }
        return Fail(Unreachable, ErrorText("cannot reach the simulated sensor", exchange.error));
    case sim::SensorExchange::Failure::NotSent:
        return Fail(Unreachable, ErrorText("cannot send the command", exchange.error));
    case sim::SensorExchange::Failure::NoReply:
        return Fail(Unreachable, ErrorText("no answer from the simulated sensor", exchange.error));
    }

    const std::string_view answer = exchange.reply;
    if (answer.starts_with(sim::ReplyDone)) {
        Print(stdout, answer.substr(sim::ReplyDone.size()));
        return Done;
    }
    if (answer.starts_with(sim::ReplyRefused)) {
        Print(stderr, "TremorlinkSensor: ");
        Print(stderr, answer.substr(sim::ReplyRefused.size()));
        return Refused;
    }
    return Fail(Unreachable, "the simulated sensor answered something unknown");
}
