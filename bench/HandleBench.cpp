// Handles and memory: the GDI and USER objects, the kernel handles and the memory of the
// program before and after many shock reactions, and after opening and closing each of
// its windows many times. The program's code runs in this process (the main window, tray
// icon and timers on the simulated provider and power library), since Wine counts GUI
// objects only from inside a process; the provider keeps no record meanwhile, so that
// only the program's memory can grow. Each figure's baseline is the count before: the
// goal is no growth.
//
// HandleBench.exe [REACTIONS [OPENINGS]]   (two batches of 1000 reactions, two of 100 openings of each window)
#include "MessagePump.h"
#include "ProcessCounts.h"
#include "Report.h"

#include "PowerLibrary.h"
#include "SimProvider.h"
#include "app/Form1.h"
#include "app/TickClock.h"
#include "password/SetPW.h"
#include "password/WarningForm.h"
#include "platform/Messages.h"
#include "platform/WMI.h"
#include "protection/PassWordVerify.h"
#include "ui/AboutWindow.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

using testsupport::PumpUntil;

constexpr wchar_t SettingsKey[] = L"Software\\QuenTremorlinkBench\\Handles";

class LastShockState final : public ShockStateControl {
public:
    BOOL Send(const GSENSOR_DATA& data) override
    {
        last = data[0];
        return TRUE;
    }
    int last = -1;
};

// Lets the last reaction's timers run out: the animation's end, the second balloon and
// its removal.
void Rest() { testsupport::PumpFor(std::chrono::milliseconds(3500)); }

// One report of a shock through the provider, then the message that ends the reaction.
bool ShockReaction(sim::Provider& provider, const Form1& form, const LastShockState& drive)
{
    if (!provider.FireEvents({0x501}) || !PumpUntil([&] { return drive.last == 1; }, std::chrono::seconds(5))) {
        return false;
    }
    PostMessageW(form.Handle(), WM_TL_SHOCK_OVER, 0, 0);
    return PumpUntil([&] { return drive.last == 0; }, std::chrono::seconds(5));
}

ui::SkinnedWindow* closing = nullptr;

void CALLBACK CloseWhenShown(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    KillTimer(nullptr, timer);
    if (closing != nullptr) {
        closing->Close();
    }
}

// Makes the window, shows it in its own modal loop, as the program does, and closes it once
// it has painted: a timer's message comes only when no other is waiting.
void OpenAndClose(ui::SkinnedWindow& window)
{
    if (!window.Create()) {
        std::fprintf(stderr, "HandleBench: a window could not be made\n");
        return;
    }
    closing = &window;
    SetTimer(nullptr, 0, 1, &CloseWhenShown);
    window.ShowModal();
    closing = nullptr;
}

void OpenEachWindow(const SettingsStore& settings)
{
    {
        ui::AboutWindow about;
        OpenAndClose(about);
    }
    {
        SetPW dialog(settings);
        OpenAndClose(dialog);
        WarningForm warning(dialog.Ref());
        OpenAndClose(warning);
    }
    {
        const TickClock clock;
        PassWordVerify prompt(settings, clock);
        OpenAndClose(prompt);
    }
}

struct Counts {
    bench::ProcessCounts handles;
    bench::Memory memory;
};

Counts CountNow()
{
    return {bench::CountThisProcess(), bench::MemoryOf(GetCurrentProcess()).value_or(bench::Memory{})};
}

// Wine reports no private bytes: then the working set.
void PrintMemory(const std::string& after, const bench::Memory& before, const bench::Memory& now, bench::Goal goal,
                 int runs)
{
    const bool privateBytes = before.privateKiB > 0;
    const auto kiB = [privateBytes](const bench::Memory& memory) {
        return bench::Value{privateBytes ? memory.privateKiB : memory.workingSetKiB, "KiB"};
    };
    bench::PrintRow(((privateBytes ? "private bytes " : "working set ") + after).c_str(), kiB(now), kiB(before), goal,
                    runs);
}

void PrintHandles(const std::string& after, const bench::ProcessCounts& before, const bench::ProcessCounts& now,
                  int runs)
{
    bench::PrintRow(("GDI objects " + after).c_str(), {static_cast<double>(now.gdiObjects), ""},
                    {static_cast<double>(before.gdiObjects), ""}, bench::Goal::NoGrowth(), runs);
    bench::PrintRow(("USER objects " + after).c_str(), {static_cast<double>(now.userObjects), ""},
                    {static_cast<double>(before.userObjects), ""}, bench::Goal::NoGrowth(), runs);
    bench::PrintRow(("kernel handles " + after).c_str(), {static_cast<double>(now.kernelHandles), ""},
                    {static_cast<double>(before.kernelHandles), ""}, bench::Goal::NoGrowth(), runs);
}

} // namespace

int main(int argc, char** argv)
{
    const int reactions = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int openings = argc > 2 ? std::atoi(argv[2]) : 100;
    GetDesktopWindow();
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);

    int status = 0;
    {
        sim::Provider provider;
        WMI wmi(provider.Locator());
        sim::PowerLibrary power;
        // The main window keeps a reference to the table.
        const PowerFunctions powerFunctions = power.Functions();
        LastShockState drive;
        const SettingsStore settings(HKEY_CURRENT_USER, SettingsKey);
        Form1 form(wmi, settings, drive, powerFunctions);

        // What is made once and kept (fonts, pictures, classes) is made before the first count.
        if (!form.Create() || !ShockReaction(provider, form, drive)) {
            std::fprintf(stderr, "HandleBench: the program did not react to a shock\n");
            return 1;
        }
        OpenEachWindow(settings);
        provider.SetRecording(false);
        Rest();
        const Counts atRest = CountNow();

        // Two batches: the heap takes a few pages once for what the first reactions leave
        // in it; growth that repeats shows in the second.
        const auto react = [&] {
            for (int index = 0; index < reactions && status == 0; ++index) {
                if (!ShockReaction(provider, form, drive)) {
                    std::fprintf(stderr, "HandleBench: a shock reaction did not end\n");
                    status = 1;
                }
            }
            Rest();
            return CountNow();
        };
        const Counts afterFirst = react();
        const Counts afterSecond = react();

        // Two batches here too: the first openings after the reactions take some heap and
        // the imaging component's caches once.
        const auto open = [&] {
            for (int index = 0; index < openings; ++index) {
                OpenEachWindow(settings);
            }
            Rest();
            return CountNow();
        };
        const Counts afterWindows = open();
        const Counts afterMoreWindows = open();

        if (status == 0) {
            const std::string batch = std::to_string(reactions);
            PrintMemory("after the first " + batch + " shock reactions", atRest.memory, afterFirst.memory,
                        bench::Goal::Report(), reactions);
            PrintMemory("after " + batch + " more shock reactions", afterFirst.memory, afterSecond.memory,
                        bench::Goal::NoGrowth(), reactions);
            PrintHandles("after " + std::to_string(2 * reactions) + " shock reactions", atRest.handles,
                         afterSecond.handles, 2 * reactions);
            const std::string times = std::to_string(openings) + "x";
            PrintMemory("after the first " + times + " each window", afterSecond.memory, afterWindows.memory,
                        bench::Goal::Report(), openings);
            PrintMemory("after " + times + " more each window", afterWindows.memory, afterMoreWindows.memory,
                        bench::Goal::NoGrowth(), openings);
            PrintHandles("after " + std::to_string(2 * openings) + "x each window", afterSecond.handles,
                         afterMoreWindows.handles, 2 * openings);
            bench::PrintNote(std::string("windows opened and closed: about, create password, warning, password "
                                         "prompt with its blocking windows; ") +
                             bench::CountingMethod());
        }
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        PumpUntil([&] { return form.Handle() == nullptr; }, std::chrono::seconds(5));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    return status;
}
