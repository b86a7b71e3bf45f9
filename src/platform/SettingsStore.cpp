#include "platform/SettingsStore.h"

#include "Handles.h"
#include "ProtectedKey.h"
#include "Registry.h"
#include "RegistryText.h"

#include <optional>
#include <utility>

namespace {

constexpr wchar_t DefaultSubKey[] = L"Software\\Quen\\Tremorlink";
constexpr wchar_t UserPasswordName[] = L"UserPassword";
// Every access asks for write access, also when it only reads: the program runs
// elevated, and a key it could not write would fail it later anyway. Both builds use the
// native view, where the installer writes the key: the x86 build on 64-bit Windows would
// otherwise read WOW6432Node and run on first-start values.
constexpr REGSAM Access = KEY_READ | KEY_WRITE | KEY_WOW64_64KEY;

} // namespace

SettingsStore::SettingsStore() : SettingsStore(HKEY_LOCAL_MACHINE, DefaultSubKey) {}

SettingsStore::SettingsStore(HKEY root, std::wstring subKey) : m_root(root), m_subKey(std::move(subKey)) {}

const wchar_t* SettingsStore::ValueName(Setting setting) noexcept
{
    switch (setting) {
    case Setting::HddProtectionEnabled: return L"HddProtectionEnabled";
    case Setting::NotebookProtectionEnabled: return L"NotebookProtectionEnabled";
    case Setting::CloseLid: return L"CloseLid";
    case Setting::PowerButton: return L"PowerButton";
    case Setting::SleepButton: return L"SleepButton";
    case Setting::EnablePassword: return L"EnablePassword";
    case Setting::HibernationTimer: return L"HibernationTimer";
    case Setting::StandbyTimerDc: return L"StandbyTimerDc";
    case Setting::HibernationTimerDc: return L"HibernationTimerDc";
    }
    return L"";
}

int SettingsStore::FirstStartValue(Setting setting) noexcept
{
    switch (setting) {
    case Setting::HddProtectionEnabled: return 1;
    // Missing where an older armed run saved only the mains side: nothing to put back.
    case Setting::StandbyTimerDc:
    case Setting::HibernationTimerDc: return -1;
    default: return 0;
    }
}

tl::unique_hkey SettingsStore::Open() const { return tl::OpenKey(m_root, m_subKey.c_str(), Access); }

tl::unique_hkey SettingsStore::Create() const
{
    // A key that the uninstall took away comes back for administrators and the system alone,
    // as the installers make it.
    tl::unique_hkey key;
    // Left empty on failure, which the caller sees.
    static_cast<void>(CreateProtectedKey(m_root, m_subKey.c_str(), Access, key.put()));
    return key;
}

int SettingsStore::Read(Setting setting) const
{
    const tl::unique_hkey key = Open();
    const std::optional<DWORD> value = key ? tl::ReadDword(key.get(), ValueName(setting)) : std::nullopt;
    return value ? static_cast<int>(*value) : FirstStartValue(setting);
}

bool SettingsStore::Write(Setting setting, int value) const
{
    const tl::unique_hkey key = Create();
    if (!key) {
        return false;
    }
    const auto data = static_cast<DWORD>(value);
    return RegSetValueExW(key.get(), ValueName(setting), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

std::wstring SettingsStore::ReadUserPassword() const
{
    const tl::unique_hkey key = Open();
    return key ? tl::ReadText(key.get(), UserPasswordName).value_or(std::wstring()) : std::wstring();
}

bool SettingsStore::WriteUserPassword(const std::wstring& digest) const
{
    const tl::unique_hkey key = Create();
    if (!key) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((digest.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), UserPasswordName, 0, REG_SZ, reinterpret_cast<const BYTE*>(digest.c_str()),
                          bytes) == ERROR_SUCCESS;
}
