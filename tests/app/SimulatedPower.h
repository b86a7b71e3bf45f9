#pragma once
// The simulated power library of this build (sim/powrprof.dll) in place of the system's
// for Tremorlink.exe alone, in this Wine prefix, while a SimulatedPowerInPlace lives: the
// DLL is copied over the prefix's system-folder powrprof.dll (Wine's own copy is kept
// aside and put back), and HKCU\Software\Wine\AppDefaults\Tremorlink.exe\DllOverrides
// gets powrprof = native, so that every other program of the prefix, the tests among
// them, keeps Wine's builtin library. The power settings it answers from are the prefix's
// (sim/PowerStore.h): cleared when the object is made and when it goes, so that each test
// starts from a new notebook's settings; a test puts its own with sim::StorePowerState.
//
// Off Wine it changes nothing and InPlace() is false. End Tremorlink.exe before the
// object goes: a running program holds the DLL, and Wine's copy could not be put back.
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"
#include "PowerStore.h"
#include "Registry.h"

#include <windows.h>

#include <string>

namespace testsupport {

class SimulatedPowerInPlace {
public:
    SimulatedPowerInPlace()
    {
        if (!UnderWine()) {
            return;
        }
        // A copy of Wine's library kept from an earlier run that could not put it back is
        // Wine's own; the file in its place may be ours.
        const bool kept =
            CopyFileW(SystemLibrary().c_str(), KeptLibrary().c_str(), TRUE) || GetLastError() == ERROR_FILE_EXISTS;
        m_inPlace = kept && sim::ClearStoredPowerState() &&
                    CopyFileW(WindowsPath(TREMORLINK_SIM_POWRPROF_DLL).c_str(), SystemLibrary().c_str(), FALSE) &&
                    SetRegistryString(HKEY_CURRENT_USER, OverridesKey, L"powrprof", L"native");
    }
    SimulatedPowerInPlace(const SimulatedPowerInPlace&) = delete;
    SimulatedPowerInPlace& operator=(const SimulatedPowerInPlace&) = delete;
    ~SimulatedPowerInPlace()
    {
        if (!UnderWine()) {
            return;
        }
        tl::unique_hkey overrides = tl::OpenKey(HKEY_CURRENT_USER, OverridesKey, KEY_SET_VALUE);
        if (overrides) {
            RegDeleteValueW(overrides.get(), L"powrprof");
        }
        overrides.reset();
        DeleteIfEmpty(OverridesKey);
        DeleteIfEmpty(ApplicationKey);
        if (CopyFileW(KeptLibrary().c_str(), SystemLibrary().c_str(), FALSE)) {
            DeleteFileW(KeptLibrary().c_str());
        }
        sim::ClearStoredPowerState();
    }

    bool InPlace() const { return m_inPlace; }

    // Where the library lies in the prefix, for Tremorlink.exe and for Wine's own.
    static std::wstring SystemLibrary() { return SystemFolder() + L"\\powrprof.dll"; }

private:
    static constexpr wchar_t ApplicationKey[] = L"Software\\Wine\\AppDefaults\\Tremorlink.exe";
    static constexpr wchar_t OverridesKey[] = L"Software\\Wine\\AppDefaults\\Tremorlink.exe\\DllOverrides";

    static std::wstring SystemFolder()
    {
        wchar_t folder[MAX_PATH] = {};
        GetSystemDirectoryW(folder, MAX_PATH);
        return folder;
    }
    static std::wstring KeptLibrary() { return SystemFolder() + L"\\powrprof.dll.wine"; }

    // Only what this object made goes: a key that holds anything else stays.
    static void DeleteIfEmpty(const wchar_t* subKey)
    {
        tl::unique_hkey key = tl::OpenKey(HKEY_CURRENT_USER, subKey, KEY_READ);
        DWORD subKeys = 0;
        DWORD values = 0;
        if (key &&
            RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
            subKeys == 0 && values == 0) {
            key.reset();
            RegDeleteKeyW(HKEY_CURRENT_USER, subKey);
        }
    }

    bool m_inPlace = false;
};

} // namespace testsupport
