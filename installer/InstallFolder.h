#pragma once
// The install folder made safe before any file of ours is written into it. The program
// runs with an administrator's full rights at every logon, so nobody else may change what
// is in its folder: neither replace the program nor put a library beside it. Under C:\,
// every signed-in user may create folders and change everything below them.
#include <windows.h>

#include <string>

// Owner Administrators; SYSTEM and Administrators full control, Users read and execute,
// inherited by everything inside; nothing inherited from C:\.
inline constexpr wchar_t ProtectedFolderAccess[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

enum class FolderResult {
    Secured,
    // The folder, or its parent, leads elsewhere or belongs to another user: nothing changed.
    Refused,
    // Something could not be made, read or removed.
    Failed,
};

// Whether a folder owned by owner may be taken over: Administrators, SYSTEM and
// TrustedInstaller own what the system and elevated administrators make, and the installing
// account may own what it made itself where the policy says so.
bool TrustedOwner(PSID owner, PSID installingUser) noexcept;

// parent (C:\Quen) and folder (its Tremorlink) made, or taken over when they are plain
// folders of a trusted owner, each with ProtectedFolderAccess and without passing it on by
// the system's propagation, which would walk through links; then what is in folder, at
// any depth: links removed as links, libraries removed but WinLock.dll, every other file
// and folder given owner Administrators and the folder's list. Files stay where they are:
// Windows Installer has decided which of them to replace before this runs.
FolderResult SecureInstallFolder(const std::wstring& parent, const std::wstring& folder);
