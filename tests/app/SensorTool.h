#pragma once
// TremorlinkSensor.exe, the tool behind scripts/sensor, run from the tests against the
// real program on the simulated G-sensor; and the program's settings key of the test
// prefix, removed after such a test.
#include "app/TremorlinkProcess.h"

#include <windows.h>

#include <sstream>
#include <string>

namespace testsupport {

// Removes the program's settings key of this test prefix at the end of a test, so that
// the next start finds the first-start values again.
class SettingsKeyRemover {
public:
    SettingsKeyRemover() = default;
    SettingsKeyRemover(const SettingsKeyRemover&) = delete;
    SettingsKeyRemover& operator=(const SettingsKeyRemover&) = delete;
    ~SettingsKeyRemover() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Quen\\Tremorlink"); }
};

struct ToolRun {
    DWORD exitCode;
    std::string output; // standard output and standard error together
};

// TremorlinkSensor.exe with these arguments, run to its end.
inline ToolRun RunSensorTool(const std::string& arguments)
{
    std::wstring commandLine = L"\"" + WindowsPath(TREMORLINK_SENSOR_EXE) + L"\" ";
    commandLine.append(arguments.begin(), arguments.end());
    // Large enough for any answer, so that the tool never waits for the test to read.
    const PipedProcess tool = StartPiped(commandLine, 1 << 16);
    if (!tool.process) {
        return {STILL_ACTIVE, {}};
    }
    ToolRun run{WaitForExit(tool.process.get()), {}};
    char buffer[4096];
    DWORD size = 0;
    while (ReadFile(tool.output.get(), buffer, sizeof(buffer), &size, nullptr) && size > 0) {
        run.output.append(buffer, size);
    }
    return run;
}

inline int CountLines(const std::string& text, const std::string& line)
{
    int count = 0;
    std::istringstream lines(text);
    for (std::string candidate; std::getline(lines, candidate);) {
        count += candidate == line ? 1 : 0;
    }
    return count;
}

inline bool HasLine(const std::string& text, const std::string& line) { return CountLines(text, line) > 0; }

} // namespace testsupport
