#include "TaskSwitchLock.h"

#include "ExclusiveLock.h"
#include "Journal.h"

#include <cstring>

namespace {

bool Held(int virtualKey) noexcept { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

HMODULE ThisLibrary() noexcept
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisLibrary), &module);
    return module;
}

// Windows does not tell when it has removed the hook: it is installed again this often.
constexpr UINT_PTR RehookTimer = 1;
constexpr UINT RehookIntervalMs = 2000;

struct HookStart {
    HANDLE ready;
    TaskSwitchLock::Watch watch;
    bool hooked = false;
};

// What the hook thread keeps, on its own stack, for its hidden window.
struct HookThreadState {
    HHOOK hook = nullptr;
    TaskSwitchLock::Watch watch = nullptr;
};

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        // Wine never sets LLKHF_ALTDOWN; the key state tells on both.
        const bool alt = (key->flags & LLKHF_ALTDOWN) != 0 || Held(VK_MENU);
        DWORD foregroundProcess = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &foregroundProcess);
        if (TaskSwitchLock::Swallows(key->vkCode, alt, Held(VK_CONTROL), foregroundProcess != GetCurrentProcessId())) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HHOOK InstallHook() noexcept { return SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardProc, ThisLibrary(), 0); }

// Windows may have removed the hook without a word; the new one goes in before the old one
// goes, so that no key finds the desktop without one.
void Rehook(HookThreadState& state) noexcept
{
    const HHOOK fresh = InstallHook();
    if (fresh == nullptr) {
        return; // the old one, if it is still there, is better than none
    }
    UnhookWindowsHookEx(state.hook); // fails, harmlessly, for one that Windows removed
    state.hook = fresh;
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<HookThreadState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state != nullptr) {
        switch (message) {
        case WM_TIMER:
            if (wParam == RehookTimer) {
                Rehook(*state);
                if (state->watch != nullptr) {
                    state->watch();
                }
                return 0;
            }
            break;
        case WM_POWERBROADCAST:
            // The first keys after a resume are the likeliest to keep a hook waiting too long.
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
                Rehook(*state);
            }
            return TRUE;
        case WM_DISPLAYCHANGE:
            if (state->watch != nullptr) {
                state->watch();
            }
            return 0;
        default: break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window: a message-only one would receive no broadcast, and neither
// the resume nor a display change would reach the lock.
HWND CreateWatchWindow(HookThreadState& state) noexcept
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WatchProc;
    windowClass.hInstance = ThisLibrary();
    windowClass.lpszClassName = TaskSwitchLock::WindowClass;
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, TaskSwitchLock::WindowClass, L"", WS_POPUP,
                                        0, 0, 0, 0, nullptr, nullptr, ThisLibrary(), &state);
    if (window != nullptr) {
        SetTimer(window, RehookTimer, RehookIntervalMs, nullptr);
    }
    return window;
}

DWORD WINAPI HookThread(void* parameter) noexcept
{
    auto* start = static_cast<HookStart*>(parameter);
    // The hook is called on this thread for every key of the desktop: a thread that waits
    // behind the machine's other work would have it removed.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    MSG message{};
    // The thread's queue exists before anyone posts the quit to it.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HookThreadState state{InstallHook(), start->watch};
    start->hooked = state.hook != nullptr;
    const HWND window = state.hook != nullptr ? CreateWatchWindow(state) : nullptr;
    SetEvent(start->ready); // start is gone from here on
    if (state.hook == nullptr) {
        return 1;
    }
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    if (window != nullptr) {
        DestroyWindow(window);
    }
    // The class names this library's window procedure: a library unloaded and loaded again
    // elsewhere must not find it registered.
    UnregisterClassW(TaskSwitchLock::WindowClass, ThisLibrary());
    UnhookWindowsHookEx(state.hook);
    return 0;
}

constexpr wchar_t JournalEntry[] = L"AccessibilityHotKeys";

// The five accessibility features whose hot keys open windows of their own. Changed for
// this session only: nothing is written to the user's profile.
struct AccessibilityKeys {
    STICKYKEYS sticky{sizeof(STICKYKEYS), 0};
    FILTERKEYS filter{sizeof(FILTERKEYS), 0, 0, 0, 0, 0};
    TOGGLEKEYS toggle{sizeof(TOGGLEKEYS), 0};
    HIGHCONTRASTW contrast{sizeof(HIGHCONTRASTW), 0, nullptr};
    MOUSEKEYS mouse{sizeof(MOUSEKEYS), 0, 0, 0, 0, 0, 0};

    bool Read() noexcept
    {
        return SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(sticky), &sticky, 0) &&
               SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof(filter), &filter, 0) &&
               SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof(toggle), &toggle, 0) &&
               SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
               SystemParametersInfoW(SPI_GETMOUSEKEYS, sizeof(mouse), &mouse, 0);
    }
    bool Write() noexcept
    {
        return SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(sticky), &sticky, 0) &&
               SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof(filter), &filter, 0) &&
               SystemParametersInfoW(SPI_SETTOGGLEKEYS, sizeof(toggle), &toggle, 0) &&
               SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
               SystemParametersInfoW(SPI_SETMOUSEKEYS, sizeof(mouse), &mouse, 0);
    }
    TaskSwitchLock::HotKeyFlags Flags() const
    {
        return {sticky.dwFlags, filter.dwFlags, toggle.dwFlags, contrast.dwFlags, mouse.dwFlags};
    }
    void SetFlags(const TaskSwitchLock::HotKeyFlags& flags) noexcept
    {
        sticky.dwFlags = flags[0];
        filter.dwFlags = flags[1];
        toggle.dwFlags = flags[2];
        contrast.dwFlags = flags[3];
        mouse.dwFlags = flags[4];
    }
};

} // namespace

bool TaskSwitchLock::Swallows(DWORD virtualKey, bool alt, bool ctrl, bool foreignForeground) noexcept
{
    // Another process's window came up over ours (a notification, an AutoPlay dialog, an
    // accessibility window): what is typed would go to it.
    if (foreignForeground) {
        return true;
    }
    // The browser, search, favourites, volume, media, mail and application keys open the
    // browser, Explorer or a player over the block; Print Screen the snipping tool.
    if (virtualKey == VK_SNAPSHOT || (virtualKey >= VK_BROWSER_BACK && virtualKey <= VK_LAUNCH_APP2)) {
        return true;
    }
    switch (virtualKey) {
    case VK_LWIN:
    case VK_RWIN: return true;
    case VK_TAB:
    case VK_F4:
    case VK_SPACE: return alt;
    case VK_ESCAPE: return alt || ctrl; // Ctrl+Shift+Esc, Task Manager, included
    default: return false;
    }
}

std::optional<SavedValue> TaskSwitchLock::Journaled(const HotKeyFlags& flags) noexcept
{
    return SavedValue::Of(REG_BINARY, flags.data(), sizeof(flags));
}

std::optional<TaskSwitchLock::HotKeyFlags> TaskSwitchLock::FromJournal(const SavedValue& journal,
                                                                       const HotKeyFlags& current) noexcept
{
    constexpr size_t before = 4 * sizeof(DWORD); // the version before: no Mouse Keys
    if (!journal.present || (journal.data.size() != sizeof(HotKeyFlags) && journal.data.size() != before)) {
        return std::nullopt;
    }
    HotKeyFlags flags = current;
    std::memcpy(flags.data(), journal.data.data(), journal.data.size());
    return flags;
}

void TaskSwitchLock::SwitchOffHotKeys() noexcept
{
    AccessibilityKeys keys;
    if (!keys.Read()) {
        return;
    }
    // A second lock, or one after a process that was killed while locked, keeps the flags
    // that were there before the first. A journal of the version before, which left Mouse
    // Keys alone, is completed with Mouse Keys as they are; one that cannot be read is
    // replaced by the flags as they are.
    const HotKeyFlags now = keys.Flags();
    const KeyPath session = Journal::SessionScope();
    Journal::Adopt(JournalEntry, session);
    const std::optional<SavedValue> recorded = Journal::Find(JournalEntry, session);
    const std::optional<HotKeyFlags> before = recorded ? FromJournal(*recorded, now) : std::nullopt;
    if (!before || recorded->data.size() != sizeof(HotKeyFlags)) {
        const std::optional<SavedValue> journal = Journaled(before.value_or(now));
        if (!journal || !Journal::Record(JournalEntry, *journal, session)) {
            return; // what could not be put back is not changed
        }
    }
    keys.SetFlags({now[0] & ~static_cast<DWORD>(SKF_HOTKEYACTIVE), now[1] & ~static_cast<DWORD>(FKF_HOTKEYACTIVE),
                   now[2] & ~static_cast<DWORD>(TKF_HOTKEYACTIVE), now[3] & ~static_cast<DWORD>(HCF_HOTKEYACTIVE),
                   now[4] & ~static_cast<DWORD>(MKF_HOTKEYACTIVE)});
    keys.Write();
}

void TaskSwitchLock::PutBackHotKeys() noexcept
{
    // Only this session's: the hot keys are those of the session's user.
    const KeyPath session = Journal::SessionScope();
    Journal::Adopt(JournalEntry, session);
    const std::optional<SavedValue> recorded = Journal::Find(JournalEntry, session);
    if (!recorded) {
        return;
    }
    // Put back as well as the system lets us; an entry that cannot be applied now never
    // could, and would only stand in the next lock's way.
    AccessibilityKeys keys;
    if (keys.Read()) {
        if (const std::optional<HotKeyFlags> before = FromJournal(*recorded, keys.Flags())) {
            keys.SetFlags(*before);
            keys.Write();
        }
    }
    Journal::Forget(JournalEntry, session);
}

bool TaskSwitchLock::Lock()
{
    const ExclusiveLock guard(m_lock);
    if (m_locked) {
        return static_cast<bool>(m_thread);
    }
    m_locked = true;
    SwitchOffHotKeys();
    const tl::unique_handle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready) {
        return false;
    }
    HookStart start{ready.get(), m_watch};
    m_thread.reset(CreateThread(nullptr, 0, &HookThread, &start, 0, &m_threadId));
    if (m_thread) {
        WaitForSingleObject(ready.get(), INFINITE);
        if (!start.hooked) {
            WaitForSingleObject(m_thread.get(), INFINITE);
            m_thread.reset();
        }
    }
    return static_cast<bool>(m_thread);
}

void TaskSwitchLock::Unlock()
{
    const ExclusiveLock guard(m_lock);
    m_locked = false;
    if (m_thread) {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(m_thread.get(), INFINITE);
        m_thread.reset();
    }
    PutBackHotKeys();
}
