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

class Journal {
public:
    // HKEY_LOCAL_MACHINE\Software\Quen\Tremorlink\WinLock.
    static constexpr wchar_t Key[] = L"Software\\Quen\\Tremorlink\\WinLock";

    // The state recorded under entry, if any.
    static std::optional<SavedValue> Find(const wchar_t* entry);
    // Records a state under entry; false when it could not be written.
    static bool Record(const wchar_t* entry, const SavedValue& before);
    static void Forget(const wchar_t* entry);
};
