#include "app/Form1.h"

#include "DialogInput.h"
#include "PowerLibrary.h"
#include "RecordingShockState.h"
#include "SimProvider.h"
#include "TestSupport.h"
#include "TestWindow.h"
#include "app/TremorlinkProcess.h"
#include "ui/StringTable.h"
#include "platform/HaldenFunc.h"
#include "platform/Messages.h"
#include "platform/WMI.h"
#include "protection/PassWordVerify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::AboutWindow;

class Form1Test : public ::testing::Test {
protected:
    testsupport::TestSettingsKey settingsKey;
    sim::Provider provider;
    WMI wmi{provider.Locator()};
    testsupport::RecordingShockState shockState;
    sim::PowerLibrary powerLibrary;
    PowerFunctions power = powerLibrary.Functions();
};

TEST_F(Form1Test, IsAHiddenTopLevelWindowFoundByItsTitle)
{
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    const HWND window = form.Handle();
    ASSERT_NE(nullptr, window);

    EXPECT_EQ(window, FindWindowA(nullptr, "QUEN_Tremorlink"));
    // A message-only window could not be found by FindWindowA on Windows.
    EXPECT_EQ(GetDesktopWindow(), GetAncestor(window, GA_PARENT));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(IsIconic(window));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    BYTE alpha = 255;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(0, alpha);
    EXPECT_TRUE(flags & LWA_ALPHA);

    MINMAXINFO limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(646, limits.ptMaxTrackSize.x);
    EXPECT_EQ(510, limits.ptMaxTrackSize.y);
    EXPECT_EQ(0, limits.ptMinTrackSize.x);
    EXPECT_EQ(0, limits.ptMinTrackSize.y);
}

TEST_F(Form1Test, StartSubscribesAndResetsTheSharedFlags)
{
    HaldenFunc halden;
    halden.SetBeepNow(1);
    halden.SetShakingNow(1);
    halden.ModifyPassWord(1);
    halden.SetMsgIndex(2);

    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());

    EXPECT_TRUE(provider.Subscribed());
    EXPECT_EQ(0, halden.GetBeepNow());
    EXPECT_EQ(0, halden.GetShakingNow());
    EXPECT_EQ(0, halden.GetModifyPassWord());
    EXPECT_EQ(2, halden.GetMsgIndex()) << "the warning window's answer is not the start's to reset";
}

TEST_F(Form1Test, MovementReportedByTheProviderSetsBeepNow)
{
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    HaldenFunc halden;

    // A shock is not a movement.
    ASSERT_TRUE(provider.FireEvents({0x501}));
    testsupport::PumpPending();
    EXPECT_EQ(0, halden.GetBeepNow());

    ASSERT_TRUE(provider.FireEvents({0x502}));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return halden.GetBeepNow() == 1; }));

    // Any program may post the message too.
    halden.SetBeepNow(0);
    PostMessageA(form.Handle(), WM_TL_MOVEMENT, 0, 0);
    testsupport::PumpPending();
    EXPECT_EQ(1, halden.GetBeepNow());
}

TEST_F(Form1Test, WholeWindowIsCaptionAndADoubleClickChangesNothing)
{
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    const HWND window = form.Handle();

    RECT before{};
    GetWindowRect(window, &before);
    EXPECT_EQ(HTCAPTION, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(before.left + 1, before.top + 1)));
    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(before.left + 1, before.top + 1));
    testsupport::PumpPending();

    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(IsIconic(window));
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(Form1Test, CloseUnsubscribesDestroysTheWindowAndEndsTheLoop)
{
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    const HWND window = form.Handle();

    SendMessageW(window, WM_CLOSE, 0, 0);

    EXPECT_EQ(1, provider.CancelCount());
    EXPECT_FALSE(provider.Subscribed());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, form.Handle());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));

    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
}

// What a person would see in the tray menu and in a message box, read from inside their
// modal loops by thread timers, which then close them as a person would.
struct Observed {
    HMENU menu = nullptr;
    bool menuSeen = false;
    UINT hddItem = 0;
    UINT antiTheftItem = 0;
    UINT exitItem = 0;
    std::wstring messageBoxText;
};
Observed observed;

void CALLBACK ReadMenuAndClose(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    // Only a timer that fires inside the menu's own loop has seen the menu open.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    observed.menuSeen = GetGUIThreadInfo(GetCurrentThreadId(), &gui) && (gui.flags & GUI_INMENUMODE) != 0;
    observed.hddItem = GetMenuState(observed.menu, Form1::menuItem1, MF_BYCOMMAND);
    observed.antiTheftItem = GetMenuState(observed.menu, Form1::menuItem2, MF_BYCOMMAND);
    observed.exitItem = GetMenuState(observed.menu, Form1::menuItem5, MF_BYCOMMAND);
    EndMenu();
}

BOOL CALLBACK CloseMessageBox(HWND window, LPARAM) noexcept
{
    if (!testsupport::OfClass(window, L"#32770")) {
        return TRUE;
    }
    observed.messageBoxText = testsupport::TextOf(GetDlgItem(window, 0xFFFF));
    PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

void CALLBACK ReadMessageBoxAndClose(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), &CloseMessageBox, 0);
}

// A click on the tray icon: the menu opens with freshly computed item states.
void ClickTrayIcon(const Form1& form, UINT button)
{
    observed = Observed{};
    observed.menu = form.ContextMenu();
    SetTimer(nullptr, 0, 100, &ReadMenuAndClose);
    SendMessageW(form.Handle(), NotifyIconEx::CallbackMessage, 1, button);
    testsupport::PumpPending();
    ASSERT_TRUE(observed.menuSeen) << "no menu opened";
}

TEST_F(Form1Test, TrayMenuStatesAreComputedAtEachClick)
{
    ASSERT_TRUE(settingsKey.Store().Write(Setting::HddProtectionEnabled, 1));
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    HaldenFunc halden;

    ClickTrayIcon(form, WM_RBUTTONUP);
    EXPECT_TRUE(observed.hddItem & MF_CHECKED);
    EXPECT_FALSE(observed.antiTheftItem & MF_GRAYED);

    // While the create-password dialog is open the anti-theft item is greyed, on either click.
    halden.ModifyPassWord(1);
    halden.SaveHddProtectionStatus(2);
    ClickTrayIcon(form, WM_LBUTTONUP);
    EXPECT_TRUE(observed.hddItem & MF_CHECKED) << "any non-zero status is on";
    EXPECT_TRUE(observed.antiTheftItem & MF_GRAYED);

    halden.ModifyPassWord(0);
    halden.SaveHddProtectionStatus(0);
    ClickTrayIcon(form, WM_RBUTTONUP);
    EXPECT_FALSE(observed.hddItem & MF_CHECKED);
    EXPECT_FALSE(observed.antiTheftItem & MF_GRAYED);

    wchar_t text[64] = {};
    GetMenuStringW(form.ContextMenu(), Form1::menuItem1, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(form.Strings().GetString("HDD_Prot"), text);
    EXPECT_EQ(6, GetMenuItemCount(form.ContextMenu()));
}

TEST_F(Form1Test, AFailedSwitchFromTheMenuKeepsTheRequestedState)
{
    ASSERT_TRUE(settingsKey.Store().Write(Setting::HddProtectionEnabled, 1));
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    ClickTrayIcon(form, WM_RBUTTONUP);
    ASSERT_TRUE(observed.hddItem & MF_CHECKED);

    provider.FailMethod(L"SetHDDProtection", WBEM_E_PROVIDER_FAILURE);
    SetTimer(nullptr, 0, 100, &ReadMessageBoxAndClose);
    SendMessageW(form.Handle(), WM_COMMAND, Form1::menuItem1, 0);
    EXPECT_EQ(L"Set HDD Protection Disable Failed", observed.messageBoxText);

    ClickTrayIcon(form, WM_RBUTTONUP);
    EXPECT_FALSE(observed.hddItem & MF_CHECKED);
    EXPECT_EQ(0, settingsKey.Store().Read(Setting::HddProtectionEnabled));
}

TEST_F(Form1Test, StartAppliesTheStoredSettingAndExitUnsubscribesAndCloses)
{
    ASSERT_TRUE(settingsKey.Store().Write(Setting::HddProtectionEnabled, 0));
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    ASSERT_FALSE(provider.Calls().empty());
    EXPECT_EQ(L"SetHDDProtection", provider.Calls().front().method);
    EXPECT_EQ(0, provider.Calls().front().value);
    EXPECT_EQ(0, HaldenFunc().GetHddProtectionStatus());
    for (const auto& icon : form.Icons()) {
        EXPECT_NE(nullptr, icon.get()) << "every tray image is made at start";
    }

    const HWND window = form.Handle();
    SendMessageW(window, WM_COMMAND, Form1::menuItem5, 0);
    EXPECT_EQ(1, provider.CancelCount()) << "the close handling's second unsubscription finds nothing to cancel";
    EXPECT_FALSE(IsWindow(window));
}

// The open prompt's password box.
HWND PromptPasswordBox()
{
    const std::vector<HWND> boxes = testsupport::EditsOf(FindWindowW(nullptr, PassWordVerify::Title));
    return boxes.empty() ? nullptr : boxes.front();
}

// The whole armed period runs inside the menu command; the main window keeps working in
// the prompt's loop, but neither arms again nor ends, nor lets Windows end the session,
// until the right password.
TEST_F(Form1Test, WhileArmedTheWindowHandlesShocksAndRefusesToEndOrArmAgain)
{
    using namespace dialoginput;
    ASSERT_TRUE(SetDllDirectoryW(testsupport::WindowsPath(RECORDING_LOCK_WHOLE_DIR).c_str()));
    ASSERT_TRUE(settingsKey.Store().WriteUserPassword(HaldenFunc().GetHashCode(L"abcd")));
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    Observed whileArmed;
    LRESULT endSessionWhileArmed = TRUE;
    Script script({{WaitFor([] { return testsupport::ShownWindow(PassWordVerify::Title) != nullptr; })},
                   {Do([&] {
                       ClickTrayIcon(form, WM_RBUTTONUP);
                       whileArmed = observed;
                       endSessionWhileArmed = SendMessageW(form.Handle(), WM_QUERYENDSESSION, 0, 0);
                       SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
                       SendMessageW(form.Handle(), WM_COMMAND, Form1::menuItem5, 0);
                       PostMessageW(form.Handle(), WM_TL_SHOCK, 0, 0);
                   })},
                   {WaitFor([&] { return !shockState.sent.empty(); })},
                   // The menu took the focus: back into the password box, as a person would.
                   ClickAt([] { return CentreOf(PromptPasswordBox()); }),
                   {Type(L"abcd"), PressKey(VK_RETURN),
                    WaitFor([] { return FindWindowW(nullptr, PassWordVerify::Title) == nullptr; })}},
                  [] { PostQuitMessage(0); });
    SendMessageW(form.Handle(), WM_COMMAND, Form1::menuItem2, 0);
    EXPECT_TRUE(script.Finish());
    SetDllDirectoryW(nullptr);

    EXPECT_TRUE(whileArmed.antiTheftItem & MF_GRAYED);
    EXPECT_TRUE(whileArmed.exitItem & MF_GRAYED);
    EXPECT_EQ(FALSE, endSessionWhileArmed);
    EXPECT_NE(nullptr, form.Handle()) << "neither WM_CLOSE nor Exit ended the armed program";
    EXPECT_TRUE(provider.Subscribed());
    EXPECT_EQ(std::vector<int>{1}, shockState.sent);
    EXPECT_EQ(0, settingsKey.Store().Read(Setting::NotebookProtectionEnabled));
    ClickTrayIcon(form, WM_RBUTTONUP);
    EXPECT_FALSE(observed.antiTheftItem & MF_GRAYED);
    EXPECT_FALSE(observed.exitItem & MF_GRAYED);
    EXPECT_EQ(TRUE, SendMessageW(form.Handle(), WM_QUERYENDSESSION, 0, 0));
}

// Closing the window, or a Form1 that goes out of scope with its window (a loop that ended
// on a quit request), ends a running reaction's shock state and tells the loop to end.
TEST_F(Form1Test, EndingDuringAShockLeavesTheDriveWithoutAShock)
{
    for (const bool destroyed : {false, true}) {
        SCOPED_TRACE(destroyed ? "destroyed" : "closed");
        shockState.sent.clear();
        {
            Form1 form(wmi, settingsKey.Store(), shockState, power);
            ASSERT_TRUE(form.Create());
            SendMessageW(form.Handle(), WM_TL_SHOCK, 0, 0);
            ASSERT_EQ(std::vector<int>{1}, shockState.sent);
            if (!destroyed) {
                SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
                EXPECT_EQ(nullptr, form.Handle());
            }
        }
        EXPECT_EQ((std::vector<int>{1, 0}), shockState.sent);
        EXPECT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink"));
        MSG message;
        EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }

    // Without a shock in progress nothing is sent.
    shockState.sent.clear();
    {
        Form1 form(wmi, settingsKey.Store(), shockState, power);
        ASSERT_TRUE(form.Create());
    }
    EXPECT_TRUE(shockState.sent.empty());
}

// About opens one window; asked again while it is open, it neither opens another nor
// raises the open one over the window the user has gone on to. Once closed, About opens
// it anew.
TEST_F(Form1Test, AboutOpensOneWindowAndLeavesAnOpenOneWhereItIs)
{
    Form1 form(wmi, settingsKey.Store(), shockState, power);
    ASSERT_TRUE(form.Create());
    SendMessageW(form.Handle(), WM_COMMAND, Form1::menuItem4, 0);
    const HWND about = FindWindowW(nullptr, AboutWindow::Title);
    ASSERT_NE(nullptr, about);
    EXPECT_TRUE(IsWindowVisible(about));

    const tl::unique_hwnd other = testsupport::AnotherProgram({200, 100});
    SetForegroundWindow(other.get());
    testsupport::PumpPending();

    SendMessageW(form.Handle(), WM_COMMAND, Form1::menuItem4, 0);
    testsupport::PumpPending();
    EXPECT_EQ(1, testsupport::WindowsTitled(AboutWindow::Title));
    EXPECT_EQ(about, FindWindowW(nullptr, AboutWindow::Title));
    EXPECT_EQ(other.get(), GetForegroundWindow());
    EXPECT_TRUE(testsupport::Above(other.get(), about)) << "the other window stays above the about window";

    PostMessageW(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(testsupport::PumpUntil([] { return FindWindowW(nullptr, AboutWindow::Title) == nullptr; }));
    SendMessageW(form.Handle(), WM_COMMAND, Form1::menuItem4, 0);
    EXPECT_EQ(1, testsupport::WindowsTitled(AboutWindow::Title));
}

} // namespace
