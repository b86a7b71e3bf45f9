#include "app/Form1.h"

#include "SimProvider.h"
#include "TestSupport.h"
#include "app/HaldenFunc.h"
#include "platform/Messages.h"
#include "platform/WMI.h"

#include <gtest/gtest.h>

namespace {

class Form1Test : public ::testing::Test {
protected:
    sim::Provider provider;
    WMI wmi{provider.Locator()};
};

TEST_F(Form1Test, IsAHiddenTopLevelWindowFoundByItsTitle)
{
    Form1 form(wmi);
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

    Form1 form(wmi);

    EXPECT_TRUE(provider.Subscribed());
    EXPECT_EQ(0, halden.GetBeepNow());
    EXPECT_EQ(0, halden.GetShakingNow());
    EXPECT_EQ(0, halden.GetModifyPassWord());
    EXPECT_EQ(2, halden.GetMsgIndex()) << "the warning window's answer is not the start's to reset";
}

TEST_F(Form1Test, MovementReportedByTheProviderSetsBeepNow)
{
    Form1 form(wmi);
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
    Form1 form(wmi);
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
    Form1 form(wmi);
    const HWND window = form.Handle();

    // The Exit item unsubscribes before it closes; the close handling's second call
    // must find nothing left to cancel.
    wmi.WMIEventUnRegister();
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

} // namespace
