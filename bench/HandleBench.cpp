// Handles: the GDI and USER objects and the kernel handles of the program before and
// after many shock reactions, and after opening and closing each of its windows many
// times. The program's code runs in this process (the main window, tray icon and timers on
// the simulated provider and power library), since Wine counts GUI objects only from
// inside a process. Each figure's baseline is the count before: the goal is no growth.
//
// HandleBench.exe [REACTIONS [OPENINGS]]   (1000 reactions, 100 openings of each window)
#include "ProcessCounts.h"
#include "Report.h"

#include "PowerLibrary.h"
#include "SimProvider.h"
#include "app/Form1.h"
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

// Dispatches this thread's messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Lets the last reaction's timers run out: the animation's end, the second balloon and
// its removal.
void Rest()
{
    PumpUntil([] { return false; }, std::chrono::milliseconds(3500));
}

// One report of a shock through the provider, then the message that ends the reaction.
bool ShockReaction(sim::Provider& provider, const Form1& form, const LastShockState& drive)
{
    if (!provider.FireEvents({0x501}) || !PumpUntil([&] { return drive.last == 1; }, std::chrono::seconds(5))) {
        return false;
    }
    PostMessageW(form.Handle(), WM_TL_SHOCK_OVER, 0, 0);
    return PumpUntil([&] { return drive.last == 0; }, std::chrono::seconds(5));
}

SkinnedWindow* closing = nullptr;

void CALLBACK CloseWhenShown(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    KillTimer(nullptr, timer);
    if (closing != nullptr) {
        closing->Close();
    }
}

// Shows the window in its own modal loop, as the program does, and closes it once it has
// painted: a timer's message comes only when no other is waiting.
void OpenAndClose(SkinnedWindow& window)
{
    closing = &window;
    SetTimer(nullptr, 0, 1, &CloseWhenShown);
    window.ShowModal();
    closing = nullptr;
}

void OpenEachWindow(const SettingsStore& settings)
{
    {
        AboutWindow about;
        OpenAndClose(about);
    }
    {
        SetPW dialog(settings);
        OpenAndClose(dialog);
        WarningForm warning(dialog.Handle());
        OpenAndClose(warning);
    }
    {
        PassWordVerify prompt(settings);
        OpenAndClose(prompt);
    }
}

void PrintCounts(const std::string& after, const bench::ProcessCounts& before, const bench::ProcessCounts& now,
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
        if (form.Handle() == nullptr || !ShockReaction(provider, form, drive)) {
            std::fprintf(stderr, "HandleBench: the program did not react to a shock\n");
            return 1;
        }
        OpenEachWindow(settings);
        Rest();
        const bench::ProcessCounts atRest = bench::CountThisProcess();

        for (int index = 0; index < reactions && status == 0; ++index) {
            if (!ShockReaction(provider, form, drive)) {
                std::fprintf(stderr, "HandleBench: shock reaction %d did not end\n", index + 1);
                status = 1;
            }
        }
        Rest();
        const bench::ProcessCounts afterReactions = bench::CountThisProcess();

        for (int index = 0; index < openings; ++index) {
            OpenEachWindow(settings);
        }
        Rest();
        const bench::ProcessCounts afterWindows = bench::CountThisProcess();

        if (status == 0) {
            PrintCounts("after " + std::to_string(reactions) + " shock reactions", atRest, afterReactions, reactions);
            PrintCounts("after " + std::to_string(openings) + "x each window", afterReactions, afterWindows, openings);
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
