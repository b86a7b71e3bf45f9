// The main window's timers on a real window and the system's timer: what the shock
// reaction relies on when it starts a timer that may be running already.
#include "app/WindowTimer.h"

#include "TestWindow.h"

#include <windows.h>

#include <chrono>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr UINT_PTR TimerId = 7;

// A window that notes each WM_TIMER it is sent, with the timer's id and the time.
class TimerWindow {
public:
    struct Tick {
        UINT_PTR id;
        Clock::time_point at;
    };

    TimerWindow() { SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this)); }
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;

    HWND Handle() const noexcept { return m_window.get(); }
    const std::vector<Tick>& Ticks() const noexcept { return m_ticks; }

    // Serves this thread's messages until the window has had this many ticks in all.
    bool WaitForTicks(size_t count)
    {
        return testsupport::PumpUntil([&] { return m_ticks.size() >= count; });
    }

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        auto* self = reinterpret_cast<TimerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_TIMER && self != nullptr) {
            self->m_ticks.push_back({wParam, Clock::now()});
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    tl::unique_hwnd m_window = testsupport::TestWindow({.className = L"TremorlinkTestTimerWindow",
                                                        .procedure = &TimerWindow::WndProc,
                                                        .style = 0,
                                                        .size = {0, 0},
                                                        .parent = HWND_MESSAGE});
    std::vector<Tick> m_ticks;
};

TEST(WindowTimer, AStartWhileRunningKeepsTheIntervalGoing)
{
    TimerWindow window;
    ASSERT_NE(nullptr, window.Handle());
    WindowTimer timer(window.Handle(), TimerId, 1000);
    timer.Start();
    ASSERT_TRUE(timer.Enabled());

    // Nothing is served meanwhile, so the first tick cannot have come yet.
    Sleep(900);
    timer.Start();
    const Clock::time_point startedAgain = Clock::now();
    EXPECT_TRUE(timer.Enabled());

    ASSERT_TRUE(window.WaitForTicks(1));
    // The first tick was due about 100 ms after the second start; had that start begun the
    // interval again, it would have come 1000 ms after it or later.
    EXPECT_LT(window.Ticks().front().at - startedAgain, 800ms);
}

TEST(WindowTimer, TicksOnlyWhileStartedAgainAfterAStopAndNeverAfterItsEnd)
{
    TimerWindow window;
    ASSERT_NE(nullptr, window.Handle());
    {
        WindowTimer timer(window.Handle(), TimerId, 50);
        EXPECT_EQ(TimerId, timer.Id());
        EXPECT_FALSE(timer.Enabled());
        testsupport::PumpFor(300ms);
        EXPECT_TRUE(window.Ticks().empty()) << "a timer that was never started ticks";

        timer.Start();
        EXPECT_TRUE(timer.Enabled());
        ASSERT_TRUE(window.WaitForTicks(2));

        timer.Stop();
        EXPECT_FALSE(timer.Enabled());
        const size_t ticksAtStop = window.Ticks().size();
        testsupport::PumpFor(500ms);
        EXPECT_EQ(ticksAtStop, window.Ticks().size()) << "the timer ticked after Stop";
        timer.Stop();
        EXPECT_FALSE(timer.Enabled()) << "a second Stop changes nothing";

        timer.Start();
        EXPECT_TRUE(timer.Enabled());
        EXPECT_TRUE(window.WaitForTicks(ticksAtStop + 2)) << "no tick after a Start that followed a Stop";
    }
    const size_t ticksAtEnd = window.Ticks().size();
    testsupport::PumpFor(500ms);
    EXPECT_EQ(ticksAtEnd, window.Ticks().size()) << "the timer ticked after its end";
    EXPECT_FALSE(KillTimer(window.Handle(), TimerId)) << "the timer was left running";
    for (const TimerWindow::Tick& tick : window.Ticks()) {
        EXPECT_EQ(TimerId, tick.id);
    }
}

} // namespace
