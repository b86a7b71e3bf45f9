#include "protection/PassWordVerify.h"

#include "platform/PasswordDigest.h"
#include "resource.h"
#include "ui/Dpi.h"
#include "ui/LanguageSelection.h"

#include <algorithm>

namespace {

constexpr int StatusIconCount = 3;
constexpr LONG PasswordRow = 112;
constexpr LONG CaptionLeft = 91;
constexpr LONG BoxWidth = 112;
constexpr LONG BoxHeight = 18;
// The message's place: two lines fit; a longer translation grows upwards, towards the
// title band, so that it never runs into the password row.
constexpr RECT MessageBounds{91, 74, 91 + 253, 74 + 30};
constexpr LONG MessageHighestTop = 50;

constexpr RECT BoxAt(LONG left) noexcept { return {left, PasswordRow, left + BoxWidth, PasswordRow + BoxHeight}; }

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) noexcept
{
    reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
    return TRUE;
}

std::vector<HMONITOR> Monitors()
{
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

} // namespace

PassWordVerify::PassWordVerify(const SettingsStore& settings, const protection::Clock& clock, UINT dpi)
    : SkinnedWindow({.title = Title, .closeButton = false, .draggable = false, .dpi = dpi}),
      CheckPW2(settings.ReadUserPassword()), gRM2(*ui::SelectUserLanguage().table),
      label4(IDB_STATUS_ICONS, StatusIconCount, PadlockImage), label3(ui::Label::Body), label6(ui::Label::Body),
      textBox1(MaxPasswordLength, true), label5(ui::PictureButton::Kind::Push), m_clock(clock)
{
    label5.Click = [this] { OKFunc(); };
}

bool PassWordVerify::Create()
{
    if (!SkinnedWindow::Create()) {
        return false;
    }
    const HWND panel = Panel().Handle();
    if (!label4.Create(panel, {20, 70, 20 + 62, 70 + 62}) || !label3.Create(panel, MessageBounds) ||
        !label6.Create(panel, {CaptionLeft, PasswordRow, CaptionLeft + 1, PasswordRow + 1}) ||
        !textBox1.Create(panel, BoxAt(PasswordBoxLeft(0))) ||
        !label5.Create(panel, ui::PictureButton::PushBoundsAt(270, 144))) {
        return false;
    }
    label6.SetAutoSize(true);
    TitleLabel()->SetText(gRM2.GetString("NB_Prot"));
    label3.SetText(gRM2.GetString("Pwd_Verify"));
    label5.SetText(gRM2.GetString("OK"));
    label6.SetText(gRM2.GetString("Pwd"));
    AdaptLayout();
    if (!ShowBlockScreens()) {
        return false;
    }

    // Fails when another program holds Enter; then only the OK button confirms.
    RegisterHotKey(Handle(), HotKeyId, 0, VK_RETURN);
    eGF.LoadLockKeyDll2();
    eGF.LockCtrlAltDelKey(false);
    eGF.LockSwitchingKey(false);
    eGF.LockTaskbar(false);
    // A movement noted before the prompt existed belongs to no alarm of this prompt.
    eGF.SetBeepNow(0);
    PwdEnterd = 0;
    SetTimer(Handle(), timer1, PollInterval, nullptr);
    return true;
}

void PassWordVerify::StopListening()
{
    KillTimer(Handle(), timer1);
    UnregisterHotKey(Handle(), HotKeyId);
}

LRESULT PassWordVerify::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HOTKEY:
        if (wParam == HotKeyId) {
            TakeTypedKeys();
            OKFunc();
        }
        return 0;
    case WM_TIMER:
        if (wParam == timer1) {
            timer1_Tick();
        }
        return 0;
    case WM_CLOSE:
        // Only the right password closes the prompt: a close request from elsewhere
        // would leave the input locked behind it.
        return 0;
    case WM_SYSCOMMAND:
        // Alt+F4, when the input lock does not catch it, and the system close command.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            FocusInput();
        }
        return 0;
    case WM_DISPLAYCHANGE:
        // A monitor plugged in while armed must not show the desktop.
        // A blocking window that cannot be made leaves the old ones up: input stays locked
        // and the prompt keeps the foreground.
        static_cast<void>(ShowBlockScreens());
        if (IsWindowVisible(Handle())) {
            RaiseAboveOthers();
        }
        break;
    default: break;
    }
    return SkinnedWindow::WndProc(message, wParam, lParam);
}

void PassWordVerify::AdaptLayout()
{
    textBox1.SetBounds(BoxAt(PasswordBoxLeft(label6.DesignWidth())));
    const LONG needed = ui::Unscale(label3.WrappedTextHeight(), label3.Dpi());
    const LONG top = std::clamp(MessageBounds.bottom - needed, MessageHighestTop, MessageBounds.top);
    label3.SetBounds({MessageBounds.left, top, MessageBounds.right, MessageBounds.bottom});
}

// One on each monitor, each covering it with the picture; the primary's picture as large
// as the current display mode, the others' as their monitor. The new ones come first, shown
// without taking the activation, and only then do the old ones go: at no moment does a
// monitor show the desktop.
bool PassWordVerify::ShowBlockScreens()
{
    std::vector<std::unique_ptr<blockscreen>> screens;
    for (const HMONITOR monitor : Monitors()) {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (!GetMonitorInfoW(monitor, &info)) {
            continue;
        }
        const RECT& area = info.rcMonitor;
        const SIZE picture = (info.dwFlags & MONITORINFOF_PRIMARY) != 0
                                 ? blockscreen::PrimaryPictureSize()
                                 : SIZE{area.right - area.left, area.bottom - area.top};
        auto& screen = screens.emplace_back(std::make_unique<blockscreen>(area, picture));
        screen->Click = [this] { BringToFront(); };
        if (!screen->Create()) {
            return false;
        }
    }
    BlkScreen.swap(screens);
    return true;
}

void PassWordVerify::BringToFront()
{
    SetForegroundWindow(Handle());
    FocusInput();
}

// The prompt above every blocking window, and those above every visible window of another
// thread. Windows of this thread (the tray menu, a message box) are the program's own and
// may lie between.
bool PassWordVerify::IsAboveOthers() const
{
    const DWORD thread = GetCurrentThreadId();
    bool promptSeen = false;
    size_t screensSeen = 0;
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (window == Handle()) {
            promptSeen = true;
        } else if (std::ranges::any_of(BlkScreen,
                                       [window](const auto& screen) { return screen->Handle() == window; })) {
            if (!promptSeen) {
                return false;
            }
            ++screensSeen;
        } else if (IsWindowVisible(window) && GetWindowThreadProcessId(window, nullptr) != thread) {
            return false;
        }
        if (promptSeen && screensSeen == BlkScreen.size()) {
            return true;
        }
    }
    return false;
}

void PassWordVerify::RaiseAboveOthers()
{
    constexpr UINT inPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (const auto& screen : BlkScreen) {
        SetWindowPos(screen->Handle(), HWND_TOPMOST, 0, 0, 0, 0, inPlace);
    }
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, inPlace);
}

// Another program's window that comes up over the block (a notification, an AutoPlay
// dialog, a program started by a key of the notebook) would take the keys and lead past
// the lock.
void PassWordVerify::KeepInFront()
{
    if (!IsWindowVisible(Handle())) {
        return;
    }
    if (!m_desktops.IsOnCurrentDesktop(Handle())) {
        // The user went to another virtual desktop: new blocking windows open on the one
        // the user sees, and the prompt follows them there (a move that fails is tried
        // again at the next tick, on the same blocking windows).
        if (BlkScreen.empty() || !m_desktops.IsOnCurrentDesktop(BlkScreen.front()->Handle())) {
            static_cast<void>(ShowBlockScreens());
        }
        if (!BlkScreen.empty()) {
            static_cast<void>(m_desktops.MoveToDesktopOf(Handle(), BlkScreen.front()->Handle()));
        }
    }
    if (!IsAboveOthers()) {
        RaiseAboveOthers();
    }
    const HWND foreground = GetForegroundWindow();
    if (foreground == nullptr || GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId()) {
        BringToFront();
    }
}

void PassWordVerify::FocusInput()
{
    // While the box waits, the keys go to the prompt itself, which ignores them.
    SetFocus(m_waiting ? Handle() : textBox1.Handle());
}

void PassWordVerify::SetInputEnabled(bool enabled)
{
    m_waiting = !enabled;
    EnableWindow(textBox1.Handle(), enabled ? TRUE : FALSE);
    EnableWindow(label5.Handle(), enabled ? TRUE : FALSE);
    FocusInput();
}

void PassWordVerify::TakeTypedKeys()
{
    // Translating a key posts its character, which the next round picks up.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void PassWordVerify::OKFunc()
{
    // Enter is a hot key and still arrives while the box waits: the wait stands.
    if (m_waiting) {
        return;
    }
    PwdEnterd = 1;
    const std::wstring typed = textBox1.Text();
    // The box takes at most eight characters, but a text set by a message is not typed.
    // The digest is made of the text in the code page, where a look-alike (a for a with a
    // macron) would stand in for a character the code page lacks: such a text is wrong.
    // GetHashCode gives an empty text when it cannot make a digest, and an empty stored
    // digest means no password: neither may ever match.
    if (typed.empty() || typed.size() > MaxPasswordLength || !FitsThreadCodePage(typed) || CheckPW2.empty() ||
        eGF.GetHashCode(typed) != CheckPW2) {
        WrongPassword();
        return;
    }
    eGF.LockCtrlAltDelKey(true);
    eGF.LockSwitchingKey(true);
    eGF.LockTaskbar(true);
    BlkScreen.clear();
    m_unlocked = true;
    // Before the modal loop ends: no poll may raise a prompt that is done.
    StopListening();
    Close();
}

void PassWordVerify::WrongPassword()
{
    textBox1.Clear();
    label4.SetImageIndex(WarningImage);
    label3.SetText(gRM2.GetString("Wrong_Pwd_Info"));
    AdaptLayout();
    if (++m_wrongInARow <= FreeTries) {
        textBox1.Focus();
        return;
    }
    std::uint64_t wait = FirstWaitMs;
    for (int further = m_wrongInARow - FreeTries - 1; further > 0 && wait < LongestWaitMs; --further) {
        wait *= 2;
    }
    m_waitEndsMs = m_clock.NowMs() + std::min(wait, LongestWaitMs);
    SetInputEnabled(false);
}

void PassWordVerify::timer1_Tick()
{
    if (m_waiting && m_clock.NowMs() >= m_waitEndsMs) {
        SetInputEnabled(true);
    }
    KeepInFront();
    if (PwdEnterd != 0) {
        return;
    }
    SysBeepNow = eGF.GetBeepNow();
    const std::wstring unattended = gRM2.GetString("Unattended");
    if (SysBeepNow == 1 && label3.Text() != unattended) {
        label3.SetText(unattended);
        AdaptLayout();
    }
}
