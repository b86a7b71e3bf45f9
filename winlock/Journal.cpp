#include "Journal.h"

#include "ProtectedKey.h"
#include "TokenUser.h"

#include <sddl.h>

#include <cstring>

namespace {

constexpr REGSAM View = KEY_WOW64_64KEY;
constexpr wchar_t UsersScope[] = L"Users";

std::wstring KeyOf(const std::wstring& scope) { return scope.empty() ? Journal::Key : Journal::Key + (L"\\" + scope); }

// present (1 byte), type (4 bytes), data.
std::vector<BYTE> Pack(const SavedValue& value)
{
    std::vector<BYTE> bytes(5);
    bytes[0] = value.present ? 1 : 0;
    std::memcpy(&bytes[1], &value.type, sizeof(value.type));
    bytes.insert(bytes.end(), value.data.begin(), value.data.end());
    return bytes;
}

std::optional<SavedValue> Unpack(const std::vector<BYTE>& bytes)
{
    if (bytes.size() < 5 || bytes[0] > 1) {
        return std::nullopt;
    }
    SavedValue value;
    value.present = bytes[0] == 1;
    std::memcpy(&value.type, &bytes[1], sizeof(value.type));
    value.data.assign(bytes.begin() + 5, bytes.end());
    return value;
}

} // namespace

std::optional<SavedValue> ReadValue(HKEY root, const wchar_t* subKey, const wchar_t* name)
{
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | View, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return SavedValue{};
    }
    if (opened != ERROR_SUCCESS) {
        return std::nullopt;
    }
    SavedValue value;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    while (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            value.present = true;
            break;
        }
        if (status == ERROR_MORE_DATA) {
            status = ERROR_SUCCESS; // it grew meanwhile: ask again
        }
    }
    RegCloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return SavedValue{};
    }
    return status == ERROR_SUCCESS ? std::optional<SavedValue>(value) : std::nullopt;
}

bool WriteValue(HKEY root, const wchar_t* subKey, const wchar_t* name, const SavedValue& value)
{
    HKEY key = nullptr;
    if (!value.present) {
        if (RegOpenKeyExW(root, subKey, 0, KEY_SET_VALUE | View, &key) != ERROR_SUCCESS) {
            return true; // no key, no value
        }
        const LSTATUS status = RegDeleteValueW(key, name);
        RegCloseKey(key);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    if (RegCreateKeyExW(root, subKey, 0, nullptr, 0, KEY_SET_VALUE | View, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status = RegSetValueExW(key, name, 0, value.type, value.data.data(),
                                          static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::wstring Journal::UserScope(const std::wstring& sid) { return UsersScope + (L"\\" + sid); }

std::wstring Journal::ThisUser()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    TokenUserBuffer buffer;
    const PSID sid = TokenUserSid(token, buffer);
    CloseHandle(token);
    wchar_t* text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    const std::wstring result = text;
    LocalFree(text);
    return result;
}

std::wstring Journal::SessionScope()
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return L"Sessions\\" + std::to_wstring(session);
}

std::vector<std::wstring> Journal::Users()
{
    std::vector<std::wstring> sids;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyOf(UsersScope).c_str(), 0, KEY_ENUMERATE_SUB_KEYS | View, &key) !=
        ERROR_SUCCESS) {
        return sids;
    }
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        const LSTATUS status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS) {
            sids.emplace_back(name, length);
        }
    }
    RegCloseKey(key);
    return sids;
}

std::optional<SavedValue> Journal::Find(const wchar_t* entry, const std::wstring& scope)
{
    const std::optional<SavedValue> recorded = ReadValue(HKEY_LOCAL_MACHINE, KeyOf(scope).c_str(), entry);
    if (!recorded || !recorded->present || recorded->type != REG_BINARY) {
        return std::nullopt;
    }
    return Unpack(recorded->data);
}

bool Journal::Record(const wchar_t* entry, const SavedValue& before, const std::wstring& scope)
{
    // Made for administrators and the system alone when the settings key is gone, as the
    // installers make that key.
    HKEY key = nullptr;
    if (CreateProtectedKey(HKEY_LOCAL_MACHINE, KeyOf(scope).c_str(), KEY_SET_VALUE | View, &key) != ERROR_SUCCESS) {
        return false;
    }
    const std::vector<BYTE> data = Pack(before);
    const LSTATUS status = RegSetValueExW(key, entry, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void Journal::Forget(const wchar_t* entry, const std::wstring& scope)
{
    const std::wstring key = KeyOf(scope);
    WriteValue(HKEY_LOCAL_MACHINE, key.c_str(), entry, SavedValue{});
    if (scope.empty()) {
        return;
    }
    // A scope without entries goes, so that Users names only users with something to put
    // back. Removing a key removes its values too: only one that holds none is removed.
    HKEY opened = nullptr;
    DWORD values = 1;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | View, &opened) == ERROR_SUCCESS) {
        RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(opened);
    }
    if (values == 0) {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), View, 0);
    }
}

void Journal::Adopt(const wchar_t* entry, const std::wstring& scope)
{
    const std::optional<SavedValue> earlier = Find(entry);
    if (earlier && (Find(entry, scope) || Record(entry, *earlier, scope))) {
        Forget(entry);
    }
}
