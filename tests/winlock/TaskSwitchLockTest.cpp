// Task switching taken away by the real WinLock.dll, with keys sent as a keyboard would.
#include "TaskSwitchLock.h"

#include "TestSupport.h"
#include "app/TremorlinkProcess.h"

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(TaskSwitchLock, SwallowsTheKeysThatLeaveTheWindowAndNothingElse)
{
    struct Case {
        DWORD key;
        bool alt;
        bool ctrl;
        bool swallowed;
    };
    const Case cases[] = {
        {VK_TAB, true, false, true},     {VK_TAB, false, false, false},   {VK_ESCAPE, true, false, true},
        {VK_ESCAPE, false, true, true},  {VK_ESCAPE, false, false, false}, {VK_LWIN, false, false, true},
        {VK_RWIN, false, true, true},    {VK_F4, true, false, true},      {VK_F4, false, false, false},
        {VK_SPACE, true, false, true},   {VK_SPACE, false, false, false}, {VK_RETURN, true, true, false},
        {'A', true, false, false},       {VK_DELETE, true, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.swallowed, TaskSwitchLock::Swallows(c.key, c.alt, c.ctrl))
            << c.key << (c.alt ? " with Alt" : "") << (c.ctrl ? " with Ctrl" : "");
    }
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

void Send(std::initializer_list<std::pair<WORD, bool>> keys)
{
    std::vector<INPUT> inputs;
    for (const auto& [key, up] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Every combination the lock takes away, then an A and Enter.
void SendCombinations()
{
    Send({{VK_MENU, false}, {VK_TAB, false}, {VK_TAB, true}, {VK_SHIFT, false}, {VK_TAB, false}, {VK_TAB, true},
          {VK_SHIFT, true}, {VK_ESCAPE, false}, {VK_ESCAPE, true}, {VK_F4, false}, {VK_F4, true}, {VK_SPACE, false},
          {VK_SPACE, true}, {VK_MENU, true}});
    Send({{VK_CONTROL, false}, {VK_ESCAPE, false}, {VK_ESCAPE, true}, {VK_SHIFT, false}, {VK_ESCAPE, false},
          {VK_ESCAPE, true}, {VK_SHIFT, true}, {VK_CONTROL, true}});
    Send({{VK_LWIN, false}, {VK_LWIN, true}, {VK_RWIN, false}, {VK_RWIN, true}, {'A', false}, {'A', true},
          {VK_RETURN, false}, {VK_RETURN, true}});
}

constexpr WPARAM TakenAway[] = {VK_TAB, VK_ESCAPE, VK_F4, VK_SPACE, VK_LWIN, VK_RWIN};

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
    SendCombinations();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Has(window.keys, VK_RETURN); }));
    EXPECT_TRUE(Has(window.keys, 'A')) << "the password can still be typed";
    for (const WPARAM swallowed : TakenAway) {
        EXPECT_FALSE(Has(window.keys, swallowed)) << swallowed;
    }

    EXPECT_EQ(1, control(1));
    EXPECT_EQ(1, control(1)) << "a second unlock is harmless";
    window.keys.clear();
    SendCombinations();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Has(window.keys, VK_RETURN); }));
    for (const WPARAM given : TakenAway) {
        EXPECT_TRUE(Has(window.keys, given)) << given;
    }
    FreeLibrary(library);
}

} // namespace
