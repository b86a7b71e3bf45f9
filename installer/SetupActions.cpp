// The custom actions of the MSI packages: what Windows Installer has no table for. Ending
// a running program and the start that puts an armed period's power settings back run in
// the installing user's session (immediate), where the program's window is; the settings
// key is made and removed as the system account (deferred, not impersonated).
#include "platform/Handles.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <sddl.h>

#include <string>

namespace {

constexpr wchar_t ParentKey[] = L"Software\\Quen";
constexpr wchar_t SettingsName[] = L"Tremorlink";
constexpr wchar_t SettingsKey[] = L"Software\\Quen\\Tremorlink";
// Only administrators and the system may read or change the settings: the program always
// runs elevated, and the password's digest is no business of a standard user. Protected,
// so that nothing is inherited from Software.
constexpr wchar_t SettingsAccess[] = L"D:P(A;CI;KA;;;BA)(A;CI;KA;;;SY)";
constexpr DWORD CloseTimeoutMs = 10000;
constexpr DWORD ExitTimeoutMs = 15000;
constexpr int RestorePolls = 300; // of 100 ms: half a minute

using unique_security_descriptor = tl::unique_any<PSECURITY_DESCRIPTOR, &::LocalFree>;

// A line for the log and, outside a silent install, a message box.
void Report(MSIHANDLE install, INSTALLMESSAGE type, const wchar_t* text)
{
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text);
    MsiProcessMessage(install, type, record);
}

UINT Fail(MSIHANDLE install, const wchar_t* text)
{
    Report(install, INSTALLMESSAGE_ERROR, text);
    return ERROR_INSTALL_FAILURE;
}

// Ends a running Tremorlink.exe as its Exit does and waits until its process is gone, so
// that its files can be replaced or removed. False while anti-theft is armed, when the
// program refuses to end.
bool EndProgram()
{
    GetDesktopWindow(); // a new process's first FindWindow can fail without it (Wine)
    const HWND window = FindWindowA(nullptr, MainWindowTitle);
    if (window == nullptr) {
        return true;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const tl::unique_handle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, CloseTimeoutMs, &result);
    if (IsWindow(window)) {
        return false;
    }
    if (process) {
        WaitForSingleObject(process.get(), ExitTimeoutMs);
    }
    return true;
}

std::wstring Property(MSIHANDLE install, const wchar_t* name)
{
    DWORD size = 0;
    wchar_t empty[1]{};
    if (MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) {
        return {};
    }
    std::wstring value(++size, L'\0');
    if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(size);
    return value;
}

bool ValueMissing(HKEY key, const wchar_t* name)
{
    return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND;
}

} // namespace

extern "C" {

// Sets LaterVersionInstalled when another version of the product is installed: the removal
// of the earlier version by a later one's upgrade, which runs after the later version's
// install, then keeps the settings, the task and an armed period's marker. Windows also
// says so with UPGRADINGPRODUCTCODE, but Wine does not.
UINT WINAPI FindLaterVersion(MSIHANDLE install)
{
    const std::wstring upgradeCode = Property(install, L"UpgradeCode");
    const std::wstring productCode = Property(install, L"ProductCode");
    wchar_t related[39]{};
    for (DWORD index = 0; MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, index, related) == ERROR_SUCCESS; ++index) {
        if (CompareStringOrdinal(related, -1, productCode.c_str(), -1, TRUE) != CSTR_EQUAL) {
            return MsiSetPropertyW(install, L"LaterVersionInstalled", L"1");
        }
    }
    return ERROR_SUCCESS;
}

UINT WINAPI EndTremorlink(MSIHANDLE install)
{
    if (EndProgram()) {
        return ERROR_SUCCESS;
    }
    return Fail(install, L"Quen Tremorlink cannot be ended while Anti-Theft is armed. Disarm it with its password, "
                         L"then run the installation again.");
}

// Killed while armed and not started since: its start puts the saved power settings back
// and sets the marker to 0, so no notebook is left with the lid and buttons doing nothing.
// Its window exists before the restore ends, so it is there to be closed after.
UINT WINAPI RestoreArmedSettings(MSIHANDLE install)
{
    const SettingsStore settings;
    if (settings.Read(Setting::NotebookProtectionEnabled) != 1) {
        return ERROR_SUCCESS;
    }
    std::wstring commandLine = L"\"" + Property(install, L"TremorlinkFolder") + L"Tremorlink.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        // A broken install must still be removable.
        Report(install, INSTALLMESSAGE_WARNING,
               L"Quen Tremorlink could not be started to put back the power settings of Anti-Theft.");
        return ERROR_SUCCESS;
    }
    CloseHandle(started.hThread);
    const tl::unique_handle process(started.hProcess);
    // Half a minute at most, and not past the program's end: then the files go all the same.
    for (int poll = 0; poll < RestorePolls; ++poll) {
        if (settings.Read(Setting::NotebookProtectionEnabled) != 1 ||
            WaitForSingleObject(process.get(), 100) != WAIT_TIMEOUT) {
            break;
        }
    }
    return EndTremorlink(install);
}

// The key in the view the program reads (the native one), with its access list applied
// whether the key is new or was there, and every value that is missing at its first-start
// value: an install over an earlier one, or over the setup's, keeps every setting.
UINT WINAPI CreateSettings(MSIHANDLE install)
{
    unique_security_descriptor access;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(SettingsAccess, SDDL_REVISION_1, access.put(), nullptr)) {
        return Fail(install, L"The access list of the settings could not be made.");
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), access.get(), FALSE};
    tl::unique_hkey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &attributes,
                        key.put(), nullptr) != ERROR_SUCCESS ||
        RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, access.get()) !=
            ERROR_SUCCESS) {
        return Fail(install, L"The settings key could not be created.");
    }
    bool written = true;
    for (int index = 0; index <= static_cast<int>(Setting::HibernationTimerDc); ++index) {
        const auto setting = static_cast<Setting>(index);
        const DWORD value = static_cast<DWORD>(SettingsStore::FirstStartValue(setting));
        if (ValueMissing(key.get(), SettingsStore::ValueName(setting))) {
            written &= RegSetValueExW(key.get(), SettingsStore::ValueName(setting), 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
        }
    }
    if (ValueMissing(key.get(), L"UserPassword")) {
        written &= RegSetValueExW(key.get(), L"UserPassword", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                                  sizeof(wchar_t)) == ERROR_SUCCESS;
    }
    return written ? ERROR_SUCCESS : Fail(install, L"The settings could not be written.");
}

// The whole key with what the program added (the input lock's journal among it), and
// Software\Quen when nothing else of ours is left there.
UINT WINAPI RemoveSettings(MSIHANDLE install)
{
    tl::unique_hkey parent;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, ParentKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, parent.put());
    if (status == ERROR_SUCCESS) {
        status = RegDeleteTreeW(parent.get(), SettingsName);
        parent.reset();
        // Fails while another key is under Software\Quen, which is what it should do.
        static_cast<void>(RegDeleteKeyExW(HKEY_LOCAL_MACHINE, ParentKey, KEY_WOW64_64KEY, 0));
    }
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND
               ? ERROR_SUCCESS
               : Fail(install, L"The settings key could not be removed.");
}

} // extern "C"
