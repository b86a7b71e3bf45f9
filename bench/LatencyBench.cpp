// Shock report to drive: from the provider's call of the sink's Indicate, on a delivery
// thread, to the moment the program asks the drive's shock-state control to send state 1.
// The program is the real one (TremorlinkMain with its main window, tray icon and timers)
// subscribed to the simulated provider, with a shock-state control that notes the time
// instead of reaching a drive. The baseline is the floor of any design that hands the event
// to the window's thread: one thread posts a message to a window of another thread, which
// notes its dispatch. A second baseline also finds the main window before it posts, as the
// sink does for every event. One warm thread delivers to all three, in
// alternating blocks: WMI delivers from pooled threads, and under Wine the window calls of
// a new thread cost more.
//
// LatencyBench.exe [EVENTS [SPACING_MS]]   (10000 events, each 10 ms after the last was handled)
#include "MessagePump.h"
#include "Report.h"
#include "SimProvider.h"
#include "app/TremorlinkMain.h"
#include "Handles.h"
#include "platform/Messages.h"
#include "platform/WMI.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\QuenTremorlinkBench\\Latency";
constexpr int BlockSize = 500;
constexpr DWORD ArrivalTimeoutMs = 5000;

// The counter reading of the last arrival on the receiving side, handed to the driver.
class Arrivals {
public:
    void Note() noexcept
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        m_at = now.QuadPart;
        SetEvent(m_arrived.get());
    }
    // The reading of the next arrival, or 0 when none came in time.
    LONGLONG Wait() const noexcept
    {
        return WaitForSingleObject(m_arrived.get(), ArrivalTimeoutMs) == WAIT_OBJECT_0 ? m_at : 0;
    }

private:
    tl::unique_handle m_arrived{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    LONGLONG m_at = 0;
};

Arrivals driveArrivals;
Arrivals baselineArrivals;

class TimedShockState final : public ShockStateControl {
public:
    BOOL Send(const GSENSOR_DATA& data) override
    {
        if (data[0] == 1) {
            driveArrivals.Note();
        }
        return TRUE;
    }
};

std::unique_ptr<ShockStateControl> OpenTimedShockState() { return std::make_unique<TimedShockState>(); }
bool Administrator() { return true; }

LRESULT CALLBACK BaselineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_APP) {
        baselineArrivals.Note();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The baseline's receiving thread: a window of its own and a plain message loop.
DWORD WINAPI BaselineReceiver(void* windowOut) noexcept
{
    const tl::unique_hwnd window =
        testsupport::MakeWindow({.className = L"QuenTremorlinkBenchReceiver", .procedure = &BaselineWindowProc});
    *static_cast<HWND*>(windowOut) = window.get();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

struct Run {
    sim::Provider* provider = nullptr;
    int events = 0;
    DWORD spacingMs = 0;
    double ticksPerMicrosecond = 1;
    HWND mainWindow = nullptr;
    HWND baselineWindow = nullptr;
    std::vector<double> program;
    std::vector<double> baseline;
    std::vector<double> lookupBaseline;
    const char* failure = nullptr;
};

double Microseconds(const Run& run, LONGLONG from, LONGLONG to)
{
    return static_cast<double>(to - from) / run.ticksPerMicrosecond;
}

// Events are spaced apart: the next one comes once the receiving thread has finished with
// the last (for the program, the tray icon and balloon that follow the drive's state).
bool WaitUntilIdle(HWND window)
{
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, ArrivalTimeoutMs, nullptr) != 0;
}

// One shock report to the program's sink; false when the program never asked for the drive.
bool ProgramEvent(Run& run, IWbemObjectSink& sink, IWbemClassObject* shock)
{
    LARGE_INTEGER delivered;
    QueryPerformanceCounter(&delivered);
    sink.Indicate(1, &shock);
    const LONGLONG arrived = driveArrivals.Wait();
    if (arrived == 0) {
        return false;
    }
    run.program.push_back(Microseconds(run, delivered.QuadPart, arrived));
    return WaitUntilIdle(run.mainWindow);
}

// One posted message; lookUp: the poster first finds the main window by its class and
// title, as the program's sink does for every event.
bool BaselineEvent(Run& run, bool lookUp)
{
    LARGE_INTEGER posted;
    QueryPerformanceCounter(&posted);
    if (lookUp && FindWindowA(MainWindowClass, MainWindowTitle) == nullptr) {
        return false;
    }
    PostMessageW(run.baselineWindow, WM_APP, 0, 0);
    const LONGLONG arrived = baselineArrivals.Wait();
    if (arrived == 0) {
        return false;
    }
    (lookUp ? run.lookupBaseline : run.baseline).push_back(Microseconds(run, posted.QuadPart, arrived));
    return WaitUntilIdle(run.baselineWindow);
}

// Feeds both sides in alternating blocks.
void Feed(Run& run)
{
    const Microsoft::WRL::ComPtr<IWbemObjectSink> sink = run.provider->Subscriber();
    const Microsoft::WRL::ComPtr<IWbemClassObject> shock = sim::MakeEvent(0x501);
    for (int sent = 0; sent < run.events && run.failure == nullptr; sent += BlockSize) {
        for (int index = 0; index < BlockSize && run.failure == nullptr; ++index) {
            if (!ProgramEvent(run, *sink.Get(), shock.Get())) {
                run.failure = "a shock report never reached the drive";
            }
            Sleep(run.spacingMs);
        }
        for (const bool lookUp : {false, true}) {
            for (int index = 0; index < BlockSize && run.failure == nullptr; ++index) {
                if (!BaselineEvent(run, lookUp)) {
                    run.failure = "a posted message was never dispatched";
                }
                Sleep(run.spacingMs);
            }
        }
    }
}

// Waits for the program to come up, feeds it, then closes its window.
DWORD WINAPI Driver(void* context) noexcept
{
    Run& run = *static_cast<Run*>(context);
    // WMI's delivery threads belong to the multithreaded apartment.
    const bool comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    for (int waited = 0; waited < 3000 && (run.mainWindow == nullptr || !run.provider->Subscribed()); ++waited) {
        Sleep(10);
        run.mainWindow = FindWindowA(nullptr, MainWindowTitle);
    }
    if (run.mainWindow == nullptr || !run.provider->Subscribed()) {
        run.failure = "the program's window never came up subscribed to the provider";
    }
    if (run.failure == nullptr) {
        Feed(run);
    }
    PostMessageA(run.mainWindow, WM_CLOSE, 0, 0);
    if (comInitialized) {
        CoUninitialize();
    }
    return 0;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) noexcept
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    const int events = argc > 1 ? std::atoi(argv[1]) : 10000;
    const auto spacingMs = static_cast<DWORD>(argc > 2 ? std::atoi(argv[2]) : 10);
    if (events < BlockSize) {
        std::fprintf(stderr, "LatencyBench: at least %d events\n", BlockSize);
        return 2;
    }
    GetDesktopWindow();
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);

    sim::Provider provider;
    WMI wmi(provider.Locator());
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    Run run;
    run.provider = &provider;
    run.events = events;
    run.spacingMs = spacingMs;
    run.ticksPerMicrosecond = static_cast<double>(frequency.QuadPart) / 1e6;

    const tl::unique_handle receiver(CreateThread(nullptr, 0, &BaselineReceiver, &run.baselineWindow, 0, nullptr));
    while (run.baselineWindow == nullptr) {
        Sleep(1);
    }
    const tl::unique_handle driver(CreateThread(nullptr, 0, &Driver, &run, 0, nullptr));
    TremorlinkMain(wmi, SettingsStore(HKEY_CURRENT_USER, SettingsKey), &Administrator, &OpenTimedShockState);
    WaitForSingleObject(driver.get(), INFINITE);
    PostMessageW(run.baselineWindow, WM_QUIT, 0, 0);
    WaitForSingleObject(receiver.get(), INFINITE);
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);

    if (run.failure != nullptr) {
        std::fprintf(stderr, "LatencyBench: %s\n", run.failure);
        return 1;
    }
    const auto count = static_cast<int>(run.program.size());
    bench::PrintRow("shock report to drive, median", {bench::Median(run.program), "us", 1},
                    {bench::Median(run.baseline), "us", 1}, bench::Goal::RatioAtMost(1.5), count);
    bench::PrintRow("shock report to drive, p99", {bench::Quantile(run.program, 0.99), "us", 1},
                    {bench::Quantile(run.baseline, 0.99), "us", 1}, bench::Goal::RatioAtMost(2), count);
    bench::PrintRow("shock report to drive, median, vs post + lookup", {bench::Median(run.program), "us", 1},
                    {bench::Median(run.lookupBaseline), "us", 1}, bench::Goal::Report(), count);
    bench::PrintRow("shock report to drive, maximum", {bench::Quantile(run.program, 1), "us", 1},
                    {bench::Quantile(run.baseline, 1), "us", 1}, bench::Goal::Report(), count);
    int windows = 0;
    EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&windows));
    bench::PrintNote("shock report to drive: events " + std::to_string(spacingMs) +
                     " ms after the last was handled, in alternating blocks of " + std::to_string(BlockSize) + "; " +
                     std::to_string(windows) + " top-level windows on the desktop");
    return 0;
}
