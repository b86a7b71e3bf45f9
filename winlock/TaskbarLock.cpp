#include "TaskbarLock.h"

#include "Journal.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr wchar_t Entry[] = L"Taskbar";

std::mutex changing;

struct Found {
    DWORD taskbarThread = 0;
    std::vector<HWND> windows;
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

BOOL CALLBACK CollectTaskbar(HWND window, LPARAM found) noexcept
{
    auto& into = *reinterpret_cast<Found*>(found);
    if (IsWindowVisible(window) && IsTaskbar(window)) {
        into.windows.push_back(window);
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
        into.windows.push_back(window);
    }
    return TRUE;
}

// The handles as 64-bit numbers, the same in an x86 and an x64 process.
SavedValue Pack(const std::vector<HWND>& windows)
{
    SavedValue value{true, REG_BINARY, {}};
    for (const HWND window : windows) {
        const auto number = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
        const auto* bytes = reinterpret_cast<const BYTE*>(&number);
        value.data.insert(value.data.end(), bytes, bytes + sizeof(number));
    }
    return value;
}

std::vector<HWND> Unpack(const SavedValue& value)
{
    std::vector<HWND> windows;
    for (size_t offset = 0; offset + sizeof(std::uint64_t) <= value.data.size(); offset += sizeof(std::uint64_t)) {
        std::uint64_t number = 0;
        std::memcpy(&number, &value.data[offset], sizeof(number));
        windows.push_back(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(number)));
    }
    return windows;
}

// Hides every taskbar that shows, and journals those that the journal does not hold yet
// first, in the journal of this session, whose taskbars they are. Called with the lock held.
bool Hide(std::vector<HWND> journaled, bool recordAnyway, const std::wstring& session)
{
    Found found;
    EnumWindows(&CollectTaskbar, reinterpret_cast<LPARAM>(&found));
    if (found.taskbarThread != 0) {
        EnumWindows(&CollectStartButton, reinterpret_cast<LPARAM>(&found));
    }
    const size_t known = journaled.size();
    for (const HWND window : found.windows) {
        if (std::find(journaled.begin(), journaled.end(), window) == journaled.end()) {
            journaled.push_back(window);
        }
    }
    if ((recordAnyway || journaled.size() != known) && !Journal::Record(Entry, Pack(journaled), session)) {
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
    const std::lock_guard<std::mutex> guard(changing);
    const std::wstring session = Journal::SessionScope();
    Journal::Adopt(Entry, session);
    // A second lock, or one after a process that was killed while locked, keeps what the
    // journal holds and adds what shows now.
    const std::optional<SavedValue> hidden = Journal::Find(Entry, session);
    return Hide(hidden ? Unpack(*hidden) : std::vector<HWND>{}, !hidden, session);
}

void TaskbarLock::HideNew() noexcept
{
    const std::lock_guard<std::mutex> guard(changing);
    const std::wstring session = Journal::SessionScope();
    if (const std::optional<SavedValue> hidden = Journal::Find(Entry, session)) {
        Hide(Unpack(*hidden), false, session);
    }
}

bool TaskbarLock::Unlock()
{
    const std::lock_guard<std::mutex> guard(changing);
    // Only this session's taskbars: another session's handles mean nothing here.
    const std::wstring session = Journal::SessionScope();
    Journal::Adopt(Entry, session);
    const std::optional<SavedValue> hidden = Journal::Find(Entry, session);
    if (!hidden) {
        return true;
    }
    for (const HWND window : Unpack(*hidden)) {
        // A handle of a window that is gone, or now another's, is left alone.
        if (IsWindow(window) && (IsTaskbar(window) || IsClass(window, L"Button"))) {
            ShowWindowAsync(window, SW_SHOWNA);
        }
    }
    Journal::Forget(Entry, session);
    return true;
}
