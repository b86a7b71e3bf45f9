// Arming, disarming and the start-up restore, over the simulated power library and sensor
// provider, with the two dialogs and the screen saver played by the test.
#include "protection/AntiTheft.h"

#include "PowerLibrary.h"
#include "PowerSettings.h"
#include "SimProvider.h"
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"
#include "lock/RecordedLockCalls.h"
#include "platform/HaldenFunc.h"
#include "platform/PowerSamples.h"
#include "platform/WMI.h"
#include "protection/AntiTheftDialogs.h"
#include "protection/RecordingMessageBoxes.h"
#include "protection/ScreenSaver.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

namespace {

using namespace testsupport;

constexpr UINT ActiveIndex = 3;
const std::wstring StoredDigest = L"5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8";

class FakeDialogs final : public AntiTheftDialogs {
public:
    void CreatePassword() override
    {
        ++created;
        if (onCreate) {
            onCreate();
        }
    }
    bool VerifyPassword() override
    {
        ++prompts;
        if (whileArmed) {
            whileArmed();
        }
        return unlocked;
    }

    std::function<void()> onCreate;   // what the user does in the create-password dialog
    std::function<void()> whileArmed; // what happens while the prompt is up
    bool unlocked = true;             // false: the program ended while the prompt was up
    int created = 0;
    int prompts = 0;
};

class FakeScreenSaver final : public ScreenSaver {
public:
    void SetActive(bool active) override { switched.push_back(active); }
    std::vector<bool> switched;
};

// The settings anti-theft keeps, in the settings' order.
struct Saved {
    int closeLid, powerButton, sleepButton, enablePassword, hibernationTimer, armed;
    bool operator==(const Saved&) const = default;
};

void PrintTo(const Saved& s, std::ostream* out)
{
    *out << "lid " << s.closeLid << ", power " << s.powerButton << ", sleep " << s.sleepButton << ", password "
         << s.enablePassword << ", hibernation " << s.hibernationTimer << ", armed " << s.armed;
}

using Power = PowerSettings;

class AntiTheftTest : public ::testing::Test {
protected:
    AntiTheftTest()
    {
        library.PutScheme(ActiveIndex, {.policy = SampleScheme(), .processorPolicy = SampleProcessor()});
        library.SetActiveScheme(ActiveIndex);
        library.SetGlobalPolicy(SampleGlobal());
        SetPower({1, 4, 3, true, 0, 0});
    }

    void SetPower(const Power& codes)
    {
        WritePowerCodes(library.Functions(), codes);
        library.ClearCalls();
    }

    Power PowerNow() const { return ReadPowerSettings(library.Functions(), ActiveIndex); }

    Saved SavedNow() const
    {
        return {settings.Read(Setting::CloseLid),         settings.Read(Setting::PowerButton),
                settings.Read(Setting::SleepButton),      settings.Read(Setting::EnablePassword),
                settings.Read(Setting::HibernationTimer), settings.Read(Setting::NotebookProtectionEnabled)};
    }

    // The uStatus of each SetSystemProtection the provider received since the last call
    // of ForgetProviderCalls.
    std::vector<int> SystemProtectionCalls() const
    {
        std::vector<int> values;
        const std::vector<sim::MethodCall> calls = provider.Calls();
        for (std::size_t i = m_callsForgotten; i < calls.size(); ++i) {
            if (calls[i].method == L"SetSystemProtection") {
                values.push_back(calls[i].value);
            }
        }
        return values;
    }
    std::size_t NewProviderCalls() const { return provider.Calls().size() - m_callsForgotten; }
    void ForgetProviderCalls() { m_callsForgotten = provider.Calls().size(); }

    void Arm()
    {
        ASSERT_TRUE(settings.WriteUserPassword(StoredDigest));
        antiTheft.EnterSysProtection();
    }

    TestSettingsKey key;
    SettingsStore settings = key.Store();
    sim::Provider provider;
    WMI wmi{provider.Locator()};
    sim::PowerLibrary library;
    PowerFunctions functions = library.Functions();
    FakeScreenSaver screenSaver;
    FakeDialogs dialogs;
    RecordingMessageBoxes messageBoxes;
    AntiTheft antiTheft{{settings, wmi, functions, screenSaver, dialogs, messageBoxes, nullptr, L""}};

private:
    std::size_t m_callsForgotten = 0;
};

TEST_F(AntiTheftTest, ArmsOnlyOnceAPasswordExists)
{
    // The create-password dialog left without a password: nothing happened at all.
    antiTheft.EnterSysProtection();
    EXPECT_EQ(1, dialogs.created);
    EXPECT_EQ(0, dialogs.prompts);
    EXPECT_TRUE(library.Calls().empty());
    EXPECT_TRUE(provider.Calls().empty());
    EXPECT_TRUE(screenSaver.switched.empty());
    EXPECT_FALSE(key.Exists());

    // The dialog that stores a password leads straight into the armed period.
    dialogs.onCreate = [&] { EXPECT_TRUE(settings.WriteUserPassword(StoredDigest)); };
    antiTheft.EnterSysProtection();
    EXPECT_EQ(2, dialogs.created);
    EXPECT_EQ(1, dialogs.prompts);

    // With a password stored, no dialog asks for one.
    antiTheft.EnterSysProtection();
    EXPECT_EQ(2, dialogs.created);
    EXPECT_EQ(2, dialogs.prompts);
}

TEST_F(AntiTheftTest, OverridesWhileArmedAndPutsEverythingBack)
{
    struct Case {
        Shape shape;
        bool standbyAllowed;
        bool processorPolicy; // false: the system keeps none with its schemes
        Power before;
        Saved savedWhileArmed;
        Power whileArmed;
    };
    // Lid codes that the lid's table does not name are kept as they are.
    const int shutDown = PwrScheme::OtherCodeBase + PowerActionShutdownOff;
    const Case cases[] = {
        // Stand-by, then hibernation in total after 40 minutes.
        {StandbyThenHibernation, true, true, {1, 4, 3, true, 10, 40}, {1, 4, 3, 1, 40, 1}, {0, 0, 0, false, 10, 0}},
        // The same on a system without processor policies.
        {StandbyThenHibernation, true, false, {1, 4, 3, true, 10, 40}, {1, 4, 3, 1, 40, 1}, {0, 0, 0, false, 10, 0}},
        // Hibernation after 20 idle minutes, no stand-by.
        {HibernationOnly, true, true, {2, 1, 2, false, 0, 20}, {2, 1, 2, 0, 20, 1}, {0, 0, 0, false, 0, 0}},
        // A lid that shuts down, on a machine without stand-by.
        {StandbyThenHibernation,
         false,
         true,
         {shutDown, 0, 0, true, 10, 40},
         {shutDown, 0, 0, 1, 40, 1},
         {0, 0, 0, false, 10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        library.PutScheme(ActiveIndex, {.policy = SampleScheme(c.shape), .processorPolicy = SampleProcessor()});
        library.SetStandbyAllowed(c.standbyAllowed);
        library.Fail(sim::PowerCall::ReadProcessorPwrScheme, !c.processorPolicy);
        SetPower(c.before);
        ASSERT_EQ(c.before, PowerNow());
        const GLOBAL_POWER_POLICY globalBefore = library.GlobalPolicy();
        const POWER_POLICY schemeBefore = library.Scheme(ActiveIndex)->policy;
        screenSaver.switched.clear();
        HaldenFunc().SetBeepNow(1);

        dialogs.whileArmed = [&] {
            EXPECT_EQ(c.savedWhileArmed, SavedNow());
            EXPECT_EQ(c.whileArmed, PowerNow());
            if (c.shape.idleAction == PowerActionHibernate) {
                EXPECT_EQ(0u, library.Scheme(ActiveIndex)->policy.user.IdleTimeoutAc) << "no idle action at all";
            }
            EXPECT_EQ(std::vector<bool>{false}, screenSaver.switched);
            EXPECT_EQ(std::vector<int>{1}, SystemProtectionCalls());
            EXPECT_EQ(0, HaldenFunc().GetBeepNow()) << "a movement before arming is forgotten";
            // Whatever changes the global policy meanwhile, disarming writes back the copy
            // read at arming.
            GLOBAL_POWER_POLICY changed = library.GlobalPolicy();
            changed.user.DischargePolicy[0].BatteryLevel = 99;
            library.SetGlobalPolicy(changed);
        };
        ForgetProviderCalls();
        Arm();

        EXPECT_EQ(c.before, PowerNow());
        EXPECT_EQ("", Differences(schemeBefore, library.Scheme(ActiveIndex)->policy)) << "the battery side too";
        EXPECT_EQ(globalBefore.user.LidCloseAc.Action, library.GlobalPolicy().user.LidCloseAc.Action);
        EXPECT_EQ(globalBefore.user.DischargePolicy[0].BatteryLevel,
                  library.GlobalPolicy().user.DischargePolicy[0].BatteryLevel);
        EXPECT_EQ((std::vector<bool>{false, true}), screenSaver.switched) << "always on afterwards";
        EXPECT_EQ((std::vector<int>{1, 0}), SystemProtectionCalls());
        EXPECT_EQ(0, settings.Read(Setting::NotebookProtectionEnabled));
        EXPECT_TRUE(messageBoxes.shown.empty());
    }
}

TEST_F(AntiTheftTest, ProviderFailuresAreShownAndTheSequenceGoesOn)
{
    provider.FailMethod(L"SetSystemProtection", WBEM_E_FAILED);
    Arm();
    EXPECT_EQ(1, dialogs.prompts);
    EXPECT_EQ((std::vector<std::wstring>{L"Set Notebook Protection Enable Failed",
                                         L"Set Notebook Protection Disable Failed"}),
              messageBoxes.shown);
    EXPECT_EQ((Power{1, 4, 3, true, 10, 40}), PowerNow());
    EXPECT_EQ(0, settings.Read(Setting::NotebookProtectionEnabled));
}

TEST_F(AntiTheftTest, ASecondArmingWhileArmedReturnsAtOnce)
{
    dialogs.whileArmed = [&] {
        EXPECT_TRUE(antiTheft.Busy());
        antiTheft.EnterSysProtection();
    };
    Arm();
    EXPECT_EQ(1, dialogs.prompts);
    EXPECT_EQ((Saved{1, 4, 3, 1, 40, 0}), SavedNow()) << "the saved settings were not overwritten";
    EXPECT_EQ((Power{1, 4, 3, true, 10, 40}), PowerNow());
    EXPECT_FALSE(antiTheft.Busy());
}

TEST_F(AntiTheftTest, AnArmedEndIsPutBackAtTheNextStartWithTheInputGivenBack)
{
    ASSERT_TRUE(SetDllDirectoryW(WindowsPath(RECORDING_LOCK_WHOLE_DIR).c_str()));
    // An ordinary start changes nothing and loads no lock.
    antiTheft.StartupRestore();
    EXPECT_TRUE(library.Calls().empty());
    EXPECT_TRUE(screenSaver.switched.empty());
    EXPECT_EQ(nullptr, GetModuleHandleW(L"WinLock.dll"));

    // The program ends while the prompt is up: it stays armed, as after a power loss.
    const auto batterySide = [&] {
        PwrScheme scheme(library.Functions());
        EXPECT_TRUE(scheme.InitScheme(ActiveIndex));
        return std::pair(scheme.GetStandbyTimerDc(), scheme.GetHibernationTimerDc());
    };
    const auto batteryBefore = batterySide();
    dialogs.unlocked = false;
    Arm();
    EXPECT_EQ((Power{0, 0, 0, false, 10, 0}), PowerNow());
    EXPECT_EQ(1, settings.Read(Setting::NotebookProtectionEnabled));
    EXPECT_EQ(std::vector<int>{1}, SystemProtectionCalls());
    EXPECT_EQ(std::vector<bool>{false}, screenSaver.switched);
    EXPECT_TRUE(antiTheft.Armed());
    screenSaver.switched.clear();
    ForgetProviderCalls();

    // The next start, on a system that keeps no processor policy with its schemes: the
    // scheme is put back all the same.
    library.Fail(sim::PowerCall::ReadProcessorPwrScheme);
    AntiTheft next{{settings, wmi, functions, screenSaver, dialogs, messageBoxes, nullptr, L""}};
    next.StartupRestore();
    EXPECT_EQ((Power{1, 4, 3, true, 10, 40}), PowerNow());
    EXPECT_EQ(batteryBefore, batterySide());
    EXPECT_EQ(std::vector<bool>{true}, screenSaver.switched);
    EXPECT_EQ("CtrlAltDel 1\nSwitching 1\nTaskbar 1\n", RecordedLockCalls());
    EXPECT_EQ(0, settings.Read(Setting::NotebookProtectionEnabled));
    EXPECT_EQ(0u, NewProviderCalls()) << "the provider is not called and nothing is armed";
    EXPECT_EQ(1, dialogs.prompts);
    SetDllDirectoryW(nullptr);
}

// A value that could not be saved would read back at disarming as an earlier arming's or
// the first start's ("do nothing", "never"): its setting is not overridden at all.
TEST_F(AntiTheftTest, NothingIsOverriddenThatCouldNotBeSaved)
{
    ASSERT_TRUE(settings.WriteUserPassword(StoredDigest));
    key.RefuseWrites();
    const Power before = PowerNow();
    dialogs.whileArmed = [&] { EXPECT_EQ(before, PowerNow()); };
    antiTheft.EnterSysProtection();
    EXPECT_EQ(1, dialogs.prompts) << "armed all the same: the prompt and the input lock hold";
    EXPECT_TRUE(library.Writes().empty());
}

TEST_F(AntiTheftTest, SettingsThatCouldNotBeReadAreNeverPutBackAsDoNothing)
{
    const GLOBAL_POWER_POLICY globalBefore = library.GlobalPolicy();
    const POWER_POLICY schemeBefore = library.Scheme(ActiveIndex)->policy;
    library.Fail(sim::PowerCall::ReadGlobalPwrPolicy);
    library.Fail(sim::PowerCall::ReadPwrScheme);
    dialogs.whileArmed = [&] {
        const int notRead = AntiTheft::NotRead;
        EXPECT_EQ((Saved{notRead, notRead, notRead, notRead, notRead, 1}), SavedNow());
        EXPECT_EQ(notRead, settings.Read(Setting::StandbyTimerDc));
        EXPECT_EQ(notRead, settings.Read(Setting::HibernationTimerDc));
    };
    Arm();
    EXPECT_TRUE(library.Writes().empty());

    // A start after that arming ended while armed, with the library readable again.
    library.Fail(sim::PowerCall::ReadGlobalPwrPolicy, false);
    library.Fail(sim::PowerCall::ReadPwrScheme, false);
    ASSERT_TRUE(settings.Write(Setting::NotebookProtectionEnabled, 1));
    antiTheft.StartupRestore();
    EXPECT_EQ("", Differences(globalBefore, library.GlobalPolicy()));
    EXPECT_EQ("", Differences(schemeBefore, library.Scheme(ActiveIndex)->policy));
    EXPECT_EQ(0, settings.Read(Setting::NotebookProtectionEnabled));
}

} // namespace
