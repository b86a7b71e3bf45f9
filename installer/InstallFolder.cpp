#include "InstallFolder.h"

#include "TokenUser.h"
#include "Handles.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>

namespace {

// NT SERVICE\TrustedInstaller, which owns what Windows itself installs.
constexpr wchar_t TrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool SidIs(PSID sid, const wchar_t* text) noexcept
{
    tl::unique_hlocal known;
    return ConvertStringSidToSidW(text, reinterpret_cast<PSID*>(known.put())) && EqualSid(sid, known.get());
}

// The user of this process, in buffer.
PSID ProcessUser(TokenUserBuffer& buffer) noexcept
{
    tl::unique_handle token;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ? TokenUserSid(token.get(), buffer)
                                                                           : nullptr;
}

// Opened as itself, not what it may lead to, and so that nobody can rename or remove it
// while we hold it: what is checked is what gets the access list.
tl::unique_hfile OpenFolder(const std::wstring& path) noexcept
{
    return tl::unique_hfile(CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Whether the folder held is the one that stands at path, not one that a link on the way
// leads to: a second look beside the reparse attribute, which a file system that does not
// open links as themselves (Wine's, for one) reports for the folder led to.
bool HeldAt(HANDLE folder, const std::wstring& path)
{
    std::wstring held(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetFinalPathNameByHandleW(folder, held.data(), static_cast<DWORD>(held.size()),
                                               FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)) >= held.size()) {
        held.resize(length);
    }
    const std::wstring expected = L"\\\\?\\" + path;
    return length != 0 && CompareStringOrdinal(held.c_str(), static_cast<int>(length), expected.c_str(),
                                               static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

// refuseForeign: a folder of ours that another user owns, or that leads elsewhere, is
// refused; inside a folder of ours, what another user made is taken over instead.
FolderResult Secure(const std::wstring& path, PSECURITY_DESCRIPTOR access, PSID user, tl::unique_hfile& folder,
                    bool refuseForeign = true)
{
    folder = OpenFolder(path);
    if (!folder) {
        const DWORD error = GetLastError();
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), access, FALSE};
        if ((error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) ||
            !CreateDirectoryW(path.c_str(), &attributes)) {
            return FolderResult::Failed;
        }
        folder = OpenFolder(path);
        if (!folder) {
            return FolderResult::Failed;
        }
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(folder.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return FolderResult::Failed;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !HeldAt(folder.get(), path)) {
        return FolderResult::Refused;
    }
    PSID owner = nullptr;
    tl::unique_hlocal descriptor;
    if (GetSecurityInfo(folder.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.put())) != ERROR_SUCCESS) {
        return FolderResult::Failed;
    }
    if (refuseForeign && !TrustedOwner(owner, user)) {
        return FolderResult::Refused;
    }
    // On this folder alone: the system's propagation to what is inside would walk through
    // whatever links an earlier user left there, which are removed instead.
    return SetKernelObjectSecurity(
               folder.get(),
               OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, access)
               ? FolderResult::Secured
               : FolderResult::Failed;
}

// Owner Administrators and only what folder passes on, for a file that an earlier install
// or anyone else left: such a file kept the access list it was made with.
bool TakeOverFile(const std::wstring& path, PSECURITY_DESCRIPTOR access) noexcept
{
    PSID administrators = nullptr;
    BOOL defaulted = FALSE;
    ACL inheritedOnly{};
    return GetSecurityDescriptorOwner(access, &administrators, &defaulted) &&
           InitializeAcl(&inheritedOnly, sizeof(inheritedOnly), ACL_REVISION) &&
           SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                     UNPROTECTED_DACL_SECURITY_INFORMATION,
                                 administrators, nullptr, &inheritedOnly, nullptr) == ERROR_SUCCESS;
}

bool IsLibrary(const std::wstring& name) noexcept
{
    return name.size() > 4 && CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".dll", 4, TRUE) == CSTR_EQUAL;
}

// What is in folder, which is ours already: links removed as links (never what they lead
// to), libraries removed but the input lock's own, every other file and folder taken over.
bool CleanFolder(const std::wstring& path, PSECURITY_DESCRIPTOR access, PSID user, bool programFolder)
{
    WIN32_FIND_DATAW found{};
    const tl::unique_any<HANDLE, &::FindClose, &tl::InvalidFileHandle> search(
        FindFirstFileW((path + L"\\*").c_str(), &found));
    if (!search) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    bool cleaned = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring entry = path + L"\\" + name;
        const DWORD attributes = found.dwFileAttributes;
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            cleaned &= (folder ? RemoveDirectoryW(entry.c_str()) : DeleteFileW(entry.c_str())) != FALSE;
        } else if (folder) {
            tl::unique_hfile held;
            cleaned &= Secure(entry, access, user, held, false) == FolderResult::Secured &&
                       CleanFolder(entry, access, user, false);
        } else if (IsLibrary(name) &&
                   !(programFolder && CompareStringOrdinal(name.c_str(), -1, L"WinLock.dll", -1, TRUE) == CSTR_EQUAL)) {
            SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            cleaned &= DeleteFileW(entry.c_str()) != FALSE;
        } else {
            cleaned &= TakeOverFile(entry, access);
        }
    } while (FindNextFileW(search.get(), &found));
    return cleaned;
}

} // namespace

bool TrustedOwner(PSID owner, PSID installingUser) noexcept
{
    if (owner == nullptr || !IsValidSid(owner)) {
        return false;
    }
    return SidIs(owner, L"BA") || SidIs(owner, L"SY") || SidIs(owner, TrustedInstaller) ||
           (installingUser != nullptr && EqualSid(owner, installingUser));
}

FolderResult SecureInstallFolder(const std::wstring& parent, const std::wstring& folder)
{
    tl::unique_hlocal access;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            ProtectedFolderAccess, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(access.put()), nullptr)) {
        return FolderResult::Failed;
    }
    TokenUserBuffer userBuffer;
    const PSID user = ProcessUser(userBuffer);
    // Both held until the end, so that neither can be swapped for a link meanwhile.
    tl::unique_hfile parentFolder;
    tl::unique_hfile programFolder;
    FolderResult result = Secure(parent, access.get(), user, parentFolder);
    if (result == FolderResult::Secured) {
        result = Secure(folder, access.get(), user, programFolder);
    }
    if (result == FolderResult::Secured && !CleanFolder(folder, access.get(), user, true)) {
        result = FolderResult::Failed;
    }
    return result;
}
