#pragma once
// Input as a person gives it to the password dialogs, run step by step from a thread
// timer, so that it also runs inside modal loops the test cannot leave: the dialog's own
// and the warning's nested in it.
#include "TestSupport.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace dialoginput {

// A step returns false while what it waits for has not happened yet; it then runs again
// at the next tick.
using Step = std::function<bool()>;

inline Step Do(std::function<void()> action)
{
    return [action = std::move(action)] {
        action();
        return true;
    };
}

inline Step WaitFor(std::function<bool()> condition) { return condition; }

inline void SendMouse(DWORD flags, POINT screen = {})
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        // Absolute positions are given in 65536ths of the screen.
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((screen.x * 65536LL + width - 1) / width);
        input.mi.dy = static_cast<LONG>((screen.y * 65536LL + height - 1) / height);
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(1, &input, sizeof(input));
}

inline void MoveTo(POINT screen) { SendMouse(MOUSEEVENTF_MOVE, screen); }
inline void Press() { SendMouse(MOUSEEVENTF_LEFTDOWN); }
inline void Release() { SendMouse(MOUSEEVENTF_LEFTUP); }

// Moves the pointer into the screen's top-left corner, where no window of ours appears, and
// waits until it is there. Wine also moves its cursor to where the X pointer is when a
// window appears under it, at whatever moment that window's thread reads the event: a
// pointer left over a button by an earlier test would take a later click there.
inline bool ParkPointer()
{
    const POINT corner{1, 1};
    MoveTo(corner);
    return testsupport::PumpUntil([&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == corner.x && now.y == corner.y;
    });
}

inline POINT OnScreen(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    return client;
}

inline POINT CentreOf(HWND window)
{
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

// A click at once, for a window of another thread, which handles it in its own time.
inline void Click(POINT screen)
{
    MoveTo(screen);
    Press();
    Release();
}

// Moving onto the point, pressing and releasing, one tick each. The point is looked up
// when the step runs, so the window it lies in may open meanwhile.
inline std::vector<Step> ClickAt(std::function<POINT()> where)
{
    return {Do([where] { MoveTo(where()); }), Do(Press), Do(Release)};
}

inline void Stroke(WORD key)
{
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Lower-case letters and digits, typed on the keyboard into whatever has the focus.
inline void TypeKeys(const std::wstring& text)
{
    for (const wchar_t c : text) {
        Stroke(LOBYTE(VkKeyScanW(c)));
    }
}

inline Step Type(const std::wstring& text)
{
    return Do([text] { TypeKeys(text); });
}

inline Step PressKey(WORD key)
{
    return Do([key] { Stroke(key); });
}

// Runs its steps one per tick. Should a step wait in vain, it asks the named windows to
// close (or, for a window that refuses to close, does what the test gives instead), so
// that a failing test ends instead of hanging in a modal loop. A timer message
// comes only when no other message is waiting, so each step finds the input of the steps
// before it handled. The script made last runs; one made before it no longer ticks.
class Script {
public:
    Script(std::initializer_list<std::vector<Step>> parts, std::vector<const wchar_t*> windowsToClose)
        : Script(parts, [windowsToClose] {
              for (const wchar_t* title : windowsToClose) {
                  PostMessageW(FindWindowW(nullptr, title), WM_CLOSE, 0, 0);
              }
          })
    {
    }
    Script(std::initializer_list<std::vector<Step>> parts, std::function<void()> giveUp)
        : m_giveUp(std::move(giveUp)), m_deadline(std::chrono::steady_clock::now() + std::chrono::seconds(20))
    {
        for (const auto& part : parts) {
            m_steps.insert(m_steps.end(), part.begin(), part.end());
        }
        s_running = this;
        m_timer = SetTimer(nullptr, 0, 40, &Script::Tick);
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    ~Script()
    {
        KillTimer(nullptr, m_timer);
        if (s_running == this) {
            s_running = nullptr;
        }
        Release();
        testsupport::PumpPending();
    }

    bool Done() const { return m_next == m_steps.size(); }
    bool TimedOut() const { return m_timedOut; }

    // For a script that runs outside a modal loop.
    bool Finish()
    {
        testsupport::PumpUntil([this] { return Done() || m_timedOut; }, std::chrono::seconds(30));
        testsupport::PumpPending();
        return Done();
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) noexcept
    {
        Script* script = s_running;
        if (script == nullptr || timer != script->m_timer || script->Done() || script->m_timedOut) {
            return;
        }
        if (std::chrono::steady_clock::now() > script->m_deadline) {
            script->m_timedOut = true;
            script->m_giveUp();
            return;
        }
        // A step that opens a modal loop of its own (a menu) ticks nowhere meanwhile.
        if (script->m_inStep) {
            return;
        }
        script->m_inStep = true;
        const bool done = script->m_steps[script->m_next]();
        script->m_inStep = false;
        if (done) {
            ++script->m_next;
        }
    }

    static inline Script* s_running = nullptr;
    std::vector<Step> m_steps;
    std::function<void()> m_giveUp;
    std::chrono::steady_clock::time_point m_deadline;
    size_t m_next = 0;
    bool m_timedOut = false;
    bool m_inStep = false;
    UINT_PTR m_timer = 0;
};

inline std::vector<Step> Steps(std::initializer_list<Step> steps) { return steps; }

} // namespace dialoginput
