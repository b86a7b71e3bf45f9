#include "PowerStore.h"

#include "Handles.h"
#include "Registry.h"
#include "RegistryText.h"

#include <iterator>
#include <string>
#include <utility>
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
    const std::optional<T> read = tl::ReadFixed<T>(key, name, RRF_RT_REG_BINARY);
    if (read) {
        value = *read;
    }
    return read.has_value();
}

bool ReadFlag(HKEY key, const wchar_t* name, bool& value)
{
    const std::optional<DWORD> read = tl::ReadDword(key, name);
    if (read) {
        value = *read != 0;
    }
    return read.has_value();
}

bool ReadText(HKEY key, const wchar_t* name, std::wstring& value)
{
    std::optional<std::wstring> read = tl::ReadText(key, name);
    if (read) {
        value = std::move(*read);
    }
    return read.has_value();
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
    const tl::unique_hkey key = tl::OpenKey(schemes, name, KEY_QUERY_VALUE | View);
    PowerSchemeEntry scheme;
    if (!key || !ReadBinary(key.get(), L"Policy", scheme.policy) ||
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
    const tl::unique_hkey schemes = tl::OpenKey(store, SchemesKey, KEY_READ | View);
    if (!schemes) {
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
    LSTATUS opened = ERROR_SUCCESS;
    const tl::unique_hkey store = tl::OpenKey(HKEY_LOCAL_MACHINE, PowerStoreKey, KEY_READ | View, &opened);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return NotebookPowerState();
    }
    PowerState state;
    std::optional<DWORD> active;
    if (!store || !ReadBinary(store.get(), L"GlobalPolicy", state.global) ||
        !(active = tl::ReadDword(store.get(), L"ActiveScheme")) ||
        !ReadFlag(store.get(), L"StandbyAllowed", state.standbyAllowed) ||
        !ReadFlag(store.get(), L"HibernationAllowed", state.hibernationAllowed) ||
        !ReadFlag(store.get(), L"UserMayWriteSchemes", state.userMayWriteSchemes)) {
        return std::nullopt;
    }
    state.active = *active;
    return ReadSchemes(store.get(), std::move(state));
}

bool ClearLocked()
{
    LSTATUS opened = ERROR_SUCCESS;
    const tl::unique_hkey parent = tl::OpenKey(HKEY_LOCAL_MACHINE, ParentKey, KEY_ALL_ACCESS | View, &opened);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (!parent) {
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
    const tl::unique_hkey store = tl::CreateKey(HKEY_LOCAL_MACHINE, PowerStoreKey, KEY_ALL_ACCESS | View);
    tl::unique_hkey schemes;
    if (!store || !WriteBinary(store.get(), L"GlobalPolicy", state.global) ||
        !WriteDword(store.get(), L"ActiveScheme", state.active) ||
        !WriteDword(store.get(), L"StandbyAllowed", state.standbyAllowed ? 1 : 0) ||
        !WriteDword(store.get(), L"HibernationAllowed", state.hibernationAllowed ? 1 : 0) ||
        !WriteDword(store.get(), L"UserMayWriteSchemes", state.userMayWriteSchemes ? 1 : 0) ||
        !(schemes = tl::CreateKey(store.get(), SchemesKey, KEY_ALL_ACCESS | View))) {
        return false;
    }
    for (const auto& [index, scheme] : state.schemes) {
        const tl::unique_hkey key = tl::CreateKey(schemes.get(), std::to_wstring(index).c_str(), KEY_SET_VALUE | View);
        if (!key || !WriteBinary(key.get(), L"Policy", scheme.policy) ||
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
