// StartupBench.exe: measures the real Tremorlink.exe from outside, against BareTray.exe
// started and measured by the same code in the same run.
//   StartupBench startup N <Tremorlink.exe> <BareTray.exe>
//     the time from process creation until the main window is found by its title and its
//     tray icon is there; N runs of each of the program, the bare tray program and the
//     bare tray program that connects to root\wmi, in alternating order.
//   StartupBench memory N <Tremorlink.exe> <BareTray.exe>
//     the memory of the three at rest after start-up, N starts of each in alternating
//     order. (Memory and handles over many shock reactions are HandleBench's: it runs the
//     program's code with a simulated provider that keeps no record meanwhile.)
//   StartupBench arming N <Tremorlink.exe> <BareTray.exe>
//     the peak working set of the program once anti-theft is armed, against the same
//     process at rest before, on one monitor of 1920x1080; N starts. The program is ended
//     while armed and started once more, which puts back all that arming changed. Then
//     what arming adds against what the bare program adds by covering the monitor with a
//     plain window: under Wine every window's pixels are kept in its own process, which
//     on Windows the desktop window manager keeps in its own.
// Prints rows of the benchmark table (Report.h) on stdout. What could not be measured is
// told on stderr, with exit code 1 (2 for a wrong command line).
#include "BareTray.h"
#include "ChildProcess.h"
#include "Report.h"
#include "ProcessCounts.h"
#include "app/Form1.h"
#include "Handles.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "protection/PassWordVerify.h"
#include "protection/blockscreen.h"

#include <windows.h>
#include <shellapi.h>
#include <timeapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr int Unmeasured = 1;
constexpr int Usage = 2;

constexpr DWORD ReadyTimeoutMs = 30000;
constexpr DWORD EndTimeoutMs = 30000;
// After start-up, until the work that start-up left (deferred messages, the first timer
// ticks, the heap's first trims) is over.
constexpr DWORD SettleMs = 2000;
// The tray icon id of the program (Form1::TrayIconId) and of the bare program.
constexpr UINT TrayIconId = BareTrayIconId;

// The screen that arming is measured on: the blocking windows and the prompt are made for
// the monitor's size, and a full-HD notebook screen is the common case.
constexpr SIZE ArmingScreen{1920, 1080};
// Any stored digest arms without the create-password dialog. No one types the password:
// the armed program is ended, and its next start puts everything back.
constexpr wchar_t ArmingPasswordDigest[] = L"0123456789ABCDEF0123456789ABCDEF01234567";

constexpr char UsageText[] = "usage: StartupBench startup N <Tremorlink.exe> <BareTray.exe>\n"
                             "       StartupBench memory N <Tremorlink.exe> <BareTray.exe>\n"
                             "       StartupBench arming N <Tremorlink.exe> <BareTray.exe>\n";

struct Subject {
    const char* name; // for the notes and messages
    std::wstring commandLine;
    const char* title;
};

// A started subject. One dropped while it still runs, by a measurement that failed half
// way, is ended, so that it never stands beside the next start.
struct Running {
    Running(tl::unique_handle processHandle, DWORD id) noexcept : process(std::move(processHandle)), processId(id) {}
    Running(Running&&) noexcept = default;
    Running& operator=(Running&&) noexcept = default;
    ~Running() { testsupport::EndIfRunning(process.get(), EndTimeoutMs); }

    tl::unique_handle process;
    DWORD processId = 0;
    HWND window = nullptr;
    double readyMs = 0;
};

bool Fail(const std::string& message)
{
    std::fprintf(stderr, "StartupBench: %s\n", message.c_str());
    std::fflush(stderr);
    return false;
}

std::string ErrorText(const std::string& what, DWORD error) { return what + " (error " + std::to_string(error) + ")"; }

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// A modify that changes nothing succeeds only for an icon the notification area holds.
bool TrayIconAdded(HWND window)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = TrayIconId;
    data.uFlags = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// The window if that process owns it, else nullptr.
HWND OwnedBy(HWND window, DWORD processId)
{
    DWORD owner = 0;
    if (window != nullptr && GetWindowThreadProcessId(window, &owner) != 0 && owner == processId) {
        return window;
    }
    return nullptr;
}

// The window of that process with that title, else nullptr.
HWND FindOwnWindow(const char* title, DWORD processId) { return OwnedBy(FindWindowA(nullptr, title), processId); }

// Starts the subject and returns once its window and tray icon are there; readyMs counts
// from just before the process is created.
std::optional<Running> StartUntilReady(const Subject& subject)
{
    std::wstring commandLine = subject.commandLine; // copied before the clock starts
    DWORD processId = 0;
    const LARGE_INTEGER start = Now();
    tl::unique_handle process = testsupport::Launch(std::move(commandLine), &processId);
    if (!process) {
        Fail(ErrorText(std::string("cannot start ") + subject.name, GetLastError()));
        return std::nullopt;
    }
    Running running(std::move(process), processId);
    for (;;) {
        running.window = FindOwnWindow(subject.title, running.processId);
        if (running.window != nullptr && TrayIconAdded(running.window)) {
            running.readyMs = Milliseconds(start, Now());
            return running;
        }
        if (WaitForSingleObject(running.process.get(), 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(running.process.get(), &code);
            Fail(std::string(subject.name) + " ended with exit code " + std::to_string(code) +
                 " before its window and tray icon were there");
            return std::nullopt;
        }
        if (Milliseconds(start, Now()) > ReadyTimeoutMs) {
            Fail(std::string(subject.name) +
                 (running.window == nullptr ? " showed no window titled \"" : " added no tray icon to its window \"") +
                 subject.title + "\" within " + std::to_string(ReadyTimeoutMs / 1000) + " s");
            return std::nullopt;
        }
        Sleep(1);
    }
}

// Returns once the window's thread has come back to its message loop.
bool WaitUntilIdle(const Running& running, const char* name)
{
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(running.window, WM_NULL, 0, 0, SMTO_NORMAL, EndTimeoutMs, &result) == 0) {
        return Fail(ErrorText(std::string(name) + " did not answer its window's messages", GetLastError()));
    }
    return true;
}

// Closes the window as a user's exit would and waits for the process to end, so that the
// next start never runs beside it.
bool Close(Running& running, const char* name)
{
    PostMessageW(running.window, WM_CLOSE, 0, 0);
    if (testsupport::WaitForExit(running.process.get(), EndTimeoutMs) == STILL_ACTIVE) {
        return Fail(std::string(name) + " did not end within " + std::to_string(EndTimeoutMs / 1000) +
                    " s of WM_CLOSE");
    }
    return true;
}

std::optional<bench::Memory> ReadMemory(const Running& running, const char* name)
{
    const std::optional<bench::Memory> memory = bench::MemoryOf(running.process.get());
    if (!memory) {
        Fail(ErrorText(std::string("cannot read the memory of ") + name, GetLastError()));
    }
    return memory;
}

// Every run of the three subjects, in the order of the subjects.
using Samples = std::array<std::vector<double>, 3>;

// The order of round r: each subject comes first, second and third equally often, so
// that none is always started right after the same other one.
std::array<size_t, 3> RoundOrder(int round)
{
    const auto first = static_cast<size_t>(round % 3);
    return {first, (first + 1) % 3, (first + 2) % 3};
}

std::string Spread(const std::vector<double>& samples, const char* unit)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.1f to %.1f %s", bench::Quantile(samples, 0), bench::Quantile(samples, 1),
                  unit);
    return text;
}

bool MeasureStartup(const std::array<Subject, 3>& subjects, int runs)
{
    // One unmeasured start of each first, so that no figure holds the first load of the
    // files from disk.
    for (const Subject& subject : subjects) {
        std::optional<Running> running = StartUntilReady(subject);
        if (!running || !Close(*running, subject.name)) {
            return false;
        }
    }
    Samples samples;
    for (int round = 0; round < runs; ++round) {
        for (const size_t index : RoundOrder(round)) {
            std::optional<Running> running = StartUntilReady(subjects[index]);
            if (!running) {
                return false;
            }
            samples[index].push_back(running->readyMs);
            if (!Close(*running, subjects[index].name)) {
                return false;
            }
        }
    }
    const bench::Value program{bench::Median(samples[0]), "ms"};
    // Every design that reaches the sensor provider pays for COM and the connection: the
    // program is held to the floor that includes them. Against the bare tray program alone
    // the figure only shows what the connection costs, so it has no goal.
    bench::PrintRow("start-up vs bare tray program", program, {bench::Median(samples[1]), "ms"}, bench::Goal::Report(),
                    runs);
    bench::PrintRow("start-up vs bare tray + root\\wmi connect", program, {bench::Median(samples[2]), "ms"},
                    bench::Goal::RatioAtMost(1.25), runs);
    bench::PrintNote("start-up, from process creation until the window is found and its tray icon added, medians of " +
                     std::to_string(runs) + " runs each in alternating order after one unmeasured start of each");
    bench::PrintNote("start-up spread: program " + Spread(samples[0], "ms") + ", bare tray " +
                     Spread(samples[1], "ms") + ", bare tray + root\\wmi " + Spread(samples[2], "ms"));
    return true;
}

// The memory of each subject, settled after start-up, over that many starts each.
bool MeasureAtRest(const std::array<Subject, 3>& subjects, int runs, std::array<std::vector<bench::Memory>, 3>& atRest)
{
    for (int round = 0; round < runs; ++round) {
        for (const size_t index : RoundOrder(round)) {
            const Subject& subject = subjects[index];
            std::optional<Running> running = StartUntilReady(subject);
            if (!running || !WaitUntilIdle(*running, subject.name)) {
                return false;
            }
            Sleep(SettleMs);
            const std::optional<bench::Memory> memory = ReadMemory(*running, subject.name);
            if (!memory || !Close(*running, subject.name)) {
                return false;
            }
            atRest[index].push_back(*memory);
        }
    }
    return true;
}

bool MeasureMemory(const std::array<Subject, 3>& subjects, int runs)
{
    std::array<std::vector<bench::Memory>, 3> atRest;
    if (!MeasureAtRest(subjects, runs, atRest)) {
        return false;
    }

    // Wine reports no private bytes: then every figure is the working set, the program's
    // and the baselines' alike.
    bool privateBytes = true;
    for (const std::vector<bench::Memory>& runs : atRest) {
        for (const bench::Memory& memory : runs) {
            privateBytes = privateBytes && memory.privateKiB > 0;
        }
    }
    const auto medianKiB = [privateBytes](const std::vector<bench::Memory>& runs) {
        std::vector<double> values;
        for (const bench::Memory& memory : runs) {
            values.push_back(privateBytes ? memory.privateKiB : memory.workingSetKiB);
        }
        return bench::Value{bench::Median(values), "KiB"};
    };
    const bench::Value programAtRest = medianKiB(atRest[0]);
    // As with start-up, the floor is the bare program that connects to root\wmi.
    bench::PrintRow("memory at rest vs bare tray program", programAtRest, medianKiB(atRest[1]), bench::Goal::Report(),
                    runs);
    bench::PrintRow("memory at rest vs bare tray + root\\wmi connect", programAtRest, medianKiB(atRest[2]),
                    bench::Goal::RatioAtMost(1.25), runs);
    if (!privateBytes) {
        bench::PrintNote("Wine reports no private bytes (PrivateUsage 0): the memory figures are the working set");
    }
    bench::PrintNote("memory at rest: " + std::to_string(SettleMs / 1000) + " s after start-up, medians of " +
                     std::to_string(runs) + " starts each in alternating order");
    return true;
}

// Whether the program shows a window of that title.
bool Shows(const Running& running, const wchar_t* title)
{
    const HWND window = OwnedBy(FindWindowW(nullptr, title), running.processId);
    return window != nullptr && IsWindowVisible(window);
}

// Waits until shown() holds and the subject's thread answers again.
bool WaitUntilShown(const Running& running, const char* name, const char* what, bool (*shown)(const Running&))
{
    const ULONGLONG deadline = GetTickCount64() + ReadyTimeoutMs;
    while (!shown(running)) {
        if (WaitForSingleObject(running.process.get(), 0) == WAIT_OBJECT_0) {
            return Fail(std::string(name) + " ended before it showed " + what);
        }
        if (GetTickCount64() > deadline) {
            return Fail(std::string(name) + " showed no " + what + " within " + std::to_string(ReadyTimeoutMs / 1000) +
                        " s");
        }
        Sleep(10);
    }
    return WaitUntilIdle(running, name);
}

// Arms anti-theft with the tray menu's command and returns once the blocking window and
// the password prompt are shown and the program's thread is back in a message loop (the
// prompt's).
bool Arm(const Running& running)
{
    PostMessageW(running.window, WM_COMMAND, Form1::menuItem2, 0);
    return WaitUntilShown(running, "the armed program", "blocking window and password prompt", [](const Running& r) {
        return Shows(r, blockscreen::Title) && Shows(r, PassWordVerify::Title);
    });
}

// Ends the armed program as a power loss would and starts it once more: that start puts
// back the power settings and the input that arming took, so the next run and the other
// figures meet the program as before.
bool EndArmed(Running& armed, const Subject& subject)
{
    if (!testsupport::EndIfRunning(armed.process.get(), EndTimeoutMs)) {
        return Fail("the armed program did not end within " + std::to_string(EndTimeoutMs / 1000) + " s");
    }
    std::optional<Running> restoring = StartUntilReady(subject);
    return restoring && WaitUntilIdle(*restoring, subject.name) && Close(*restoring, subject.name);
}

struct ArmingRun {
    bench::Memory atRest;
    bench::Memory armed;
};

// The bare program at rest, and once it has covered the monitor.
std::optional<ArmingRun> MeasureCoverOnce(const Subject& bare)
{
    std::optional<Running> running = StartUntilReady(bare);
    if (!running || !WaitUntilIdle(*running, bare.name)) {
        return std::nullopt;
    }
    Sleep(SettleMs);
    const std::optional<bench::Memory> atRest = ReadMemory(*running, bare.name);
    PostMessageW(running->window, WM_COMMAND, BareTrayCoverCommand, 0);
    if (!atRest || !WaitUntilShown(*running, bare.name, "window over the monitor", [](const Running& r) {
            const HWND cover = OwnedBy(FindWindowA(nullptr, BareTrayCoverTitle), r.processId);
            return cover != nullptr && IsWindowVisible(cover) != FALSE;
        })) {
        return std::nullopt;
    }
    Sleep(SettleMs);
    const std::optional<bench::Memory> covered = ReadMemory(*running, bare.name);
    if (!covered || !Close(*running, bare.name)) {
        return std::nullopt;
    }
    return ArmingRun{*atRest, *covered};
}

std::optional<ArmingRun> MeasureArmingOnce(const Subject& subject)
{
    std::optional<Running> running = StartUntilReady(subject);
    if (!running || !WaitUntilIdle(*running, subject.name)) {
        return std::nullopt;
    }
    Sleep(SettleMs);
    const std::optional<bench::Memory> atRest = ReadMemory(*running, subject.name);
    if (!atRest) {
        return std::nullopt;
    }
    std::optional<bench::Memory> armed;
    if (Arm(*running)) {
        // The blocking window and the prompt paint and start their timers meanwhile.
        Sleep(SettleMs);
        armed = ReadMemory(*running, "the armed program");
    }
    // Also after an arming that went wrong half way, so that nothing stays armed.
    if (!EndArmed(*running, subject) || !armed) {
        return std::nullopt;
    }
    return ArmingRun{*atRest, *armed};
}

// The figure is the one of that screen: another size of monitor, or more of them, would
// give the blocking windows other sizes.
bool OnArmingScreen()
{
    const int monitors = GetSystemMetrics(SM_CMONITORS);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (monitors == 1 && width == ArmingScreen.cx && height == ArmingScreen.cy) {
        return true;
    }
    return Fail("arming is measured on one monitor of " + std::to_string(ArmingScreen.cx) + "x" +
                std::to_string(ArmingScreen.cy) + "; this desktop has " + std::to_string(monitors) +
                " monitor(s), the primary " + std::to_string(width) + "x" + std::to_string(height));
}

bool MeasureArming(const Subject& subject, const Subject& bare, int runs)
{
    if (!OnArmingScreen()) {
        return false;
    }
    const SettingsStore settings;
    const std::wstring password = settings.ReadUserPassword();
    if (!settings.WriteUserPassword(ArmingPasswordDigest)) {
        return Fail(ErrorText("cannot store a password in the program's settings", GetLastError()));
    }
    std::vector<ArmingRun> measured;
    std::vector<ArmingRun> covered;
    while (static_cast<int>(measured.size()) < runs) {
        const std::optional<ArmingRun> run = MeasureArmingOnce(subject);
        const std::optional<ArmingRun> cover = run ? MeasureCoverOnce(bare) : std::nullopt;
        if (!cover) {
            break;
        }
        measured.push_back(*run);
        covered.push_back(*cover);
    }
    // The password as it was (none, in a prefix that has never been armed by hand).
    if (!settings.WriteUserPassword(password)) {
        return Fail(ErrorText("cannot put the program's password back", GetLastError()));
    }
    if (static_cast<int>(measured.size()) < runs) {
        return false;
    }

    const auto medianMiB = [](const std::vector<ArmingRun>& runs, double (*field)(const ArmingRun&)) {
        std::vector<double> values;
        for (const ArmingRun& run : runs) {
            values.push_back(field(run) / 1024.0);
        }
        return bench::Median(values);
    };
    const auto rest = [](const ArmingRun& run) { return run.atRest.workingSetKiB; };
    const auto peak = [](const ArmingRun& run) { return run.armed.peakWorkingSetKiB; };
    const auto added = [](const ArmingRun& run) { return run.armed.peakWorkingSetKiB - run.atRest.workingSetKiB; };
    const double atRest = medianMiB(measured, rest);
    const double peakAtRest = medianMiB(measured, [](const ArmingRun& run) { return run.atRest.peakWorkingSetKiB; });
    const double peakArmed = medianMiB(measured, peak);
    const std::string screen = std::to_string(ArmingScreen.cx) + "x" + std::to_string(ArmingScreen.cy);
    bench::PrintRow(("peak working set arming on " + screen + " vs at rest").c_str(), {peakArmed, "MiB", 1},
                    {atRest, "MiB", 1}, bench::Goal::AboveAtMost(16, "MiB"), runs);
    bench::PrintRow("peak added by arming vs by a bare window over it", {medianMiB(measured, added), "MiB", 1},
                    {medianMiB(covered, added), "MiB", 1}, bench::Goal::AboveAtMost(16, "MiB"), runs);
    char note[400];
    std::snprintf(note, sizeof(note),
                  "arming on one monitor of %s: the peak working set once the blocking window and the prompt "
                  "have been up %u s is %+.1f MiB above the working set at rest (%u s after start-up; the "
                  "peak until then %.1f MiB); anti-theft armed by the tray menu's command, medians of %d starts",
                  screen.c_str(), static_cast<unsigned>(SettleMs / 1000), peakArmed - atRest,
                  static_cast<unsigned>(SettleMs / 1000), peakAtRest, runs);
    bench::PrintNote(note);
    bench::PrintNote("a bare window over it: the bare tray program covering the same monitor with a plain topmost "
                     "window, peak 2 s later against its own rest; Wine keeps each window's pixels in its process "
                     "(Windows in the desktop window manager's), so what arming adds beyond that is the program's own");
    return true;
}

// The desktop's shell may still be starting when this is the desktop's first program.
bool WaitForTaskbar()
{
    const ULONGLONG deadline = GetTickCount64() + ReadyTimeoutMs;
    while (FindWindowA("Shell_TrayWnd", nullptr) == nullptr) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

// A copy already running would answer in place of the one started, or keep it from starting.
bool NoneRunning(std::span<const Subject> subjects)
{
    for (const Subject& subject : subjects) {
        if (FindWindowA(nullptr, subject.title) != nullptr) {
            return Fail(std::string("a window titled \"") + subject.title +
                        "\" is there already: end that program first");
        }
    }
    return true;
}

std::wstring Quoted(const wchar_t* path) { return L"\"" + std::wstring(path) + L"\""; }

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // Read on a Linux host, through Wine: lines end in a line feed alone.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    const std::wstring_view mode = argc > 1 ? argv[1] : L"";
    if (argc != 5) {
        std::fputs(UsageText, stderr);
        return Usage;
    }
    wchar_t* end = nullptr;
    const long count = std::wcstol(argv[2], &end, 10);
    if ((mode != L"startup" && mode != L"memory" && mode != L"arming") || *end != L'\0' || count < 1 ||
        count > 1000000) {
        std::fputs(UsageText, stderr);
        return Usage;
    }
    const std::string_view connect = BareTrayConnectArgument;
    const std::array<Subject, 3> subjects{{
        {"the program", Quoted(argv[3]), MainWindowTitle},
        {"the bare tray program", Quoted(argv[4]), BareTrayTitle},
        {"the bare tray program with root\\wmi", Quoted(argv[4]) + L" " + std::wstring(connect.begin(), connect.end()),
         BareTrayTitle},
    }};

    // Without this call a fresh process's first FindWindow may fail (Wine).
    GetDesktopWindow();
    // Sleep(1) sleeps 1 ms, not a scheduler tick of 15 ms, while the polls run.
    timeBeginPeriod(1);
    if (!WaitForTaskbar()) {
        Fail("there is no taskbar, so no notification area: run on a desktop with one");
        return Unmeasured;
    }
    const int runs = static_cast<int>(count);
    bool measured = NoneRunning(subjects);
    if (mode == L"arming") {
        measured = measured && MeasureArming(subjects[0], subjects[2], runs);
    } else {
        measured = measured && (mode == L"startup" ? MeasureStartup(subjects, runs) : MeasureMemory(subjects, runs));
    }
    timeEndPeriod(1);
    return measured ? 0 : Unmeasured;
}
