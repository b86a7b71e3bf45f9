#include "platform/LibrarySearch.h"

#include <string>

bool RestrictLibrarySearch() noexcept
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories != nullptr &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return true;
    }
    return SetDllDirectoryW(L"") != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    try {
        // A full path: the file in the system folder or nothing, on every version of Windows.
        return LoadLibraryExW((std::wstring(folder, length) + L"\\" + name).c_str(), nullptr, 0);
    } catch (...) {
        return nullptr;
    }
}
