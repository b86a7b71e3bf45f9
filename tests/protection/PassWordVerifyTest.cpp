#include "protection/PassWordVerify.h"

#include "DialogInput.h"
#include "Edges.h"
#include "TestSupport.h"
#include "TestWindow.h"
#include "app/TremorlinkProcess.h"
#include "lock/RecordedLockCalls.h"
#include "platform/HaldenFunc.h"
#include "protection/Clock.h"
#include "ui/Dpi.h"
#include "ui/LanguageSelection.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace dialoginput;

using testsupport::Edges;
using testsupport::EdgesOf;
using testsupport::RecordedLockCalls;

constexpr wchar_t RightPassword[] = L"ab12";
constexpr char Locked[] = "CtrlAltDel 0\nSwitching 0\nTaskbar 0\n";
constexpr char Unlocked[] = "CtrlAltDel 1\nSwitching 1\nTaskbar 1\n";

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) noexcept
{
    reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
    return TRUE;
}

// The visible blocking windows of this thread.
std::vector<HWND> BlockScreens()
{
    std::vector<HWND> screens;
    EnumThreadWindows(GetCurrentThreadId(), &testsupport::CollectWindow, reinterpret_cast<LPARAM>(&screens));
    std::erase_if(screens, [](HWND w) { return testsupport::TextOf(w) != blockscreen::Title || !IsWindowVisible(w); });
    return screens;
}

// Whether the prompt lies above every blocking window, and every blocking window above
// the other window (if there is one).
bool PromptOverBlockOver(const PassWordVerify& prompt, HWND other = nullptr)
{
    const std::vector<HWND> order = testsupport::TopLevelWindows();
    const auto place = [&order](HWND window) { return std::ranges::find(order, window) - order.begin(); };
    return std::ranges::all_of(prompt.BlockScreens(), [&](const auto& screen) {
        return place(prompt.Handle()) < place(screen->Handle()) && place(screen->Handle()) < place(other);
    });
}

// Every monitor is covered by exactly one visible blocking window, whose picture fills it
// (the primary's as large as the display mode).
void ExpectEveryMonitorBlocked()
{
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    ASSERT_EQ(static_cast<size_t>(GetSystemMetrics(SM_CMONITORS)), monitors.size());
    const std::vector<HWND> screens = BlockScreens();
    EXPECT_EQ(monitors.size(), screens.size());
    for (const HMONITOR monitor : monitors) {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
        const RECT& area = info.rcMonitor;
        SCOPED_TRACE(testing::Message() << area.left << "," << area.top << " " << area.right << "," << area.bottom);
        int covering = 0;
        for (const HWND screen : screens) {
            RECT bounds{};
            GetWindowRect(screen, &bounds);
            if (EdgesOf(bounds) != EdgesOf(area)) {
                continue;
            }
            ++covering;
            EXPECT_TRUE(GetWindowLongPtrW(screen, GWL_EXSTYLE) & WS_EX_TOPMOST);
            EXPECT_TRUE(IsZoomed(screen));
            // The picture fills the monitor: the primary's as large as the display mode, which
            // is the monitor's size in pixels.
            RECT picture{};
            GetWindowRect(GetWindow(screen, GW_CHILD), &picture);
            EXPECT_EQ(EdgesOf(area), EdgesOf(picture));
        }
        EXPECT_EQ(1, covering);
    }
}

class VirtualClock final : public protection::Clock {
public:
    std::uint64_t NowMs() const override { return now; }
    std::uint64_t now = 1000000;
};

class PassWordVerifyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoveTo({2, 2});
        ASSERT_TRUE(SetDllDirectoryW(testsupport::WindowsPath(RECORDING_LOCK_WHOLE_DIR).c_str()));
        ASSERT_TRUE(key.Store().WriteUserPassword(flags.GetHashCode(RightPassword)));
        testsupport::PumpPending();
    }
    void TearDown() override
    {
        prompt.reset();
        SetDllDirectoryW(nullptr);
        flags.SetBeepNow(0);
    }

    // What the lock library was asked since the test's mark.
    std::string LockCallsSinceMark() const { return RecordedLockCalls().substr(m_mark); }
    void MarkLockCalls() { m_mark = RecordedLockCalls().size(); }

    // A prompt made afresh, the last one gone first; shown and settled unless the test runs
    // it modally.
    void MakePrompt(bool show = true)
    {
        prompt.emplace(key.Store(), clock);
        ASSERT_TRUE(prompt->Create());
        if (show) {
            prompt->Show();
            testsupport::PumpPending();
        }
    }

    // Enter as the prompt's hot key delivers it.
    void PressEnter() { SendMessageW(prompt->Handle(), WM_HOTKEY, PassWordVerify::HotKeyId, MAKELPARAM(0, VK_RETURN)); }
    void Enter(const wchar_t* text)
    {
        SetWindowTextW(prompt->PasswordBox().Handle(), text);
        PressEnter();
    }

    testsupport::TestSettingsKey key;
    HaldenFunc flags;
    VirtualClock clock;
    const ui::StringTable& texts = *ui::SelectUserLanguage().table;
    std::optional<PassWordVerify> prompt;

private:
    size_t m_mark = 0;
};

TEST_F(PassWordVerifyTest, BlocksAndLocksBeforeItShowsWithItsTextsInPlace)
{
    flags.SetBeepNow(1);
    MarkLockCalls();
    ASSERT_NO_FATAL_FAILURE(MakePrompt(false));

    EXPECT_EQ(Locked, LockCallsSinceMark());
    EXPECT_EQ(0, flags.GetBeepNow()) << "a movement noted before the prompt is forgotten";
    EXPECT_FALSE(IsWindowVisible(prompt->Handle()));
    ExpectEveryMonitorBlocked();
    // Enter is the prompt's while it is open.
    EXPECT_FALSE(RegisterHotKey(nullptr, PassWordVerify::HotKeyId, 0, VK_RETURN));

    EXPECT_EQ(prompt->Handle(), FindWindowW(nullptr, PassWordVerify::Title));
    EXPECT_EQ(nullptr, prompt->CloseButton());
    EXPECT_TRUE(GetWindowLongPtrW(prompt->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(texts.GetString("NB_Prot"), prompt->TitleLabel()->Text());
    EXPECT_EQ(texts.GetString("Pwd_Verify"), prompt->Message().Text());
    EXPECT_EQ(texts.GetString("Pwd"), prompt->PasswordCaption().Text());
    EXPECT_EQ(texts.GetString("OK"), prompt->OkButton().Text());
    EXPECT_EQ(PassWordVerify::PadlockImage, prompt->StatusIcon().ImageIndex());
    EXPECT_EQ((Edges{20, 70, 82, 132}), EdgesOf(prompt->StatusIcon().Bounds()));
    EXPECT_EQ(344, prompt->Message().Bounds().right);
    EXPECT_EQ(104, prompt->Message().Bounds().bottom);
    const RECT caption = prompt->PasswordCaption().Bounds();
    EXPECT_EQ(91, caption.left);
    EXPECT_EQ(112, caption.top);
    const LONG boxLeft = PassWordVerify::PasswordBoxLeft(ui::Unscale(caption.right - caption.left, prompt->Dpi()));
    EXPECT_EQ((Edges{boxLeft, 112, boxLeft + 112, 130}), EdgesOf(prompt->PasswordBox().Bounds()));
    EXPECT_EQ((Edges{270, 144, 374, 168}), EdgesOf(prompt->OkButton().Bounds()));
    EXPECT_EQ(8, SendMessageW(prompt->PasswordBox().Handle(), EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(L'*', SendMessageW(prompt->PasswordBox().Handle(), EM_GETPASSWORDCHAR, 0, 0));

    // Not moved by its caption strip.
    RECT window{};
    GetWindowRect(prompt->Handle(), &window);
    EXPECT_NE(HTCAPTION,
              SendMessageW(prompt->Handle(), WM_NCHITTEST, 0, MAKELPARAM(window.left + 100, window.top + 10)));
}

// A prompt that cannot be made whole, whichever of its windows the system refuses, says
// so and has locked nothing, left no window up and kept no hold on Enter.
TEST_F(PassWordVerifyTest, PromptThatCannotBeMadeLocksNothing)
{
    for (const wchar_t* refusedClass : {L"QuenSkinnedWindow", L"Edit", L"QuenBlockScreen"}) {
        SCOPED_TRACE(testing::Message() << refusedClass);
        MarkLockCalls();
        {
            const testsupport::RefusedWindowClass refused(refusedClass);
            ASSERT_TRUE(refused.Hooked());
            PassWordVerify prompt(key.Store(), clock);
            EXPECT_FALSE(prompt.Create());
        }
        EXPECT_EQ("", LockCallsSinceMark());
        EXPECT_EQ(nullptr, FindWindowW(nullptr, PassWordVerify::Title));
        EXPECT_EQ(nullptr, FindWindowW(nullptr, blockscreen::Title));
        EXPECT_TRUE(RegisterHotKey(nullptr, PassWordVerify::HotKeyId, 0, VK_RETURN));
        UnregisterHotKey(nullptr, PassWordVerify::HotKeyId);
    }
}

TEST_F(PassWordVerifyTest, ThePasswordBoxMovesRightOfAWideCaption)
{
    struct Case {
        LONG captionWidth;
        LONG boxLeft;
    };
    for (const Case& row : {Case{80, 180}, Case{60, 163}, Case{67, 167}, Case{66, 163}, Case{0, 163}}) {
        EXPECT_EQ(row.boxLeft, PassWordVerify::PasswordBoxLeft(row.captionWidth)) << row.captionWidth;
    }
}

TEST_F(PassWordVerifyTest, OkAndEnterWhereverTheFocusIsRejectAWrongEntryAndUnlockOnTheRightOne)
{
    // A window of the test's own, to which the focus can go away from the prompt.
    const tl::unique_hwnd elsewhere(CreateWindowExW(0, L"STATIC", L"Elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                                    nullptr, nullptr, nullptr, nullptr));
    enum class Way { OkButton, EnterInTheBox, EnterWithoutFocus, EnterInAnotherWindow };
    struct Case {
        Way way;
        const wchar_t* wrong;
    };
    for (const Case& row : {Case{Way::OkButton, L""}, Case{Way::EnterInTheBox, L"ab13"},
                            Case{Way::EnterWithoutFocus, L""}, Case{Way::EnterInAnotherWindow, L"abc"}}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(row.way) << " '" << row.wrong << "'");
        MarkLockCalls();
        ASSERT_NO_FATAL_FAILURE(MakePrompt(false));
        const auto confirm = [this, &elsewhere, way = row.way]() -> std::vector<Step> {
            switch (way) {
            case Way::OkButton: return ClickAt([this] { return CentreOf(prompt->OkButton().Handle()); });
            case Way::EnterInTheBox: return {PressKey(VK_RETURN)};
            case Way::EnterWithoutFocus: return {Do([] { SetFocus(nullptr); }), PressKey(VK_RETURN)};
            default:
                return {Do([&elsewhere] { SetForegroundWindow(elsewhere.get()); }),
                        WaitFor([&elsewhere] { return GetFocus() == elsewhere.get(); }), PressKey(VK_RETURN)};
            }
        };
        std::wstring messageAfterWrong;
        int imageAfterWrong = -1;
        std::wstring boxAfterWrong = L"-";
        bool openAfterWrong = false;
        std::string locksWhileOpen;
        Script script(
            {Steps({WaitFor([this] { return GetFocus() == prompt->PasswordBox().Handle(); }), Type(row.wrong)}),
             confirm(),
             Steps({WaitFor([this] { return prompt->StatusIcon().ImageIndex() != 0; }), Do([&] {
                        messageAfterWrong = prompt->Message().Text();
                        imageAfterWrong = prompt->StatusIcon().ImageIndex();
                        boxAfterWrong = prompt->PasswordBox().Text();
                        openAfterWrong = IsWindowVisible(prompt->Handle()) && BlockScreens().size() > 0;
                        locksWhileOpen = LockCallsSinceMark();
                    }),
                    WaitFor([this] { return GetFocus() == prompt->PasswordBox().Handle(); }), Type(RightPassword)}),
             confirm()},
            [] { PostQuitMessage(0); });
        prompt->ShowModal();
        testsupport::PumpPending();

        ASSERT_TRUE(script.Done());
        EXPECT_EQ(texts.GetString("Wrong_Pwd_Info"), messageAfterWrong);
        EXPECT_EQ(PassWordVerify::WarningImage, imageAfterWrong);
        EXPECT_EQ(L"", boxAfterWrong);
        EXPECT_TRUE(openAfterWrong);
        EXPECT_EQ(Locked, locksWhileOpen);

        EXPECT_TRUE(prompt->Unlocked());
        EXPECT_FALSE(prompt->IsOpen());
        EXPECT_EQ(std::string(Locked) + Unlocked, LockCallsSinceMark());
        EXPECT_TRUE(BlockScreens().empty());
        EXPECT_TRUE(prompt->BlockScreens().empty());
        // Enter is free again.
        EXPECT_TRUE(RegisterHotKey(nullptr, PassWordVerify::HotKeyId, 0, VK_RETURN));
        UnregisterHotKey(nullptr, PassWordVerify::HotKeyId);
    }
}

TEST_F(PassWordVerifyTest, NoStoredDigestNoOverlongTextAndNoLookAlikeEverMatches)
{
    struct Case {
        const wchar_t* stored; // the digest of this, or nothing stored for null
        const wchar_t* entered;
    };
    // The code page's best fit turns a with a macron into a: the digests are the same.
    ASSERT_EQ(flags.GetHashCode(L"abcd"), flags.GetHashCode(L"\u0101bcd"));
    for (const Case& row :
         {Case{nullptr, L""}, Case{nullptr, L"ab12"}, Case{L"abcd1234x", L"abcd1234x"}, Case{L"abcd", L"\u0101bcd"}}) {
        SCOPED_TRACE(testing::Message() << "'" << row.entered << "'");
        ASSERT_TRUE(key.Store().WriteUserPassword(row.stored != nullptr ? flags.GetHashCode(row.stored) : L""));
        ASSERT_NO_FATAL_FAILURE(MakePrompt());
        // Set as a message would set it: past the box's limit.
        SetWindowTextW(prompt->PasswordBox().Handle(), row.entered);
        ASSERT_EQ(row.entered, prompt->PasswordBox().Text());
        PressEnter();

        EXPECT_FALSE(prompt->Unlocked());
        EXPECT_TRUE(prompt->IsOpen());
        EXPECT_EQ(PassWordVerify::WarningImage, prompt->StatusIcon().ImageIndex());
        EXPECT_EQ(texts.GetString("Wrong_Pwd_Info"), prompt->Message().Text());
    }
}

// Tries stay unlimited, but from the fourth wrong one in a row each disables the box and
// OK for a wait that doubles up to 30 s, measured on the prompt's clock; Enter during the
// wait does nothing, and the right password after it works at once.
TEST_F(PassWordVerifyTest, FromTheFourthWrongEntryInARowEachWaitsLonger)
{
    ASSERT_NO_FATAL_FAILURE(MakePrompt());
    const HWND box = prompt->PasswordBox().Handle();
    const std::uint64_t waitsMs[] = {0, 0, 0, 1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000};
    for (size_t entry = 0; entry < std::size(waitsMs); ++entry) {
        SCOPED_TRACE(testing::Message() << "wrong entry " << entry + 1);
        Enter(L"ab13");
        ASSERT_TRUE(prompt->IsOpen());
        const std::uint64_t wait = waitsMs[entry];
        if (wait == 0) {
            EXPECT_FALSE(prompt->Waiting());
            EXPECT_TRUE(IsWindowEnabled(box));
            continue;
        }
        EXPECT_TRUE(prompt->Waiting());
        EXPECT_FALSE(IsWindowEnabled(box));
        EXPECT_FALSE(IsWindowEnabled(prompt->OkButton().Handle()));
        Enter(RightPassword);
        EXPECT_TRUE(prompt->IsOpen()) << "Enter while waiting";
        clock.now += wait - 1;
        prompt->timer1_Tick();
        EXPECT_TRUE(prompt->Waiting());
        clock.now += 1;
        prompt->timer1_Tick();
        EXPECT_FALSE(prompt->Waiting());
        EXPECT_TRUE(IsWindowEnabled(box));
        EXPECT_TRUE(IsWindowEnabled(prompt->OkButton().Handle()));
        EXPECT_EQ(box, GetFocus());
    }
    Enter(RightPassword);
    EXPECT_TRUE(prompt->Unlocked());
}

// Serves only the messages other threads send to this one, so that the prompt's own
// timer does not tick meanwhile.
bool ServeSentUntil(const std::function<bool()>& condition)
{
    for (int waited = 0; !condition(); waited += 10) {
        if (waited > 10000) {
            return false;
        }
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    }
    return true;
}

// Another program's window on a thread of its own: topmost, visible, and given the
// foreground, as a notification or a program started by a key of the notebook would be.
class OtherProgramWindow {
public:
    OtherProgramWindow()
        : m_thread([this] {
              m_window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"Other program", WS_POPUP | WS_VISIBLE, 100, 100,
                                         300, 200, nullptr, nullptr, nullptr, nullptr);
              m_threadId = GetCurrentThreadId();
              SetForegroundWindow(m_window);
              m_ready = true;
              MSG message;
              while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                  DispatchMessageW(&message);
              }
              DestroyWindow(m_window);
          })
    {
        m_started = ServeSentUntil([this] { return m_ready.load(); });
    }
    ~OtherProgramWindow()
    {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Handle() const noexcept { return m_window; }
    bool Started() const noexcept { return m_started; }

private:
    std::atomic<HWND> m_window = nullptr;
    std::atomic<DWORD> m_threadId = 0;
    std::atomic<bool> m_ready = false;
    bool m_started = false;
    std::thread m_thread;
};

TEST_F(PassWordVerifyTest, OneTickPutsItAboveAnotherProgramsWindowAndTakesTheForegroundBack)
{
    ASSERT_NO_FATAL_FAILURE(MakePrompt());
    const auto handles = [this] {
        std::vector<HWND> handles;
        std::ranges::transform(prompt->BlockScreens(), std::back_inserter(handles),
                               [](const auto& screen) { return screen->Handle(); });
        return handles;
    };
    const std::vector<HWND> screens = handles();

    const OtherProgramWindow other;
    ASSERT_TRUE(other.Started());
    ASSERT_EQ(other.Handle(), GetForegroundWindow());
    ASSERT_FALSE(PromptOverBlockOver(*prompt, other.Handle()));
    prompt->timer1_Tick();

    EXPECT_EQ(prompt->Handle(), GetForegroundWindow());
    EXPECT_EQ(prompt->PasswordBox().Handle(), GetFocus());
    EXPECT_TRUE(PromptOverBlockOver(*prompt, other.Handle()));
    // Without a virtual desktop manager (Windows 7, Wine) the same blocking windows stay.
    EXPECT_EQ(screens, handles());
}

int g_ticks = 0;

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) noexcept { ++g_ticks; }

TEST_F(PassWordVerifyTest, AMovementChangesTheMessageOnlyUntilTheFirstTry)
{
    ASSERT_NO_FATAL_FAILURE(MakePrompt());
    EXPECT_EQ(texts.GetString("Pwd_Verify"), prompt->Message().Text());
    flags.SetBeepNow(1);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return prompt->Message().Text() == texts.GetString("Unattended"); }));
    EXPECT_EQ(PassWordVerify::PadlockImage, prompt->StatusIcon().ImageIndex());

    flags.SetBeepNow(0);
    ASSERT_NO_FATAL_FAILURE(MakePrompt());
    // Another id is not the prompt's Enter.
    SendMessageW(prompt->Handle(), WM_HOTKEY, PassWordVerify::HotKeyId + 1, MAKELPARAM(0, VK_RETURN));
    EXPECT_EQ(PassWordVerify::PadlockImage, prompt->StatusIcon().ImageIndex());
    PressEnter();
    ASSERT_EQ(texts.GetString("Wrong_Pwd_Info"), prompt->Message().Text());
    flags.SetBeepNow(1);
    // Five polls' time, counted by a timer of the test's own.
    g_ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, PassWordVerify::PollInterval, &CountTick);
    ASSERT_TRUE(testsupport::PumpUntil([] { return g_ticks >= 5; }));
    KillTimer(nullptr, timer);
    EXPECT_EQ(texts.GetString("Wrong_Pwd_Info"), prompt->Message().Text());
}

// Records the close requests posted to the prompt, which Alt+F4 sends.
HWND g_watched = nullptr;
int g_closeRequests = 0;

LRESULT CALLBACK WatchPosted(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->hwnd == g_watched && message->message == WM_SYSCOMMAND &&
        (message->wParam & 0xFFF0) == SC_CLOSE) {
        ++g_closeRequests;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(PassWordVerifyTest, RefusesEveryCloseRequestAndAClickOnTheBlockBringsItBack)
{
    const tl::unique_hwnd elsewhere(CreateWindowExW(0, L"STATIC", L"Elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                                    nullptr, nullptr, nullptr, nullptr));
    ASSERT_NO_FATAL_FAILURE(MakePrompt(false));
    g_watched = prompt->Handle();
    g_closeRequests = 0;
    const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &WatchPosted, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    std::vector<bool> openAfter;
    const auto stillOpen = [&] { openAfter.push_back(IsWindowVisible(prompt->Handle()) != FALSE); };
    RECT window{};
    GetWindowRect(prompt->Handle(), &window);
    // A point of the primary's blocking window beside the prompt->
    const POINT onTheBlock{window.left - 20, window.bottom + 20};
    bool frontAgain = false;
    Script script(
        {Steps({WaitFor([this] { return GetFocus() == prompt->PasswordBox().Handle(); }),
                Do([&] { SendMessageW(prompt->Handle(), WM_CLOSE, 0, 0); }), Do(stillOpen),
                Do([&] { SendMessageW(prompt->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }), Do(stillOpen), Do([] {
                    INPUT keys[4]{};
                    for (INPUT& key : keys) {
                        key.type = INPUT_KEYBOARD;
                    }
                    keys[0].ki.wVk = keys[3].ki.wVk = VK_MENU;
                    keys[1].ki.wVk = keys[2].ki.wVk = VK_F4;
                    keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
                    SendInput(4, keys, sizeof(INPUT));
                }),
                WaitFor([] { return g_closeRequests > 0; }), Do(stillOpen),
                Do([&elsewhere] { SetForegroundWindow(elsewhere.get()); }),
                WaitFor([&elsewhere] { return GetForegroundWindow() == elsewhere.get(); })}),
         ClickAt([onTheBlock] { return onTheBlock; }),
         Steps({WaitFor([this] {
                    return GetForegroundWindow() == prompt->Handle() && GetFocus() == prompt->PasswordBox().Handle();
                }),
                Do([&] { frontAgain = true; }), Type(RightPassword), PressKey(VK_RETURN)})},
        [] { PostQuitMessage(0); });
    prompt->ShowModal();
    testsupport::PumpPending();
    UnhookWindowsHookEx(hook);

    ASSERT_TRUE(script.Done());
    EXPECT_EQ((std::vector<bool>{true, true, true}), openAfter);
    EXPECT_TRUE(frontAgain);
    EXPECT_TRUE(prompt->Unlocked());
}

// While the blocking windows are made again: how many went, and the fewest other visible
// ones there were as one went.
int g_destroyed = 0;
size_t g_fewestLeft = 0;

LRESULT CALLBACK WatchDestroyed(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    wchar_t title[32]{};
    GetWindowTextW(reinterpret_cast<HWND>(wParam), title, 32);
    if (code == HCBT_DESTROYWND && std::wstring(title) == blockscreen::Title) {
        ++g_destroyed;
        g_fewestLeft = std::min(g_fewestLeft, BlockScreens().size() - 1);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(PassWordVerifyTest, BlocksEveryMonitorAgainWhenTheDisplaysChange)
{
    ASSERT_NO_FATAL_FAILURE(MakePrompt());
    const size_t monitors = static_cast<size_t>(GetSystemMetrics(SM_CMONITORS));
    g_destroyed = 0;
    g_fewestLeft = monitors;
    const auto displaysChanged = [this] {
        SendMessageW(prompt->Handle(), WM_DISPLAYCHANGE, 32,
                     MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    };
    const HHOOK hook = SetWindowsHookExW(WH_CBT, &WatchDestroyed, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    displaysChanged();
    UnhookWindowsHookEx(hook);
    // The new ones came before the old ones went, and the prompt kept the activation and
    // its place above them.
    EXPECT_EQ(static_cast<int>(monitors), g_destroyed);
    EXPECT_EQ(monitors, g_fewestLeft);
    EXPECT_EQ(prompt->Handle(), GetForegroundWindow());
    EXPECT_TRUE(PromptOverBlockOver(*prompt));
    ExpectEveryMonitorBlocked();

    // A blocking window gone, as if its monitor had been unplugged and another plugged in.
    DestroyWindow(prompt->BlockScreens().front()->Handle());
    ASSERT_EQ(static_cast<size_t>(GetSystemMetrics(SM_CMONITORS)) - 1, BlockScreens().size());
    displaysChanged();
    ExpectEveryMonitorBlocked();
}

// Run by scripts/test on a display with two monitors of different sizes; skipped on one.
class PassWordVerifyMonitors : public PassWordVerifyTest {};

TEST_F(PassWordVerifyMonitors, OneBlockingWindowCoversEachMonitor)
{
    if (GetSystemMetrics(SM_CMONITORS) < 2) {
        GTEST_SKIP() << "one monitor";
    }
    ASSERT_NO_FATAL_FAILURE(MakePrompt(false));
    ExpectEveryMonitorBlocked();
    prompt.reset();
    EXPECT_TRUE(BlockScreens().empty());
}

} // namespace
