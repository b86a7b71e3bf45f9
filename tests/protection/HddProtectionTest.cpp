#include "protection/HddProtection.h"

#include "platform/HaldenFunc.h"
#include "protection/RecordingMessageBoxes.h"
#include "protection/Timer.h"
#include "platform/WMI.h"
#include "resource.h"
#include "SimProvider.h"
#include "TestSupport.h"
#include "ui/CtrlText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Everything the reaction shows or sends, with the virtual time it happened at.
struct Event {
    int timeMs;
    std::string what;
    bool operator==(const Event&) const = default;
};

void PrintTo(const Event& event, std::ostream* out) { *out << event.timeMs << ": " << event.what; }

// The end of a reaction at timeMs: the clear state, sent twice when the shock-over message
// ends it, the resting image of protection on and the balloon that says so.
std::vector<Event> EndAt(int timeMs, int clearStates = 1)
{
    std::vector<Event> end(static_cast<size_t>(clearStates), {timeMs, "state 0"});
    end.push_back({timeMs, "image 1"});
    end.push_back({timeMs, "balloon No shock or vibration, HDD is functional"});
    return end;
}

class Clock {
public:
    int now = 0;
};

class EventLog {
public:
    explicit EventLog(const Clock& clock) : m_clock(clock) {}
    void Add(const std::string& what) { events.push_back({m_clock.now, what}); }
    std::vector<Event> events;

private:
    const Clock& m_clock;
};

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (const wchar_t c : text) {
        narrow += c < 128 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

class FakeTray final : public TrayIcon {
public:
    FakeTray(EventLog& log, const TrayIconList& icons) : m_log(log), m_icons(icons) {}

    void SetIcon(HICON icon) override
    {
        const auto found = std::find_if(m_icons.begin(), m_icons.end(), [&](const auto& i) { return i.get() == icon; });
        // Every image shown must be one made at start: nothing builds icons later.
        ASSERT_NE(m_icons.end(), found) << "an icon that is not in the icon list";
        m_log.Add("image " + std::to_string(found - m_icons.begin()));
    }

    void ShowBalloon(const std::wstring& title, const std::wstring& text, NotifyInfoFlags flags,
                     UINT timeoutMs) override
    {
        EXPECT_EQ(L"Quen Tremorlink", title);
        EXPECT_EQ(NotifyInfoFlags::None, flags);
        EXPECT_EQ(3000u, timeoutMs);
        m_log.Add(text.empty() ? "balloon removed" : "balloon " + Narrow(text));
    }

private:
    EventLog& m_log;
    const TrayIconList& m_icons;
};

// A window timer on the virtual clock: a start while running changes nothing.
class FakeTimer final : public protection::Timer {
public:
    FakeTimer(const Clock& clock, int intervalMs) : m_clock(clock), m_intervalMs(intervalMs) {}
    void Start() override
    {
        if (!enabled) {
            enabled = true;
            due = m_clock.now + m_intervalMs;
        }
    }
    void Stop() override { enabled = false; }

    bool enabled = false;
    int due = 0;
    int Interval() const { return m_intervalMs; }

private:
    const Clock& m_clock;
    int m_intervalMs;
};

class FakeShockState final : public ShockStateControl {
public:
    explicit FakeShockState(EventLog& log) : m_log(log) {}
    BOOL Send(const GSENSOR_DATA& data) override
    {
        EXPECT_TRUE(std::all_of(data.begin() + 1, data.end(), [](BYTE b) { return b == 0; })) << "reserved bytes";
        m_log.Add("state " + std::to_string(data[0]));
        return TRUE;
    }

private:
    EventLog& m_log;
};

class HddProtectionTest : public ::testing::Test {
protected:
    HddProtectionTest()
    {
        for (size_t index = 0; index < icons.size(); ++index) {
            icons[index].reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                             MAKEINTRESOURCEW(IDI_TRAY0 + static_cast<int>(index)),
                                                             IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
        }
        HaldenFunc().SetShakingNow(0);
    }

    // Lets virtual time pass, ticking the timers as the window would.
    void AdvanceTo(int timeMs)
    {
        for (;;) {
            FakeTimer* next = nullptr;
            for (FakeTimer* timer : {&timer1, &timer2}) {
                if (timer->enabled && timer->due <= timeMs && (next == nullptr || timer->due < next->due)) {
                    next = timer;
                }
            }
            if (next == nullptr) {
                break;
            }
            clock.now = next->due;
            next->due += next->Interval();
            if (next == &timer1) {
                hdd.timer1_Tick();
            } else {
                hdd.timer2_Tick();
            }
        }
        clock.now = timeMs;
    }

    std::vector<Event> EventsBetween(int fromMs, int toMs) const
    {
        std::vector<Event> found;
        std::copy_if(log.events.begin(), log.events.end(), std::back_inserter(found),
                     [&](const Event& e) { return e.timeMs >= fromMs && e.timeMs <= toMs; });
        return found;
    }

    int FinishReports() const
    {
        const auto calls = provider.Calls();
        return static_cast<int>(std::count_if(
            calls.begin(), calls.end(), [](const sim::MethodCall& c) { return c.method == L"FinishProcessEvent"; }));
    }

    testsupport::TestSettingsKey settingsKey;
    SettingsStore settings = settingsKey.Store();
    sim::Provider provider;
    WMI wmi{provider.Locator()};
    Clock clock;
    EventLog log{clock};
    TrayIconList icons;
    FakeTray tray{log, icons};
    FakeTimer timer1{clock, 40};
    FakeTimer timer2{clock, 1000};
    FakeShockState shockState{log};
    testsupport::RecordingMessageBoxes messageBoxes;
    HddProtection hdd{{settings, wmi, tray, icons, ui::CtrlText_enUS, timer1, timer2, shockState, messageBoxes}};
};

TEST_F(HddProtectionTest, OneReportRunsTheWholeReactionAndThenRests)
{
    hdd.StartShaking();
    EXPECT_EQ(
        (std::vector<Event>{{0, "state 1"}, {0, "image 2"}, {0, "balloon Shock or vibration detected, HDD protected"}}),
        log.events);
    EXPECT_EQ(1, HaldenFunc().GetShakingNow());

    AdvanceTo(5079);
    std::vector<Event> animation;
    for (int tick = 1; tick <= 125; ++tick) {
        animation.push_back({tick * 40, tick % 2 == 1 ? "image 4" : "image 5"});
    }
    EXPECT_EQ(animation, EventsBetween(1, 5079)) << "the last frame is image 4, then one tick without a change";
    EXPECT_EQ(0, FinishReports());

    AdvanceTo(8119);
    EXPECT_EQ(EndAt(5080), EventsBetween(5080, 8119));
    EXPECT_EQ(1, FinishReports());
    EXPECT_EQ(0, HaldenFunc().GetShakingNow());
    EXPECT_EQ(0, hdd.ShakingOrNot());

    AdvanceTo(8120);
    EXPECT_EQ((std::vector<Event>{{8120, "balloon removed"}}), EventsBetween(8120, 8120));

    // The balloon is gone and nothing is left to do: both timers rest.
    EXPECT_FALSE(timer1.enabled);
    EXPECT_FALSE(timer2.enabled);
    const size_t before = log.events.size();
    AdvanceTo(60000);
    EXPECT_EQ(before, log.events.size());
}

TEST_F(HddProtectionTest, EveryReportStartsTheFiveSecondsAgain)
{
    hdd.StartShaking();
    AdvanceTo(2000);
    hdd.StartShaking();
    AdvanceTo(4000);
    hdd.StartShaking();

    AdvanceTo(9079);
    EXPECT_EQ(0, FinishReports());
    AdvanceTo(9080);
    EXPECT_EQ(1, FinishReports());
    EXPECT_EQ(EndAt(9080), EventsBetween(9080, 9080));
    std::vector<std::string> states;
    std::ranges::transform(log.events, std::back_inserter(states), &Event::what);
    std::erase_if(states, [](const std::string& what) { return !what.starts_with("state"); });
    EXPECT_EQ((std::vector<std::string>{"state 1", "state 1", "state 1", "state 0"}), states);

    AdvanceTo(9080 + 51 * 40 + 1000);
    EXPECT_EQ("balloon removed", log.events.back().what);
    EXPECT_EQ(9080 + 51 * 40 + 1000, log.events.back().timeMs);
}

TEST_F(HddProtectionTest, SwitchingOffDuringTheAnimationStopsItAtOnce)
{
    ASSERT_TRUE(settings.Write(Setting::HddProtectionEnabled, 1));
    hdd.StartShaking();
    AdvanceTo(1010);

    hdd.MenuSwitch(false);
    // The drive is told at once that the shock is over; no balloon, no finished report.
    const std::vector<Event> cutShort{{1010, "state 0"}, {1010, "image 0"}};
    EXPECT_EQ(cutShort, EventsBetween(1010, 1010));
    EXPECT_EQ(0, settings.Read(Setting::HddProtectionEnabled));
    EXPECT_EQ(0, HaldenFunc().GetHddProtectionStatus());
    EXPECT_EQ(0, HaldenFunc().GetShakingNow());

    AdvanceTo(30000);
    EXPECT_EQ(cutShort, EventsBetween(1010, 30000));
    EXPECT_EQ(0, FinishReports());
    ASSERT_FALSE(provider.Calls().empty());
    EXPECT_EQ(L"SetHDDProtection", provider.Calls().back().method);
    EXPECT_EQ(0, provider.Calls().back().value);
    EXPECT_TRUE(messageBoxes.shown.empty());
}

TEST_F(HddProtectionTest, SwitchingOnDuringAReactionFreezesItOnTheShockImage)
{
    hdd.HddProRefresh(0);
    hdd.StartShaking();
    AdvanceTo(400);

    hdd.HddProRefresh(1);
    EXPECT_EQ("image 2", log.events.back().what);
    EXPECT_EQ(1, HaldenFunc().GetShakingNow());
    const size_t frozen = log.events.size();
    AdvanceTo(20000);
    EXPECT_EQ(frozen, log.events.size());

    // The shock-over message ends it, sending the clear state twice.
    hdd.ShockOver();
    EXPECT_EQ(EndAt(20000, 2), EventsBetween(20000, 20000));
    EXPECT_EQ(1, FinishReports());
}

TEST_F(HddProtectionTest, ShockOverWithoutAReactionStillEndsOne)
{
    hdd.ShockOver();
    EXPECT_EQ(EndAt(0, 2), log.events);
    EXPECT_EQ(1, FinishReports());

    AdvanceTo(51 * 40 + 1000);
    EXPECT_EQ((Event{51 * 40 + 1000, "balloon removed"}), log.events.back());
    EXPECT_FALSE(timer1.enabled);
}

TEST_F(HddProtectionTest, StartUpAppliesTheStoredSetting)
{
    struct Case {
        int stored;
        int uStatus;
        std::vector<std::string> images;
    };
    for (const Case& c : {Case{1, 1, {"image 1"}}, Case{0, 0, {"image 0"}}, Case{2, 0, {}}}) {
        log.events.clear();
        ASSERT_TRUE(settings.Write(Setting::HddProtectionEnabled, c.stored));
        const size_t callsBefore = provider.Calls().size();

        hdd.ApplyStoredSetting();

        const auto calls = provider.Calls();
        ASSERT_EQ(callsBefore + 1, calls.size()) << c.stored;
        EXPECT_EQ(L"SetHDDProtection", calls.back().method);
        EXPECT_EQ(c.uStatus, calls.back().value) << c.stored;
        EXPECT_EQ(c.stored, settings.Read(Setting::HddProtectionEnabled)) << "written back unchanged";
        EXPECT_EQ(c.stored, HaldenFunc().GetHddProtectionStatus());
        std::vector<std::string> images;
        std::ranges::transform(log.events, std::back_inserter(images), &Event::what);
        EXPECT_EQ(c.images, images) << c.stored;
    }
}

TEST_F(HddProtectionTest, AFailedMenuSwitchIsReportedAndKeepsTheRequestedState)
{
    provider.FailMethod(L"SetHDDProtection", WBEM_E_PROVIDER_FAILURE);

    hdd.MenuSwitch(true);
    EXPECT_EQ(std::vector<std::wstring>{L"Set HDD Protection Enable Failed"}, messageBoxes.shown);
    EXPECT_EQ(1, settings.Read(Setting::HddProtectionEnabled));
    EXPECT_EQ(1, HaldenFunc().GetHddProtectionStatus());
    EXPECT_EQ("image 1", log.events.back().what);

    hdd.MenuSwitch(false);
    EXPECT_EQ(L"Set HDD Protection Disable Failed", messageBoxes.shown.back());
    EXPECT_EQ(0, settings.Read(Setting::HddProtectionEnabled));
    EXPECT_EQ("image 0", log.events.back().what);

    provider.FailMethod(L"SetHDDProtection", WBEM_S_NO_ERROR);
    hdd.MenuSwitch(true);
    EXPECT_EQ(2u, messageBoxes.shown.size()) << "a switch that works says nothing";
}

} // namespace
