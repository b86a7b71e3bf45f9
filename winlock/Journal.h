#pragma once
// What the lock has changed and how it was before, kept in the registry under the
// program's settings key before anything is changed. An unlock puts back what the
// journal holds, whichever process made the change: one that was killed while locked
// leaves nothing locked for good.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// A registry value as it was: absent, or its type and data.
struct SavedValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    bool operator==(const SavedValue&) const = default;
};

// Reads and writes registry values in the native view of 64-bit Windows.
std::optional<SavedValue> ReadValue(HKEY root, const wchar_t* subKey, const wchar_t* name);
bool WriteValue(HKEY root, const wchar_t* subKey, const wchar_t* name, const SavedValue& value);

// Every entry has a scope: whose it is, and so who may put it back. What the machine has
// once (a policy under HKEY_LOCAL_MACHINE) is the machine's, the empty scope, where a
// journal written before scopes existed keeps all its entries too. A value of a user's own
// hive is that user's (UserScope): after a power loss another administrator may be the
// first to unlock, and must neither write it into their own hive nor lose it. What a
// session shows (its taskbars, its user's hot keys) is that session's (SessionScope).
class Journal {
public:
    // HKEY_LOCAL_MACHINE\Software\Quen\Tremorlink\WinLock.
    static constexpr wchar_t Key[] = L"Software\\Quen\\Tremorlink\\WinLock";

    // The scope of the user with that SID ("S-1-5-21-...").
    static std::wstring UserScope(const std::wstring& sid);
    // The SID of this process's user; empty when the token cannot be read.
    static std::wstring ThisUser();
    // The scope of this process's session.
    static std::wstring SessionScope();
    // The SIDs of every user whose scope holds an entry.
    static std::vector<std::wstring> Users();

    // The state recorded under entry, if any.
    static std::optional<SavedValue> Find(const wchar_t* entry, const std::wstring& scope = {});
    // Records a state under entry; false when it could not be written.
    static bool Record(const wchar_t* entry, const SavedValue& before, const std::wstring& scope = {});
    // Forgets an entry, and a user's or session's scope with its last entry.
    static void Forget(const wchar_t* entry, const std::wstring& scope = {});
    // Moves an entry that a journal without scopes holds into scope, unless scope has one
    // already: that version meant it for whoever would unlock, which is this process.
    static void Adopt(const wchar_t* entry, const std::wstring& scope);
};
