// Task switching taken away by the real WinLock.dll, with keys sent as a keyboard would.
#include "TaskSwitchLock.h"

#include "HeldLock.h"
#include "Journal.h"
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(TaskSwitchLock, SwallowsTheKeysThatLeaveTheWindowAndEveryKeyForAnotherProcess)
{
    struct Case {
        DWORD key;
        bool alt;
        bool ctrl;
        bool foreign; // the foreground window is another process's
        bool swallowed;
    };
    const Case cases[] = {
        {VK_TAB, true, false, false, true},
        {VK_TAB, false, false, false, false},
        {VK_ESCAPE, true, false, false, true},
        {VK_ESCAPE, false, true, false, true},
        {VK_ESCAPE, false, false, false, false},
        {VK_LWIN, false, false, false, true},
        {VK_RWIN, false, true, false, true},
        {VK_F4, true, false, false, true},
        {VK_F4, false, false, false, false},
        {VK_SPACE, true, false, false, true},
        {VK_SPACE, false, false, false, false},
        {VK_RETURN, true, true, false, false},
        {'A', true, false, false, false},
        {VK_DELETE, true, true, false, false},
        {VK_SNAPSHOT, false, false, false, true},
        {VK_BROWSER_BACK, false, false, false, true},
        {VK_VOLUME_MUTE, false, false, false, true},
        {VK_LAUNCH_APP2, false, false, false, true},
        {VK_RMENU, false, false, false, false},
        {0xB8, false, false, false, false},
        {'A', false, false, true, true},
        {VK_RETURN, false, false, true, true},
        {VK_SHIFT, false, false, true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.swallowed, TaskSwitchLock::Swallows(c.key, c.alt, c.ctrl, c.foreign))
            << c.key << (c.alt ? " with Alt" : "") << (c.ctrl ? " with Ctrl" : "")
            << (c.foreign ? " for another process" : "");
    }
}

TEST(TaskSwitchLock, ReadsTheHotKeyJournalsOfThisVersionAndOfTheOneBefore)
{
    const TaskSwitchLock::HotKeyFlags current{0x11, 0x12, 0x13, 0x14, 0x15};
    const auto journal = [](std::vector<DWORD> flags) {
        return SavedValue::Of(REG_BINARY, flags.data(), flags.size() * sizeof(DWORD)).value();
    };
    struct Case {
        const char* what;
        SavedValue journal;
        std::optional<TaskSwitchLock::HotKeyFlags> flags;
    };
    const Case cases[] = {
        {"this version's", TaskSwitchLock::Journaled({1, 2, 3, 4, 5}).value(),
         TaskSwitchLock::HotKeyFlags{1, 2, 3, 4, 5}},
        {"the version before's, Mouse Keys left as they are", journal({1, 2, 3, 4}),
         TaskSwitchLock::HotKeyFlags{1, 2, 3, 4, 0x15}},
        {"too short", journal({1, 2, 3}), std::nullopt},
        {"too long", journal({1, 2, 3, 4, 5, 6}), std::nullopt},
        {"empty", SavedValue{true, REG_BINARY, {}}, std::nullopt},
        {"an absence", SavedValue{}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.flags, TaskSwitchLock::FromJournal(c.journal, current)) << c.what;
    }
}

TEST(TaskSwitchLock, CompletesAHotKeyJournalOfTheVersionBeforeAndForgetsItOnUnlock)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "writes the lock's journal, which only our own Wine prefixes may have";
    }
    // A journal the version before left when it was killed while locked: four features.
    const DWORD fourFlags[] = {1, 2, 3, 4};
    ASSERT_TRUE(
        Journal::Record(L"AccessibilityHotKeys", SavedValue::Of(REG_BINARY, fourFlags, sizeof(fourFlags)).value()));
    MOUSEKEYS mouse{sizeof(mouse), 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETMOUSEKEYS, sizeof(mouse), &mouse, 0));

    // Armed again before any restore: Mouse Keys, which that version left alone, are
    // journaled as they are, beside what it journaled, as this session's.
    const KeyPath session = Journal::SessionScope();
    TaskSwitchLock lock;
    ASSERT_TRUE(lock.Lock());
    EXPECT_EQ(TaskSwitchLock::Journaled({1, 2, 3, 4, mouse.dwFlags}), Journal::Find(L"AccessibilityHotKeys", session));
    EXPECT_FALSE(Journal::Find(L"AccessibilityHotKeys"));
    lock.Unlock();
    EXPECT_FALSE(Journal::Find(L"AccessibilityHotKeys", session));
}

// A focused window that keeps the keys it gets.
class KeyWindow {
public:
    KeyWindow()
        : m_window(CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"QuenKeyWindow", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr))
    {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeyWindow::Proc)));
        SetForegroundWindow(m_window);
        SetFocus(m_window);
    }
    KeyWindow(const KeyWindow&) = delete;
    KeyWindow& operator=(const KeyWindow&) = delete;
    ~KeyWindow() { DestroyWindow(m_window); }

    HWND Handle() const { return m_window; }
    std::vector<WPARAM> keys;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        auto* self = reinterpret_cast<KeyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
            self->keys.push_back(wParam);
            return 0;
        }
        return CallWindowProcW(self->m_previous, window, message, wParam, lParam);
    }

    HWND m_window;
    WNDPROC m_previous = nullptr;
};

// A stroke of Send: a key alone is pressed and let go; Down and Up hold a modifier over
// the strokes between them.
constexpr unsigned DownOnly = 0x10000;
constexpr unsigned UpOnly = 0x20000;
constexpr unsigned Down(WORD key) { return key | DownOnly; }
constexpr unsigned Up(WORD key) { return key | UpOnly; }

void Send(std::initializer_list<unsigned> strokes)
{
    std::vector<INPUT> inputs;
    const auto add = [&inputs](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (const unsigned stroke : strokes) {
        const auto key = static_cast<WORD>(stroke);
        if ((stroke & UpOnly) == 0) {
            add(key, 0);
        }
        if ((stroke & DownOnly) == 0) {
            add(key, KEYEVENTF_KEYUP);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Every combination the lock takes away, Print Screen and an application key, then an A and
// Enter.
void SendCombinations()
{
    Send({Down(VK_MENU), VK_TAB, Down(VK_SHIFT), VK_TAB, Up(VK_SHIFT), VK_ESCAPE, VK_F4, VK_SPACE, Up(VK_MENU)});
    Send({Down(VK_CONTROL), VK_ESCAPE, Down(VK_SHIFT), VK_ESCAPE, Up(VK_SHIFT), Up(VK_CONTROL)});
    Send({VK_LWIN, VK_RWIN, VK_SNAPSHOT, VK_LAUNCH_MAIL, 'A', VK_RETURN});
}

constexpr WPARAM TakenAway[] = {VK_TAB, VK_ESCAPE, VK_F4, VK_SPACE, VK_LWIN, VK_RWIN, VK_SNAPSHOT, VK_LAUNCH_MAIL};

bool Has(const std::vector<WPARAM>& keys, WPARAM key) { return std::find(keys.begin(), keys.end(), key) != keys.end(); }

TEST(TaskSwitchLock, TheLibraryTakesSwitchingAwayAndGivesItBack)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "sends keys to the whole desktop, which only our own Wine displays may get";
    }
    using Control = int(WINAPI*)(int);
    const HMODULE library = LoadLibraryW(testsupport::WindowsPath(WINLOCK_DLL).c_str());
    ASSERT_NE(nullptr, library);
    const auto control =
        reinterpret_cast<Control>(reinterpret_cast<void*>(GetProcAddress(library, "_Control_Switching@4")));
    ASSERT_NE(nullptr, control);

    KeyWindow window;
    testsupport::PumpPending();
    ASSERT_EQ(1, control(0));
    EXPECT_EQ(1, control(0)) << "a second lock is harmless";
    // A resume installs the hook again: the new one swallows as the old one did.
    const HWND watch = FindWindowW(TaskSwitchLock::WindowClass, nullptr);
    ASSERT_NE(nullptr, watch) << "no top-level window receives the resume";
    SendMessageW(watch, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    SendCombinations();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Has(window.keys, VK_RETURN); }));
    EXPECT_TRUE(Has(window.keys, 'A')) << "the password can still be typed";
    for (const WPARAM swallowed : TakenAway) {
        EXPECT_FALSE(Has(window.keys, swallowed)) << swallowed;
    }

    EXPECT_EQ(1, control(1));
    EXPECT_EQ(1, control(1)) << "a second unlock is harmless";
    EXPECT_EQ(nullptr, FindWindowW(TaskSwitchLock::WindowClass, nullptr));
    window.keys.clear();
    SendCombinations();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Has(window.keys, VK_RETURN); }));
    for (const WPARAM given : TakenAway) {
        EXPECT_TRUE(Has(window.keys, given)) << given;
    }
    FreeLibrary(library);
}

TEST(TaskSwitchLock, WhileAnotherProcessHoldsTheLockThisOnesWindowGetsNoKey)
{
    if (!testsupport::UnderWine()) {
        GTEST_SKIP() << "locks the whole desktop, which only our own Wine displays may have";
    }
    KeyWindow window;
    testsupport::PumpPending();
    testsupport::HeldLock holder;
    ASSERT_TRUE(holder.Locked()) << "the holder said: " << holder.Said();
    ASSERT_EQ(window.Handle(), GetForegroundWindow());
    Send({'A', VK_RETURN});
    // The holder's hook thread has decided on those keys once it has answered this.
    const HWND watch = FindWindowW(TaskSwitchLock::WindowClass, nullptr);
    ASSERT_NE(nullptr, watch);
    EXPECT_NE(0, SendMessageTimeoutW(watch, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr));
    holder.Kill();
    EXPECT_TRUE(testsupport::UnlockThroughLibrary());

    Send({'B'});
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Has(window.keys, 'B'); }));
    EXPECT_FALSE(Has(window.keys, 'A'));
    EXPECT_FALSE(Has(window.keys, VK_RETURN));
}

} // namespace
