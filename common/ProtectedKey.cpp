#include "ProtectedKey.h"

#include "Handles.h"

#include <sddl.h>

#include <cwchar>

namespace {

// ProtectedKeyAccess as a descriptor; empty with the last error set.
tl::unique_hlocal ProtectedKeyDescriptor() noexcept
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const BOOL made =
        ConvertStringSecurityDescriptorToSecurityDescriptorW(ProtectedKeyAccess, SDDL_REVISION_1, &descriptor, nullptr);
    return tl::unique_hlocal(made ? descriptor : nullptr);
}

LSTATUS SetProtectedList(HKEY key, PSECURITY_DESCRIPTOR descriptor) noexcept
{
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, descriptor);
}

} // namespace

LSTATUS ProtectKey(HKEY key) noexcept
{
    const tl::unique_hlocal descriptor = ProtectedKeyDescriptor();
    if (!descriptor) {
        return static_cast<LSTATUS>(GetLastError());
    }
    return SetProtectedList(key, descriptor.get());
}

LSTATUS CreateProtectedKey(HKEY root, const wchar_t* subKey, REGSAM access, HKEY* key) noexcept
{
    const tl::unique_hlocal descriptor = ProtectedKeyDescriptor();
    if (!descriptor) {
        return static_cast<LSTATUS>(GetLastError());
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    const REGSAM view = access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    // A new key gets the list as it is made; set once more, since Wine ignores the list
    // given at creation (Windows applies it, and setting it again changes nothing).
    const auto create = [&](const wchar_t* path, REGSAM rights, tl::unique_hkey& made) {
        DWORD disposition = 0;
        HKEY opened = nullptr;
        LSTATUS created =
            RegCreateKeyExW(root, path, 0, nullptr, 0, rights | WRITE_DAC, &attributes, &opened, &disposition);
        if (created != ERROR_SUCCESS) {
            return created; // what a failed call leaves in opened is no key to close
        }
        made.reset(opened);
        if (disposition == REG_CREATED_NEW_KEY) {
            created = SetProtectedList(made.get(), descriptor.get());
            if (created != ERROR_SUCCESS) {
                made.reset();
            }
        }
        return created;
    };
    // One level at a time: whether RegCreateKeyExW gives the keys it makes on the way the
    // same list is not documented. Each parent is the path cut short at one of its
    // backslashes, in a copy: WinLock.dll, which builds this, carries no string class.
    const size_t length = std::wcslen(subKey) + 1;
    const tl::unique_hlocal copy(LocalAlloc(LMEM_FIXED, length * sizeof(wchar_t)));
    const auto path = static_cast<wchar_t*>(copy.get());
    LSTATUS status = path != nullptr ? ERROR_SUCCESS : ERROR_OUTOFMEMORY;
    if (path != nullptr) {
        std::wmemcpy(path, subKey, length);
        for (wchar_t* end = std::wcschr(path, L'\\'); status == ERROR_SUCCESS && end != nullptr;
             end = std::wcschr(end + 1, L'\\')) {
            *end = L'\0';
            tl::unique_hkey parent;
            status = create(path, KEY_CREATE_SUB_KEY | view, parent);
            *end = L'\\';
        }
    }
    tl::unique_hkey made;
    if (status == ERROR_SUCCESS) {
        status = create(subKey, access, made);
    }
    if (status == ERROR_SUCCESS) {
        *key = made.release();
    }
    return status;
}
