#include "ProtectedKey.h"

#include <sddl.h>

#include <cwchar>

namespace {

// ProtectedKeyAccess as a descriptor, freed with LocalFree; null with the last error set.
PSECURITY_DESCRIPTOR ProtectedKeyDescriptor() noexcept
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    return ConvertStringSecurityDescriptorToSecurityDescriptorW(ProtectedKeyAccess, SDDL_REVISION_1, &descriptor,
                                                                nullptr)
               ? descriptor
               : nullptr;
}

LSTATUS SetProtectedList(HKEY key, PSECURITY_DESCRIPTOR descriptor) noexcept
{
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, descriptor);
}

} // namespace

LSTATUS ProtectKey(HKEY key) noexcept
{
    const PSECURITY_DESCRIPTOR descriptor = ProtectedKeyDescriptor();
    if (descriptor == nullptr) {
        return static_cast<LSTATUS>(GetLastError());
    }
    const LSTATUS status = SetProtectedList(key, descriptor);
    LocalFree(descriptor);
    return status;
}

LSTATUS CreateProtectedKey(HKEY root, const wchar_t* subKey, REGSAM access, HKEY* key) noexcept
{
    const PSECURITY_DESCRIPTOR descriptor = ProtectedKeyDescriptor();
    if (descriptor == nullptr) {
        return static_cast<LSTATUS>(GetLastError());
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    const REGSAM view = access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    // A new key gets the list as it is made; set once more, since Wine ignores the list
    // given at creation (Windows applies it, and setting it again changes nothing).
    const auto create = [&](const wchar_t* path, REGSAM rights, HKEY* made) {
        DWORD disposition = 0;
        LSTATUS created = RegCreateKeyExW(root, path, 0, nullptr, 0, rights | WRITE_DAC, &attributes, made,
                                          &disposition);
        if (created == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY) {
            created = SetProtectedList(*made, descriptor);
            if (created != ERROR_SUCCESS) {
                RegCloseKey(*made);
            }
        }
        return created;
    };
    // One level at a time: whether RegCreateKeyExW gives the keys it makes on the way the
    // same list is not documented. Each parent is the path cut short at one of its
    // backslashes, in a copy: WinLock.dll, which builds this, carries no string class.
    const size_t length = std::wcslen(subKey) + 1;
    const auto path = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, length * sizeof(wchar_t)));
    LSTATUS status = path != nullptr ? ERROR_SUCCESS : ERROR_OUTOFMEMORY;
    if (path != nullptr) {
        std::wmemcpy(path, subKey, length);
        for (wchar_t* end = std::wcschr(path, L'\\'); status == ERROR_SUCCESS && end != nullptr;
             end = std::wcschr(end + 1, L'\\')) {
            *end = L'\0';
            HKEY parent = nullptr;
            status = create(path, KEY_CREATE_SUB_KEY | view, &parent);
            if (status == ERROR_SUCCESS) {
                RegCloseKey(parent);
            }
            *end = L'\\';
        }
        LocalFree(path);
    }
    if (status == ERROR_SUCCESS) {
        status = create(subKey, access, key);
    }
    LocalFree(descriptor);
    return status;
}
