#pragma once
// The control channel into a program that runs with the simulated provider: a local named
// pipe in message mode, served by TremorlinkSimProvider.dll inside the program. A request
// is one message, the text of one SensorCommand; the reply is one message, a status line
// followed by text for the person who asked.
#include <windows.h>

#include <string_view>

namespace sim {

inline constexpr wchar_t SensorPipeName[] = L"\\\\.\\pipe\\QuenTremorlinkSensor";

inline constexpr std::string_view ReplyDone = "done\n";
inline constexpr std::string_view ReplyRefused = "refused\n";

// Longer requests are no command.
inline constexpr DWORD MaxRequestSize = 256;

} // namespace sim
