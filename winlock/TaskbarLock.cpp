#include "TaskbarLock.h"

#include "ExclusiveLock.h"
#include "Journal.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr wchar_t Entry[] = L"Taskbar";

SRWLOCK changing = SRWLOCK_INIT;

struct Found {
    DWORD taskbarThread = 0;
    HeapArray<HWND> windows;
    bool whole = true; // false when a window could not be kept for want of memory
};

bool IsClass(HWND window, const wchar_t* name) noexcept
{
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    return lstrcmpW(className, name) == 0;
}

bool IsTaskbar(HWND window) noexcept
{
    return IsClass(window, L"Shell_TrayWnd") || IsClass(window, L"Shell_SecondaryTrayWnd");
}

// Keeps a window, or ends the enumeration when there is no room for it.
BOOL Keep(Found& into, HWND window) noexcept
{
    into.whole = into.windows.Append(window);
    return into.whole;
}

BOOL CALLBACK CollectTaskbar(HWND window, LPARAM found) noexcept
{
    auto& into = *reinterpret_cast<Found*>(found);
    if (IsWindowVisible(window) && IsTaskbar(window)) {
        if (!Keep(into, window)) {
            return FALSE;
        }
        if (IsClass(window, L"Shell_TrayWnd")) {
            into.taskbarThread = GetWindowThreadProcessId(window, nullptr);
        }
    }
    return TRUE;
}

BOOL CALLBACK CollectStartButton(HWND window, LPARAM found) noexcept
{
    auto& into = *reinterpret_cast<Found*>(found);
    if (IsWindowVisible(window) && IsClass(window, L"Button") &&
        GetWindowThreadProcessId(window, nullptr) == into.taskbarThread) {
        return Keep(into, window);
    }
    return TRUE;
}

// The journal holds the handles as 64-bit numbers, the same in an x86 and an x64 process.
size_t Handles(const SavedValue& journal) noexcept { return journal.data.size() / sizeof(std::uint64_t); }

HWND Handle(const SavedValue& journal, size_t index) noexcept
{
    std::uint64_t number = 0;
    std::memcpy(&number, journal.data.data() + index * sizeof(number), sizeof(number));
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(number));
}

bool Holds(const SavedValue& journal, HWND window) noexcept
{
    for (size_t index = 0; index < Handles(journal); ++index) {
        if (Handle(journal, index) == window) {
            return true;
        }
    }
    return false;
}

[[nodiscard]] bool Add(SavedValue& journal, HWND window) noexcept
{
    const auto number = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
    return journal.data.Append(reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

// Hides every taskbar that shows, and journals those that the journal does not hold yet
// first, in the journal of this session, whose taskbars they are. Called with the lock held.
bool Hide(const std::optional<SavedValue>& journaled, const KeyPath& session) noexcept
{
    Found found;
    EnumWindows(&CollectTaskbar, reinterpret_cast<LPARAM>(&found));
    if (found.whole && found.taskbarThread != 0) {
        EnumWindows(&CollectStartButton, reinterpret_cast<LPARAM>(&found));
    }
    if (!found.whole) {
        return false; // what was not all seen is not hidden
    }
    // The journal as it is to be: what it holds, then what shows and it does not hold yet.
    SavedValue journal{true, REG_BINARY, {}};
    const size_t known = journaled ? Handles(*journaled) : 0;
    for (size_t index = 0; index < known; ++index) {
        if (!Add(journal, Handle(*journaled, index))) {
            return false;
        }
    }
    for (const HWND window : found.windows) {
        if (!Holds(journal, window) && !Add(journal, window)) {
            return false;
        }
    }
    if ((!journaled || Handles(journal) != known) && !Journal::Record(Entry, journal, session)) {
        return false; // what could not be shown again is not hidden
    }
    // Posted, not sent: a shell that is busy or hung must not hold the lock up. One that the
    // journal holds and that shows again (the shell shows its taskbars after a display
    // change) is hidden again.
    for (const HWND window : found.windows) {
        ShowWindowAsync(window, SW_HIDE);
    }
    return true;
}

} // namespace

bool TaskbarLock::Lock()
{
    const ExclusiveLock guard(changing);
    const KeyPath session = Journal::SessionScope();
    Journal::Adopt(Entry, session);
    // A second lock, or one after a process that was killed while locked, keeps what the
    // journal holds and adds what shows now.
    return Hide(Journal::Find(Entry, session), session);
}

void TaskbarLock::HideNew() noexcept
{
    const ExclusiveLock guard(changing);
    const KeyPath session = Journal::SessionScope();
    if (const std::optional<SavedValue> hidden = Journal::Find(Entry, session)) {
        Hide(hidden, session);
    }
}

bool TaskbarLock::Unlock()
{
    const ExclusiveLock guard(changing);
    // Only this session's taskbars: another session's handles mean nothing here.
    const KeyPath session = Journal::SessionScope();
    Journal::Adopt(Entry, session);
    const std::optional<SavedValue> hidden = Journal::Find(Entry, session);
    if (!hidden) {
        return true;
    }
    for (size_t index = 0; index < Handles(*hidden); ++index) {
        const HWND window = Handle(*hidden, index);
        // A handle of a window that is gone, or now another's, is left alone.
        if (IsWindow(window) && (IsTaskbar(window) || IsClass(window, L"Button"))) {
            ShowWindowAsync(window, SW_SHOWNA);
        }
    }
    Journal::Forget(Entry, session);
    return true;
}
