#include "Journal.h"

#include "ProtectedKey.h"

#include <cstring>

namespace {

constexpr REGSAM View = KEY_WOW64_64KEY;

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

std::optional<SavedValue> Journal::Find(const wchar_t* entry)
{
    const std::optional<SavedValue> recorded = ReadValue(HKEY_LOCAL_MACHINE, Key, entry);
    if (!recorded || !recorded->present || recorded->type != REG_BINARY) {
        return std::nullopt;
    }
    return Unpack(recorded->data);
}

bool Journal::Record(const wchar_t* entry, const SavedValue& before)
{
    // Made for administrators and the system alone when the settings key is gone, as the
    // installers make that key.
    HKEY key = nullptr;
    if (CreateProtectedKey(HKEY_LOCAL_MACHINE, Key, KEY_SET_VALUE | View, &key) != ERROR_SUCCESS) {
        return false;
    }
    const std::vector<BYTE> data = Pack(before);
    const LSTATUS status = RegSetValueExW(key, entry, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void Journal::Forget(const wchar_t* entry) { WriteValue(HKEY_LOCAL_MACHINE, Key, entry, SavedValue{}); }
