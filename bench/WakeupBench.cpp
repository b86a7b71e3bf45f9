// Wake-ups at rest: the context switches of the program's threads over 10 s while nothing
// happens, after a shock reaction has run out, and while armed. The program's code runs in
// a child process of this one (the main window, tray icon and timers on the simulated
// provider and power library), so that the measuring is not counted. The baseline is the
// same child before the program starts, holding a bare hidden window and a tray icon.
// Under Wine a Windows thread is a Linux thread, and the kernel counts its switches in
// /proc; the child is found there by its command line.
//
// WakeupBench.exe [SECONDS]   (10)
#include "ChildProcess.h"
#include "Report.h"

#include "PowerLibrary.h"
#include "SimProvider.h"
#include "app/Form1.h"
#include "Handles.h"
#include "platform/WMI.h"
#include "protection/PassWordVerify.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\QuenTremorlinkBench\\Wakeups";
constexpr char ChildSwitch[] = "--program";
constexpr int PhaseCount = 4; // bare, quiet, after a reaction, armed

std::wstring EventName(DWORD parent, const wchar_t* what)
{
    return L"QuenTremorlinkBench.Wakeups." + std::to_wstring(parent) + L"." + what;
}

// The child's side: the phases, each announced with "ready" once it is set up and left
// when the parent says "go", the driver thread blocked meanwhile so that it adds nothing.
struct Phases {
    DWORD mainThread = 0;
    sim::Provider* provider = nullptr;
    SettingsStore* settings = nullptr;
    HANDLE ready = nullptr;
    HANDLE go = nullptr;
    HANDLE bareDone = nullptr; // the baseline is measured: the program may start
    std::atomic<HWND> mainWindow = nullptr;
};

void Announce(const Phases& phases)
{
    SetEvent(phases.ready);
    WaitForSingleObject(phases.go, INFINITE);
}

DWORD WINAPI Driver(void* context) noexcept
{
    Phases& phases = *static_cast<Phases*>(context);
    Sleep(2000);
    Announce(phases);
    SetEvent(phases.bareDone);

    for (int waited = 0; waited < 3000 && phases.mainWindow.load() == nullptr; ++waited) {
        Sleep(10);
    }
    // Start-up is over; then nothing happens.
    Sleep(3000);
    Announce(phases);

    // A reaction: five seconds of animation, the second balloon two seconds later and its
    // removal; then the timers rest again.
    phases.provider->FireEvents({0x501});
    Sleep(10000);
    Announce(phases);

    // Armed: the password prompt is up and polls.
    if (!phases.settings->WriteUserPassword(L"bench")) {
        // Without a password the menu would open the create-password dialog, not the prompt.
        std::fprintf(stderr, "WakeupBench: the password could not be stored\n");
        ExitProcess(1);
    }
    PostMessageW(phases.mainWindow.load(), WM_COMMAND, Form1::menuItem2, 0);
    for (int waited = 0; waited < 3000 && FindWindowW(nullptr, PassWordVerify::Title) == nullptr; ++waited) {
        Sleep(10);
    }
    Sleep(1000);
    Announce(phases);
    // A quit request ends the prompt and the program, still armed; nothing of it outlives
    // this process, since its settings and power library are the benchmark's own.
    PostThreadMessageW(phases.mainThread, WM_QUIT, 0, 0);
    return 0;
}

// The baseline: a hidden window with a tray icon, served by this thread until the driver
// is done with it.
void RunBareTray(HANDLE done)
{
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"QUEN_Tremorlink_Bare", WS_OVERLAPPED, 0, 0, 10,
                                        10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(icon.szTip, L"bare", ARRAYSIZE(icon.szTip));
    Shell_NotifyIconW(NIM_ADD, &icon);
    while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    Shell_NotifyIconW(NIM_DELETE, &icon);
    DestroyWindow(window);
}

int RunProgram(DWORD parent)
{
    GetDesktopWindow();
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    {
        const tl::unique_handle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, EventName(parent, L"ready").c_str()));
        const tl::unique_handle go(OpenEventW(SYNCHRONIZE, FALSE, EventName(parent, L"go").c_str()));
        if (!ready || !go) {
            return 1;
        }
        sim::Provider provider;
        WMI wmi(provider.Locator());
        sim::PowerLibrary power;
        // The main window keeps a reference to the table.
        const PowerFunctions powerFunctions = power.Functions();
        struct NoDrive final : ShockStateControl {
            BOOL Send(const GSENSOR_DATA&) override { return TRUE; }
        } drive;
        SettingsStore settings(HKEY_CURRENT_USER, SettingsKey);
        const tl::unique_handle bareDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        Phases phases;
        phases.mainThread = GetCurrentThreadId();
        phases.provider = &provider;
        phases.settings = &settings;
        phases.ready = ready.get();
        phases.go = go.get();
        phases.bareDone = bareDone.get();

        const tl::unique_handle driver(CreateThread(nullptr, 0, &Driver, &phases, 0, nullptr));
        RunBareTray(bareDone.get());
        Form1 form(wmi, settings, drive, powerFunctions);
        if (!form.Create()) {
            std::fprintf(stderr, "WakeupBench: the main window could not be made\n");
            return 1;
        }
        phases.mainWindow = form.Handle();
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        WaitForSingleObject(driver.get(), INFINITE);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    return 0;
}

// The measuring side.

// The whole of a file, read through the Z: drive that maps the Linux root.
std::string ReadLinuxFile(const std::wstring& path)
{
    std::ifstream file{std::filesystem::path(path), std::ios::binary};
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The value of a "Name:\tvalue" line of a /proc status file, 0 when it has none.
long StatusValue(const std::string& status, const std::string& name)
{
    const size_t at = status.find("\n" + name + ":");
    return at == std::string::npos ? 0 : std::atol(status.c_str() + at + name.size() + 2);
}

// The Linux process whose command line is this one; 0 when none or several are.
long LinuxProcess(const std::string& commandLine)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    long match = 0;
    int matches = 0;
    do {
        const long process = std::wcstol(found.cFileName, nullptr, 10);
        if (process == 0) {
            continue;
        }
        std::string arguments = ReadLinuxFile(L"Z:\\proc\\" + std::wstring(found.cFileName) + L"\\cmdline");
        for (char& c : arguments) {
            c = c == '\0' ? ' ' : c;
        }
        if (arguments.find(commandLine) != std::string::npos) {
            match = process;
            ++matches;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return matches == 1 ? match : 0;
}

// The context switches of every thread of a Linux process so far.
long Switches(long process)
{
    const std::wstring tasks = L"Z:\\proc\\" + std::to_wstring(process) + L"\\task\\";
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    long total = 0;
    do {
        if (std::wcstol(found.cFileName, nullptr, 10) != 0) {
            const std::string status = ReadLinuxFile(tasks + found.cFileName + L"\\status");
            total += StatusValue(status, "voluntary_ctxt_switches") + StatusValue(status, "nonvoluntary_ctxt_switches");
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total;
}

void PrintRow(const std::string& figure, long program, long bare, bench::Goal goal)
{
    bench::PrintRow(figure.c_str(), {static_cast<double>(program), ""}, {static_cast<double>(bare), ""}, goal, 1);
}

int Measure(DWORD seconds)
{
    const DWORD self = GetCurrentProcessId();
    const tl::unique_handle ready(CreateEventW(nullptr, FALSE, FALSE, EventName(self, L"ready").c_str()));
    const tl::unique_handle go(CreateEventW(nullptr, FALSE, FALSE, EventName(self, L"go").c_str()));
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::string childSwitch = ChildSwitch;
    const tl::unique_handle process =
        testsupport::Launch(L"\"" + std::wstring(exe) + L"\" " + std::wstring(childSwitch.begin(), childSwitch.end()) +
                            L" " + std::to_wstring(self));
    if (!process) {
        std::fprintf(stderr, "WakeupBench: the program's process did not start\n");
        return 1;
    }

    long counts[PhaseCount]{};
    long linuxProcess = 0;
    for (long& count : counts) {
        const HANDLE waits[] = {ready.get(), process.get()};
        if (WaitForMultipleObjects(2, waits, FALSE, 60000) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "WakeupBench: the program's process ended or hung before it was measured\n");
            testsupport::EndIfRunning(process.get());
            return 1;
        }
        if (linuxProcess == 0) {
            linuxProcess = LinuxProcess(" " + childSwitch + " " + std::to_string(self));
        }
        if (linuxProcess == 0) {
            std::fprintf(stderr, "WakeupBench: the program's threads cannot be read here (Wine only)\n");
            testsupport::EndIfRunning(process.get());
            return 1;
        }
        const long before = Switches(linuxProcess);
        Sleep(seconds * 1000);
        count = Switches(linuxProcess) - before;
        SetEvent(go.get());
    }
    WaitForSingleObject(process.get(), 30000);

    const std::string span = "wake-ups in " + std::to_string(seconds) + " s, ";
    PrintRow(span + "quiet", counts[1], counts[0], bench::Goal::Zero());
    PrintRow(span + "after a shock reaction", counts[2], counts[0], bench::Goal::Zero());
    PrintRow(span + "armed", counts[3], counts[0], bench::Goal::Report());
    bench::PrintNote("wake-ups: context switches of all the program process's threads; the baseline is the same "
                     "process holding a bare hidden window and tray icon; armed, the password prompt polls every " +
                     std::to_string(PassWordVerify::PollInterval) + " ms");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == ChildSwitch) {
        return RunProgram(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    }
    return Measure(static_cast<DWORD>(argc > 1 ? std::atoi(argv[1]) : 10));
}
