#include "app/NotifyIconEx.h"

#include "TestSupport.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The shell as the icon sees it: answers each call as the test says and records it.
struct FakeShell {
    std::function<BOOL(DWORD message)> answer = [](DWORD) { return TRUE; };
    std::vector<DWORD> calls;

    NotifyIconEx::ShellNotify Notify()
    {
        return [this](DWORD message, NOTIFYICONDATAW*) {
            calls.push_back(message);
            return answer(message);
        };
    }
    int Count(DWORD message) const { return static_cast<int>(std::count(calls.begin(), calls.end(), message)); }
};

class NotifyIconExTest : public ::testing::Test {
protected:
    NotifyIconExTest()
        : owner(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr))
    {
    }
    ~NotifyIconExTest() override { DestroyWindow(owner); }

    bool Deliver(NotifyIconEx& icon, UINT message, WPARAM wParam = 0)
    {
        LRESULT result = 0;
        return icon.HandleMessage(message, wParam, 0, result);
    }

    HWND owner;
    FakeShell shell;
};

TEST_F(NotifyIconExTest, ARefusedAddIsRetriedAndAnAddThatTimedOutCountsWhenTheIconAnswers)
{
    // The shell is not up yet: it refuses both the add and the check.
    shell.answer = [](DWORD) { return FALSE; };
    NotifyIconEx icon(owner, 1, shell.Notify());
    icon.SetVisible(true);
    EXPECT_FALSE(icon.Added());
    icon.ShowBalloon(L"title", L"text", NotifyInfoFlags::None, 3000);
    EXPECT_EQ(1, shell.Count(NIM_MODIFY)) << "only the check of the add; no balloon for an icon that is not there";

    // A second later the shell answers the add only after its time-out, but has the icon.
    shell.answer = [](DWORD message) { return message == NIM_MODIFY; };
    shell.calls.clear();
    EXPECT_TRUE(Deliver(icon, WM_TIMER, NotifyIconEx::RetryTimerId));
    EXPECT_TRUE(icon.Added());
    EXPECT_EQ((std::vector<DWORD>{NIM_ADD, NIM_MODIFY}), shell.calls);

    // From then on the icon changes and shows balloons.
    shell.calls.clear();
    icon.SetIcon(nullptr);
    icon.ShowBalloon(L"title", L"text", NotifyInfoFlags::None, 3000);
    EXPECT_EQ((std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}), shell.calls);
}

TEST_F(NotifyIconExTest, ANewShellGetsTheIconAgainAndTheIconGoesWithItsObject)
{
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    {
        NotifyIconEx icon(owner, 1, shell.Notify());
        icon.SetVisible(true);
        ASSERT_TRUE(icon.Added());
        EXPECT_EQ(1, shell.Count(NIM_ADD));

        EXPECT_TRUE(Deliver(icon, taskbarCreated));
        EXPECT_EQ(2, shell.Count(NIM_ADD));
        EXPECT_TRUE(icon.Added());
        EXPECT_FALSE(Deliver(icon, WM_USER + 77)) << "not the icon's message";
    }
    EXPECT_EQ(1, shell.Count(NIM_DELETE));

    // An icon the shell never took is not removed.
    shell.calls.clear();
    shell.answer = [](DWORD) { return FALSE; };
    {
        NotifyIconEx icon(owner, 2, shell.Notify());
        icon.SetVisible(true);
    }
    EXPECT_EQ(0, shell.Count(NIM_DELETE));
}

} // namespace
