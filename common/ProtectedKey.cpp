#include "ProtectedKey.h"

#include <sddl.h>

#include <string>

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
    LSTATUS status = ERROR_SUCCESS;
    try {
        // One level at a time: whether RegCreateKeyExW gives the keys it makes on the way the
        // same list is not documented.
        const std::wstring path(subKey);
        for (size_t end = path.find(L'\\'); status == ERROR_SUCCESS && end != std::wstring::npos;
             end = path.find(L'\\', end + 1)) {
            HKEY parent = nullptr;
            status = create(path.substr(0, end).c_str(), KEY_CREATE_SUB_KEY | view, &parent);
            if (status == ERROR_SUCCESS) {
                RegCloseKey(parent);
            }
        }
        if (status == ERROR_SUCCESS) {
            status = create(subKey, access, key);
        }
    } catch (...) {
        status = ERROR_OUTOFMEMORY;
    }
    LocalFree(descriptor);
    return status;
}
