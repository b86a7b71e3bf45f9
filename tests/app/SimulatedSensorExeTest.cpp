// The real Tremorlink.exe of this build with the simulated G-sensor provider in place of
// WMI, driven and watched through TremorlinkSensor.exe as a person at the demo would.
#include "platform/SettingsStore.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"
#include "app/SensorTool.h"
#include "app/SimulatedProvider.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

using testsupport::CountLines;
using testsupport::HasLine;
using testsupport::RunSensorTool;
using testsupport::SettingsKeyRemover;
using testsupport::SimulatedProviderInPlace;
using testsupport::StartTremorlink;
using testsupport::ToolRun;
using testsupport::UnderWine;
using testsupport::WaitForExit;
using testsupport::WaitForMainWindow;
using testsupport::WindowsPath;

// TremorlinkSensor.exe's exit codes.
constexpr DWORD Done = 0;
constexpr DWORD Unreachable = 2;
constexpr DWORD Usage = 3;

constexpr char Subscription[] = R"(ExecNotificationQueryAsync WQL "SELECT * FROM GSensorEvent" flags=0x80)";

// When the first line of the provider's timeline with this text happened: the tool shows
// each line as "5080 ms GSensorEvent uShock=0x501 delivered".
std::optional<std::chrono::milliseconds> TimeOf(const std::string& timeline, const std::string& line)
{
    std::istringstream lines(timeline);
    for (std::string candidate; std::getline(lines, candidate);) {
        std::istringstream fields(candidate);
        long long ms = 0;
        std::string unit;
        std::string text;
        if (fields >> ms >> unit && unit == "ms" && fields.get() == ' ' && std::getline(fields, text) && text == line) {
            return std::chrono::milliseconds(ms);
        }
    }
    return std::nullopt;
}

// Asks for the provider's log until it shows the line; the failure shows the last log.
::testing::AssertionResult LogShows(const std::string& line, std::chrono::milliseconds timeout = 15s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const ToolRun log = RunSensorTool("log");
        if (log.exitCode == Done && HasLine(log.output, line)) {
            return ::testing::AssertionSuccess();
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return ::testing::AssertionFailure()
                   << "no line \"" << line << "\" in the provider's log (exit code " << log.exitCode << "):\n"
                   << log.output;
        }
        std::this_thread::sleep_for(200ms);
    }
}

// The real program on the simulated sensor, started with a stored hard-drive protection
// setting; it is ended when the test ends, whatever happened. The registry is changed
// only once the test knows it runs in its Wine prefix.
class SimulatedSensorExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!UnderWine()) {
            GTEST_SKIP() << "puts a simulated provider in place of WMI, which only our own Wine prefixes may have";
        }
        removeSettings.emplace();
        provider.emplace();
    }

    void TearDown() override { testsupport::EndIfRunning(program.get()); }

    void StartWithStoredSetting(int hddProtectionEnabled)
    {
        ASSERT_TRUE(settings.Write(Setting::HddProtectionEnabled, hddProtectionEnabled));
        ASSERT_TRUE(provider->InPlace());
        program = StartTremorlink();
        ASSERT_TRUE(program);
        window = WaitForMainWindow(program.get());
        ASSERT_NE(nullptr, window) << "the main window never appeared";
        ASSERT_TRUE(LogShows(Subscription));
        EXPECT_TRUE(LogShows("SetHDDProtection uStatus=" + std::to_string(hddProtectionEnabled)))
            << "the stored setting reaches the provider at start";
    }

    // The program's own settings key in this test prefix; the store opens it only when used.
    const SettingsStore settings;
    std::optional<SettingsKeyRemover> removeSettings;
    std::optional<SimulatedProviderInPlace> provider;
    tl::unique_handle program;
    HWND window = nullptr;
};

TEST_F(SimulatedSensorExe, TheProgramSubscribesAndTakesEventsFromTheSensorTool)
{
    ASSERT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink")) << "a copy is already running";

    const ToolRun noProgram = RunSensorTool("log");
    EXPECT_EQ(Unreachable, noProgram.exitCode);
    EXPECT_NE(std::string::npos, noProgram.output.find("not running")) << noProgram.output;
    for (const char* wrong : {"", "jump", "event", "event 0x1FFFFFFFF", "log all", "timeline now"}) {
        const ToolRun usage = RunSensorTool(wrong);
        EXPECT_EQ(Usage, usage.exitCode) << wrong;
        EXPECT_NE(std::string::npos, usage.output.find("usage: TremorlinkSensor")) << wrong;
    }

    ASSERT_NO_FATAL_FAILURE(StartWithStoredSetting(0));

    const ToolRun shock = RunSensorTool("shock");
    EXPECT_EQ(Done, shock.exitCode) << shock.output;
    EXPECT_TRUE(HasLine(shock.output, "GSensorEvent uShock=0x501 delivered")) << shock.output;
    const ToolRun movement = RunSensorTool("move");
    EXPECT_EQ(Done, movement.exitCode) << movement.output;
    EXPECT_TRUE(HasLine(movement.output, "GSensorEvent uShock=0x502 delivered")) << movement.output;
    const ToolRun other = RunSensorTool("event 1283");
    EXPECT_EQ(Done, other.exitCode) << other.output;
    EXPECT_TRUE(HasLine(other.output, "GSensorEvent uShock=0x503 delivered")) << other.output;
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(program.get(), 0)) << "the program ended";

    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, WaitForExit(program.get()));
    // The control channel lives in the program and ends with it.
    EXPECT_EQ(Unreachable, RunSensorTool("log").exitCode);
}

TEST_F(SimulatedSensorExe, TheShockOverMessageReportsTheEventFinished)
{
    ASSERT_NO_FATAL_FAILURE(StartWithStoredSetting(1));
    const ToolRun before = RunSensorTool("log");
    ASSERT_EQ(Done, before.exitCode);
    ASSERT_FALSE(HasLine(before.output, "FinishProcessEvent uStatus=1")) << before.output;

    // As any program may post it, with no shock before.
    ASSERT_TRUE(PostMessageA(window, 0x0B02, 0, 0));
    ASSERT_TRUE(LogShows("FinishProcessEvent uStatus=1"));
    const ToolRun after = RunSensorTool("log");
    EXPECT_EQ(1, CountLines(after.output, "FinishProcessEvent uStatus=1")) << after.output;
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(program.get(), 0)) << "the program ended";

    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, WaitForExit(program.get()));
}

TEST_F(SimulatedSensorExe, AShockIsReportedFinishedAfterTheFiveSecondReaction)
{
    ASSERT_NO_FATAL_FAILURE(StartWithStoredSetting(1));

    ASSERT_EQ(Done, RunSensorTool("shock").exitCode);
    ASSERT_TRUE(LogShows("FinishProcessEvent uStatus=1", 20s));

    // Both times are taken inside the program, so starting the tool does not count. The
    // reaction animates for 127 ticks of its 40 ms timer, about 5080 ms, before it reports
    // the end; a loaded machine makes the timer late, never early.
    const ToolRun timeline = RunSensorTool("timeline");
    ASSERT_EQ(Done, timeline.exitCode) << timeline.output;
    const auto shockAt = TimeOf(timeline.output, "GSensorEvent uShock=0x501 delivered");
    const auto finishedAt = TimeOf(timeline.output, "FinishProcessEvent uStatus=1");
    ASSERT_TRUE(shockAt && finishedAt) << timeline.output;
    EXPECT_GE(*finishedAt - *shockAt, 4900ms) << timeline.output;
    EXPECT_LE(*finishedAt - *shockAt, 7000ms) << timeline.output;

    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, WaitForExit(program.get()));
    // The control channel lives in the program and ends with it.
    EXPECT_EQ(Unreachable, RunSensorTool("log").exitCode);
}

} // namespace
