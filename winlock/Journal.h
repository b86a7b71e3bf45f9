#pragma once
// What the lock has changed and how it was before, kept in the registry under the
// program's settings key before anything is changed. An unlock puts back what the
// journal holds, whichever process made the change: one that was killed while locked
// leaves nothing locked for good.
#include "HeapArray.h"
#include "KeyPath.h"

#include <windows.h>

#include <optional>

// A registry value as it was: absent, or its type and data.
struct SavedValue {
    bool present = false;
    DWORD type = REG_NONE;
    HeapArray<BYTE> data;

    // A present value of type holding a copy of size bytes at data; null when there is no
    // room for it.
    static std::optional<SavedValue> Of(DWORD type, const void* data, size_t size) noexcept;

    bool operator==(const SavedValue&) const = default;
};

// Reads and writes registry values in the native view of 64-bit Windows.
std::optional<SavedValue> ReadValue(HKEY root, const wchar_t* subKey, const wchar_t* name) noexcept;
bool WriteValue(HKEY root, const wchar_t* subKey, const wchar_t* name, const SavedValue& value) noexcept;

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
    static KeyPath UserScope(const KeyPath& sid) noexcept;
    // The SID of this process's user; empty when the token cannot be read.
    static KeyPath ThisUser() noexcept;
    // The scope of this process's session.
    static KeyPath SessionScope() noexcept;
    // The SIDs of every user whose scope holds an entry; one left out for want of memory
    // waits for a later unlock.
    static HeapArray<KeyPath> Users() noexcept;

    // The state recorded under entry, if any.
    static std::optional<SavedValue> Find(const wchar_t* entry, const KeyPath& scope = {}) noexcept;
    // Records a state under entry; false when it could not be written.
    static bool Record(const wchar_t* entry, const SavedValue& before, const KeyPath& scope = {}) noexcept;
    // Forgets an entry, and a user's or session's scope with its last entry.
    static void Forget(const wchar_t* entry, const KeyPath& scope = {}) noexcept;
    // Moves an entry that a journal without scopes holds into scope, unless scope has one
    // already: that version meant it for whoever would unlock, which is this process.
    static void Adopt(const wchar_t* entry, const KeyPath& scope) noexcept;
};
