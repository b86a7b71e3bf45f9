#include "PowerStore.h"

#include "Handles.h"

#include <iterator>
#include <string>
#include <vector>

namespace sim {

namespace {

constexpr REGSAM View = KEY_WOW64_64KEY;
constexpr wchar_t ParentKey[] = L"Software\\Quen\\TremorlinkSim";
constexpr wchar_t StoreName[] = L"Power";
constexpr wchar_t SchemesKey[] = L"Schemes";

// Named mutexes are shared by every process of a wineserver and of a Windows session; one
// whose holder was killed is handed on (WAIT_ABANDONED), with the registry as that process
// left it.
class StoreLock {
public:
    StoreLock() : m_mutex(CreateMutexW(nullptr, FALSE, L"QuenTremorlinkSimPower"))
    {
        if (m_mutex) {
            const DWORD waited = WaitForSingleObject(m_mutex.get(), INFINITE);
            m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock()
    {
        if (m_held) {
            ReleaseMutex(m_mutex.get());
        }
    }

    bool Held() const { return m_held; }

private:
    tl::unique_handle m_mutex;
    bool m_held = false;
};

template <typename T> bool ReadBinary(HKEY key, const wchar_t* name, T& value)
{
    DWORD size = sizeof(value);
    return RegGetValueW(key, nullptr, name, RRF_RT_REG_BINARY, nullptr, &value, &size) == ERROR_SUCCESS &&
           size == sizeof(value);
}

bool ReadFlag(HKEY key, const wchar_t* name, bool& value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS) {
        return false;
    }
    value = data != 0;
    return true;
}

bool ReadText(HKEY key, const wchar_t* name, std::wstring& value)
{
    DWORD size = 0;
    LSTATUS status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) {
        if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) {
            return false;
        }
        value.resize(size / sizeof(wchar_t) + 1);
        size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &size);
    }
    if (status != ERROR_SUCCESS) {
        return false;
    }
    value.resize(value.find(L'\0') == std::wstring::npos ? value.size() : value.find(L'\0'));
    return true;
}

bool WriteRaw(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

template <typename T> bool WriteBinary(HKEY key, const wchar_t* name, const T& value)
{
    return WriteRaw(key, name, REG_BINARY, &value, sizeof(value));
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value)
{
    return WriteRaw(key, name, REG_DWORD, &value, sizeof(value));
}

bool WriteText(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return WriteRaw(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<PowerSchemeEntry> ReadScheme(HKEY schemes, const wchar_t* name)
{
    tl::unique_hkey key;
    PowerSchemeEntry scheme;
    if (RegOpenKeyExW(schemes, name, 0, KEY_QUERY_VALUE | View, key.put()) != ERROR_SUCCESS ||
        !ReadBinary(key.get(), L"Policy", scheme.policy) ||
        !ReadBinary(key.get(), L"ProcessorPolicy", scheme.processorPolicy) ||
        !ReadText(key.get(), L"Name", scheme.name) || !ReadText(key.get(), L"Description", scheme.description)) {
        return std::nullopt;
    }
    return scheme;
}

// A scheme's subkey is named by its index in decimal, and by nothing else.
std::optional<UINT> SchemeIndex(const std::wstring& name)
{
    if (name.empty() || name.size() > 10 || name.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return std::nullopt;
    }
    const unsigned long long index = std::stoull(name);
    return index <= 0xFFFFFFFEull ? std::optional<UINT>(static_cast<UINT>(index)) : std::nullopt;
}

std::optional<PowerState> ReadSchemes(HKEY store, PowerState state)
{
    tl::unique_hkey schemes;
    if (RegOpenKeyExW(store, SchemesKey, 0, KEY_READ | View, schemes.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    for (DWORD position = 0;; ++position) {
        wchar_t name[256];
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS status =
            RegEnumKeyExW(schemes.get(), position, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            return state;
        }
        const std::optional<UINT> index = status == ERROR_SUCCESS ? SchemeIndex(name) : std::nullopt;
        std::optional<PowerSchemeEntry> scheme = index ? ReadScheme(schemes.get(), name) : std::nullopt;
        if (!scheme) {
            return std::nullopt;
        }
        state.schemes[*index] = std::move(*scheme);
    }
}

std::optional<PowerState> ReadLocked()
{
    tl::unique_hkey store;
    const LSTATUS opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, PowerStoreKey, 0, KEY_READ | View, store.put());
    if (opened == ERROR_FILE_NOT_FOUND) {
        return NotebookPowerState();
    }
    PowerState state;
    DWORD active = 0;
    DWORD size = sizeof(active);
    if (opened != ERROR_SUCCESS || !ReadBinary(store.get(), L"GlobalPolicy", state.global) ||
        RegGetValueW(store.get(), nullptr, L"ActiveScheme", RRF_RT_REG_DWORD, nullptr, &active, &size) !=
            ERROR_SUCCESS ||
        !ReadFlag(store.get(), L"StandbyAllowed", state.standbyAllowed) ||
        !ReadFlag(store.get(), L"HibernationAllowed", state.hibernationAllowed) ||
        !ReadFlag(store.get(), L"UserMayWriteSchemes", state.userMayWriteSchemes)) {
        return std::nullopt;
    }
    state.active = active;
    return ReadSchemes(store.get(), std::move(state));
}

bool ClearLocked()
{
    tl::unique_hkey parent;
    const LSTATUS opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, ParentKey, 0, KEY_ALL_ACCESS | View, parent.put());
    if (opened == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (opened != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS deleted = RegDeleteTreeW(parent.get(), StoreName);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// Removes the subkeys of schemes that the state no longer has.
bool DropOtherSchemes(HKEY schemes, const PowerState& state)
{
    std::vector<std::wstring> others;
    for (DWORD position = 0;; ++position) {
        wchar_t name[256];
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS status = RegEnumKeyExW(schemes, position, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            return false;
        }
        const std::optional<UINT> index = SchemeIndex(name);
        if (!index || !state.schemes.contains(*index)) {
            others.emplace_back(name);
        }
    }
    for (const std::wstring& name : others) {
        if (RegDeleteTreeW(schemes, name.c_str()) != ERROR_SUCCESS) {
            return false;
        }
    }
    return true;
}

// Writes over what is stored, so that a failure part way leaves every setting written or
// as it was, never a prefix without its settings.
bool StoreLocked(const PowerState& state)
{
    tl::unique_hkey store;
    tl::unique_hkey schemes;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, PowerStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS | View, nullptr, store.put(),
                        nullptr) != ERROR_SUCCESS ||
        !WriteBinary(store.get(), L"GlobalPolicy", state.global) ||
        !WriteDword(store.get(), L"ActiveScheme", state.active) ||
        !WriteDword(store.get(), L"StandbyAllowed", state.standbyAllowed ? 1 : 0) ||
        !WriteDword(store.get(), L"HibernationAllowed", state.hibernationAllowed ? 1 : 0) ||
        !WriteDword(store.get(), L"UserMayWriteSchemes", state.userMayWriteSchemes ? 1 : 0) ||
        RegCreateKeyExW(store.get(), SchemesKey, 0, nullptr, 0, KEY_ALL_ACCESS | View, nullptr, schemes.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    for (const auto& [index, scheme] : state.schemes) {
        tl::unique_hkey key;
        if (RegCreateKeyExW(schemes.get(), std::to_wstring(index).c_str(), 0, nullptr, 0, KEY_SET_VALUE | View, nullptr,
                            key.put(), nullptr) != ERROR_SUCCESS ||
            !WriteBinary(key.get(), L"Policy", scheme.policy) ||
            !WriteBinary(key.get(), L"ProcessorPolicy", scheme.processorPolicy) ||
            !WriteText(key.get(), L"Name", scheme.name) || !WriteText(key.get(), L"Description", scheme.description)) {
            return false;
        }
    }
    return DropOtherSchemes(schemes.get(), state);
}

} // namespace

std::optional<PowerState> ReadStoredPowerState()
{
    const StoreLock lock;
    return lock.Held() ? ReadLocked() : std::nullopt;
}

bool StorePowerState(const PowerState& state)
{
    const StoreLock lock;
    return lock.Held() && StoreLocked(state);
}

bool ClearStoredPowerState()
{
    const StoreLock lock;
    return lock.Held() && ClearLocked();
}

bool AnswerFromStore(bool writes, const std::function<bool(PowerState&)>& call)
{
    const StoreLock lock;
    if (!lock.Held()) {
        return false;
    }
    std::optional<PowerState> state = ReadLocked();
    if (!state || !call(*state)) {
        return false;
    }
    return !writes || StoreLocked(*state);
}

} // namespace sim
