// Anti-theft on the real Tremorlink.exe of this build, with the simulated G-sensor and the
// simulated power library in place, driven as a person would: the tray menu, the
// create-password dialog, the prompt over the blocking window, a movement, the password.
#include "DialogInput.h"
#include "TestWindow.h"
#include "PowerReport.h"
#include "PowerStore.h"
#include "app/SensorTool.h"
#include "app/SimulatedPower.h"
#include "app/SimulatedProvider.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"
#include "Registry.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <chrono>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using namespace testsupport;
using namespace dialoginput;

constexpr UINT TrayCallback = WM_APP + 1;
constexpr UINT TrayIconId = 1;
constexpr char PromptTitle[] = "Quen_Halden_PassWordVerify";
const std::wstring Password = L"tl2026";

const std::vector<std::string> AsItCame{"lid: stand by",
                                        "power button: shut down",
                                        "sleep button: stand by",
                                        "password on resume: on",
                                        "stand-by on AC: after 20 min",
                                        "stand-by on DC: after 5 min",
                                        "hibernation on AC: after 80 min",
                                        "hibernation on DC: after 35 min",
                                        "screen saver: on"};
const std::vector<std::string> WhileArmed{
    "lid: do nothing",          "power button: do nothing",     "sleep button: do nothing",
    "password on resume: off",  "stand-by on AC: after 20 min", "stand-by on DC: after 20 min",
    "hibernation on AC: never", "hibernation on DC: never",     "screen saver: off"};

std::vector<std::string> PowerNow()
{
    BOOL screenSaver = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &screenSaver, 0);
    const std::optional<sim::PowerState> state = sim::ReadStoredPowerState();
    return state ? sim::PowerReport(*state, screenSaver != FALSE) : std::vector<std::string>{"unreadable"};
}

bool WaitUntil(const std::function<bool()>& condition) { return PumpUntil(condition, 20s); }

HWND FindChild(HWND parent, const std::function<bool(HWND)>& test)
{
    const std::vector<HWND> children = ChildrenOf(parent);
    const auto found = std::ranges::find_if(children, test);
    return found != children.end() ? *found : nullptr;
}

// What the lock library's journal holds: one value for each thing it changed and has not
// given back yet, in the machine's scope and every user's and session's below it.
DWORD JournalEntries(const std::wstring& subKey = L"Software\\Quen\\Tremorlink\\WinLock")
{
    const tl::unique_hkey journal = tl::OpenKey(HKEY_LOCAL_MACHINE, subKey.c_str(), KEY_READ | KEY_WOW64_64KEY);
    if (!journal) {
        return 0;
    }
    DWORD scopes = 0;
    DWORD values = 0;
    RegQueryInfoKeyW(journal.get(), nullptr, nullptr, nullptr, &scopes, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    for (DWORD index = 0; index < scopes; ++index) {
        wchar_t name[256];
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(journal.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            values += JournalEntries(subKey + L"\\" + name);
        }
    }
    return values;
}

// The window that has the keyboard focus on window's thread.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Wine routes a key to the window that has the focus when the key is sent, not when it is
// read: keys typed right after a click that has not been handled yet land in the box that
// had the focus before.
void ClickInto(HWND box)
{
    Click(CentreOf(box));
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(box) == box; }, 20s)) << "the click gave the box no focus";
}

class AntiTheftExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!UnderWine()) {
            GTEST_SKIP() << "changes the prefix's settings and power library";
        }
        provider.emplace();
        power.emplace();
        removeSettings.emplace();
        ASSERT_TRUE(provider->InPlace());
        ASSERT_TRUE(power->InPlace());
        ASSERT_TRUE(ParkPointer());
    }

    // The program goes before the power library it holds is taken out of the prefix.
    void TearDown() override { EndIfRunning(program.get()); }

    HWND Start()
    {
        program = StartTremorlink();
        const HWND window = WaitForMainWindow(program.get());
        EXPECT_NE(nullptr, window);
        return window;
    }

    // Right-click on the tray icon and the menu's second item, Anti-Theft.
    static void ChooseAntiTheft(HWND mainWindow)
    {
        PostMessageW(mainWindow, TrayCallback, TrayIconId, WM_RBUTTONUP);
        ASSERT_NE(nullptr, WaitForShownWindow<wchar_t>(nullptr, L"#32768")) << "no tray menu";
        Stroke(VK_DOWN);
        Stroke(VK_DOWN);
        Stroke(VK_RETURN);
    }

    static HWND WaitForPrompt() { return WaitForShownWindow(PromptTitle); }

    // The prompt's message: the label that shows one of its texts.
    static std::wstring MessageOf(HWND prompt)
    {
        const HWND label = FindChild(prompt, [](HWND w) {
            const std::wstring text = TextOf(w);
            return text.starts_with(L"Please enter password") || text.starts_with(L"Unauthorized removed") ||
                   text == L"The password is incorrect";
        });
        return label != nullptr ? TextOf(label) : std::wstring();
    }

    static void EnterPassword(HWND prompt, const std::wstring& text)
    {
        SetForegroundWindow(prompt);
        ASSERT_TRUE(WaitUntil([&] {
            const HWND focus = FocusOf(prompt);
            return GetForegroundWindow() == prompt && (focus == prompt || IsChild(prompt, focus));
        })) << "the prompt did not take the keyboard";
        TypeKeys(text);
        Stroke(VK_RETURN);
    }

    std::optional<SimulatedProviderInPlace> provider;
    std::optional<SimulatedPowerInPlace> power;
    std::optional<SettingsKeyRemover> removeSettings;
    tl::unique_handle program;
};

TEST_F(AntiTheftExe, ArmedFromTheTrayAndDisarmedOnlyByThePassword)
{
    ASSERT_EQ(AsItCame, PowerNow());
    const HWND mainWindow = Start();
    ASSERT_NE(nullptr, mainWindow);

    // First use: the create-password dialog asks for the password twice.
    ChooseAntiTheft(mainWindow);
    const HWND dialog = WaitForShownWindow("Quen_SetPW");
    ASSERT_NE(nullptr, dialog);
    const std::vector<HWND> boxes = EditsOf(dialog);
    ASSERT_EQ(2u, boxes.size());
    for (const HWND box : boxes) {
        ASSERT_NO_FATAL_FAILURE(ClickInto(box));
        TypeKeys(Password);
    }
    Click(CentreOf(FindChild(dialog, [](HWND w) { return TextOf(w) == L"OK"; })));

    // Armed at once: the blocking window and the prompt, the settings overridden.
    const HWND prompt = WaitForPrompt();
    ASSERT_NE(nullptr, prompt);
    EXPECT_NE(nullptr, FindWindowA(nullptr, "blockscreen"));
    EXPECT_EQ(L"Please enter password to disable Anti-Theft", MessageOf(prompt));
    EXPECT_EQ(WhileArmed, PowerNow());
    EXPECT_EQ(1, SettingsStore().Read(Setting::NotebookProtectionEnabled));

    // A movement turns the message into the alarm, and the provider sounds.
    ASSERT_EQ(0u, RunSensorTool("move").exitCode);
    EXPECT_TRUE(WaitUntil([&] { return MessageOf(prompt).starts_with(L"Unauthorized removed"); }));
    EXPECT_TRUE(HasLine(RunSensorTool("log").output, "alarm sounding"));

    // A wrong password changes nothing but the message.
    ASSERT_NO_FATAL_FAILURE(EnterPassword(prompt, L"wrong1"));
    EXPECT_TRUE(WaitUntil([&] { return MessageOf(prompt) == L"The password is incorrect"; }));
    EXPECT_TRUE(IsWindow(prompt));
    EXPECT_EQ(WhileArmed, PowerNow());

    ASSERT_NO_FATAL_FAILURE(EnterPassword(prompt, Password));
    EXPECT_TRUE(WaitUntil([&] { return FindWindowA(nullptr, PromptTitle) == nullptr; }));
    EXPECT_TRUE(WaitUntil([] { return SettingsStore().Read(Setting::NotebookProtectionEnabled) == 0; }));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "blockscreen"));
    EXPECT_EQ(AsItCame, PowerNow());
    EXPECT_TRUE(HasLine(RunSensorTool("log").output, "alarm stopped"));
}

TEST_F(AntiTheftExe, AStartAfterAKillWhileArmedPutsEverythingBack)
{
    ASSERT_TRUE(SettingsStore().WriteUserPassword(L"0123456789ABCDEF0123456789ABCDEF01234567"));
    ChooseAntiTheft(Start());
    ASSERT_NE(nullptr, WaitForPrompt());
    ASSERT_EQ(WhileArmed, PowerNow());
    EndIfRunning(program.get());
    EXPECT_EQ(1, SettingsStore().Read(Setting::NotebookProtectionEnabled));
    EXPECT_EQ(WhileArmed, PowerNow()) << "nothing is put back until the next start";
    EXPECT_LT(0u, JournalEntries()) << "the killed program left the input locked";

    Start();
    EXPECT_TRUE(WaitUntil([] { return SettingsStore().Read(Setting::NotebookProtectionEnabled) == 0; }));
    EXPECT_EQ(AsItCame, PowerNow());
    EXPECT_EQ(0u, JournalEntries()) << "the input is given back";
    EXPECT_EQ(nullptr, FindWindowA(nullptr, PromptTitle)) << "never armed again at start";
}

} // namespace
