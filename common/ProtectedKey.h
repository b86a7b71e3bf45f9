#pragma once
// The access list of the settings key and everything under it (the input lock's journal
// among it): administrators and the system alone, nothing inherited from Software, where
// every user may read. The program always runs elevated, and the password's digest is no
// business of a standard user. The installers give the key the same list.
#include <windows.h>

inline constexpr wchar_t ProtectedKeyAccess[] = L"D:P(A;CI;KA;;;BA)(A;CI;KA;;;SY)";

// RegCreateKeyExW for subKey, with every key of the path that does not exist yet created
// with ProtectedKeyAccess (one that exists keeps its own list). The status of the last
// step; key is set only on success.
[[nodiscard]] LSTATUS CreateProtectedKey(HKEY root, const wchar_t* subKey, REGSAM access, HKEY* key) noexcept;

// Gives a key that is already open with WRITE_DAC ProtectedKeyAccess, in place of whatever
// list it had: a key an earlier version made with Software's list.
[[nodiscard]] LSTATUS ProtectKey(HKEY key) noexcept;
