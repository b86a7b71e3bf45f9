// The installers' actions that neither Windows Installer nor NSIS has a safe table or
// command for, as the custom actions of the MSI packages and, called through NSIS's System
// plug-in with no installer handle, the setup's. Ending a running program and the start
// that puts an armed period's power settings back run in the installing user's session
// (immediate), where the program's window is; the install folder, the settings key and the
// logon task are made and removed as the system account (deferred, not impersonated).
#include "InstallFolder.h"
#include "LogonTask.h"
#include "TokenUser.h"
#include "Handles.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"

#include "ProtectedKey.h"
#include "Registry.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <wtsapi32.h>

#include <string>

namespace {

constexpr wchar_t ParentKey[] = L"Software\\Quen";
constexpr wchar_t SettingsName[] = L"Tremorlink";
constexpr wchar_t SettingsKey[] = L"Software\\Quen\\Tremorlink";
constexpr wchar_t ParentFolder[] = L"C:\\Quen";
constexpr wchar_t InstallFolder[] = L"C:\\Quen\\Tremorlink";
constexpr DWORD CloseTimeoutMs = 10000;
constexpr DWORD ExitTimeoutMs = 15000;
constexpr int RestorePolls = 300; // of 100 ms: half a minute

// A line for the log and, outside a silent install, a message box; nothing without an
// installer handle (the setup's calls), whose caller shows its own message.
void Report(MSIHANDLE install, INSTALLMESSAGE type, const wchar_t* text)
{
    if (install == 0) {
        return;
    }
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
    return RegGetValueW(key, nullptr, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, nullptr) ==
           ERROR_FILE_NOT_FOUND;
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
    // Only the process is waited for.
    const tl::unique_handle thread(started.hThread);
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
    tl::unique_hkey key;
    if (CreateProtectedKey(HKEY_LOCAL_MACHINE, SettingsKey, KEY_ALL_ACCESS | KEY_WOW64_64KEY, key.put()) !=
            ERROR_SUCCESS ||
        ProtectKey(key.get()) != ERROR_SUCCESS) {
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

// C:\Quen\Tremorlink for administrators and the system alone, emptied of what an earlier
// install or anyone else left there, before any file is written.
UINT WINAPI SecureFolder(MSIHANDLE install)
{
    switch (SecureInstallFolder(ParentFolder, InstallFolder)) {
    case FolderResult::Secured: return ERROR_SUCCESS;
    case FolderResult::Refused:
        return Fail(install, L"C:\\Quen or C:\\Quen\\Tremorlink leads to another place or belongs to another user. "
                             L"Remove it, then run the installation again.");
    case FolderResult::Failed: break;
    }
    return Fail(install, L"C:\\Quen\\Tremorlink could not be prepared: a file in it may be in use.");
}

UINT WINAPI RegisterTask(MSIHANDLE install)
{
    return SUCCEEDED(RegisterLogonTask()) ? ERROR_SUCCESS
                                          : Fail(install, L"The task that starts Quen Tremorlink at logon could not be "
                                                          L"registered.");
}

// A task left behind would start whatever a later user puts at its path, elevated: the
// removal stops before anything else goes.
UINT WINAPI UnregisterTask(MSIHANDLE install)
{
    return SUCCEEDED(RemoveLogonTask()) ? ERROR_SUCCESS
                                        : Fail(install, L"The task that starts Quen Tremorlink at logon could not be "
                                                        L"removed. Nothing was removed.");
}

// Whether this process runs as the user signed in to its session: not so when a standard
// user typed an administrator's credentials to install, and a program started now would
// run with that administrator's rights in the user's session.
BOOL WINAPI InstallerIsSessionUser() noexcept
{
    wchar_t* user = nullptr;
    wchar_t* domain = nullptr;
    DWORD bytes = 0;
    BOOL same = FALSE;
    if (WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSUserName, &user, &bytes) &&
        WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSDomainName, &domain, &bytes)) {
        try {
            const std::wstring account = std::wstring(domain) + L"\\" + user;
            BYTE sessionSid[SECURITY_MAX_SID_SIZE];
            DWORD sidSize = sizeof(sessionSid);
            wchar_t referenced[256];
            DWORD referencedSize = 256;
            SID_NAME_USE use{};
            tl::unique_handle token;
            TokenUserBuffer ownUser;
            PSID own = nullptr;
            same =
                LookupAccountNameW(nullptr, account.c_str(), sessionSid, &sidSize, referenced, &referencedSize, &use) &&
                OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
                (own = TokenUserSid(token.get(), ownUser)) != nullptr && EqualSid(sessionSid, own);
        } catch (...) {
            same = FALSE;
        }
    }
    WTSFreeMemory(user);
    WTSFreeMemory(domain);
    return same;
}

// The whole key with what the program added (the input lock's journal among it), and
// Software\Quen when nothing else of ours is left there.
UINT WINAPI RemoveSettings(MSIHANDLE install)
{
    LSTATUS status = ERROR_SUCCESS;
    tl::unique_hkey parent = tl::OpenKey(HKEY_LOCAL_MACHINE, ParentKey, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &status);
    if (parent) {
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
