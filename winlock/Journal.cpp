#include "Journal.h"

#include "Handles.h"
#include "ProtectedKey.h"
#include "Registry.h"
#include "TokenUser.h"

#include <sddl.h>

#include <cstring>
#include <utility>

// Last: it renames the unbounded string functions for everything after it.
#include <strsafe.h>

namespace {

constexpr REGSAM View = KEY_WOW64_64KEY;
constexpr wchar_t UsersScope[] = L"Users";

KeyPath KeyOf(const KeyPath& scope) noexcept
{
    KeyPath key(Journal::Key);
    return scope.empty() ? key : key.Append(L"\\").Append(scope);
}

// An entry holds the state's presence (1 byte), its type (4 bytes), then its data.
constexpr size_t Header = 1 + sizeof(DWORD);

std::optional<HeapArray<BYTE>> Pack(const SavedValue& value) noexcept
{
    HeapArray<BYTE> bytes;
    const BYTE present = value.present ? 1 : 0;
    if (!bytes.Append(present) || !bytes.Append(reinterpret_cast<const BYTE*>(&value.type), sizeof(value.type)) ||
        !bytes.Append(value.data.data(), value.data.size())) {
        return std::nullopt;
    }
    return bytes;
}

// In place: an entry found is never lost for want of memory.
std::optional<SavedValue> Unpack(HeapArray<BYTE> bytes) noexcept
{
    if (bytes.size() < Header || bytes.data()[0] > 1) {
        return std::nullopt;
    }
    SavedValue value;
    value.present = bytes.data()[0] == 1;
    std::memcpy(&value.type, bytes.data() + 1, sizeof(value.type));
    bytes.EraseFirst(Header);
    value.data = std::move(bytes);
    return value;
}

} // namespace

std::optional<SavedValue> SavedValue::Of(DWORD type, const void* data, size_t size) noexcept
{
    SavedValue value{true, type, {}};
    if (!value.data.Append(static_cast<const BYTE*>(data), size)) {
        return std::nullopt;
    }
    return value;
}

std::optional<SavedValue> ReadValue(HKEY root, const wchar_t* subKey, const wchar_t* name) noexcept
{
    LSTATUS status = ERROR_SUCCESS;
    const tl::unique_hkey key = tl::OpenKey(root, subKey, KEY_QUERY_VALUE | View, &status);
    SavedValue value;
    DWORD size = 0;
    if (key) {
        // As stored: of any type, and a string to expand kept as it is.
        const auto room = [&value](DWORD bytes) noexcept -> void* {
            return value.data.Resize(bytes) ? value.data.data() : nullptr;
        };
        status = tl::ReadSized(key.get(), name, RRF_RT_ANY | RRF_NOEXPAND, room, value.type, size);
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        return SavedValue{};
    }
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.Truncate(size);
    value.present = true;
    return value;
}

bool WriteValue(HKEY root, const wchar_t* subKey, const wchar_t* name, const SavedValue& value) noexcept
{
    if (!value.present) {
        const tl::unique_hkey key = tl::OpenKey(root, subKey, KEY_SET_VALUE | View);
        if (!key) {
            return true; // no key, no value
        }
        const LSTATUS status = RegDeleteValueW(key.get(), name);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    const tl::unique_hkey key = tl::CreateKey(root, subKey, KEY_SET_VALUE | View);
    return key && RegSetValueExW(key.get(), name, 0, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

KeyPath Journal::UserScope(const KeyPath& sid) noexcept { return KeyPath(UsersScope).Append(L"\\").Append(sid); }

KeyPath Journal::ThisUser() noexcept
{
    tl::unique_handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return {};
    }
    TokenUserBuffer buffer;
    const PSID sid = TokenUserSid(token.get(), buffer);
    wchar_t* text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    const tl::unique_hlocal owned(text);
    return KeyPath(text);
}

KeyPath Journal::SessionScope() noexcept
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    wchar_t number[11]; // the digits of a DWORD
    StringCchPrintfW(number, ARRAYSIZE(number), L"%lu", session);
    return KeyPath(L"Sessions\\").Append(number);
}

HeapArray<KeyPath> Journal::Users() noexcept
{
    HeapArray<KeyPath> sids;
    const tl::unique_hkey key =
        tl::OpenKey(HKEY_LOCAL_MACHINE, KeyOf(KeyPath(UsersScope)).c_str(), KEY_ENUMERATE_SUB_KEYS | View);
    if (!key) {
        return sids;
    }
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        const LSTATUS status = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS && !sids.Append(KeyPath(name))) {
            break;
        }
    }
    return sids;
}

std::optional<SavedValue> Journal::Find(const wchar_t* entry, const KeyPath& scope) noexcept
{
    const KeyPath path = KeyOf(scope);
    if (!path.Fits()) {
        return std::nullopt;
    }
    std::optional<SavedValue> recorded = ReadValue(HKEY_LOCAL_MACHINE, path.c_str(), entry);
    if (!recorded || !recorded->present || recorded->type != REG_BINARY) {
        return std::nullopt;
    }
    return Unpack(std::move(recorded->data));
}

bool Journal::Record(const wchar_t* entry, const SavedValue& before, const KeyPath& scope) noexcept
{
    const KeyPath path = KeyOf(scope);
    const std::optional<HeapArray<BYTE>> data = Pack(before);
    if (!path.Fits() || !data) {
        return false;
    }
    // Made for administrators and the system alone when the settings key is gone, as the
    // installers make that key.
    tl::unique_hkey key;
    return CreateProtectedKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_SET_VALUE | View, key.put()) == ERROR_SUCCESS &&
           RegSetValueExW(key.get(), entry, 0, REG_BINARY, data->data(), static_cast<DWORD>(data->size())) ==
               ERROR_SUCCESS;
}

void Journal::Forget(const wchar_t* entry, const KeyPath& scope) noexcept
{
    const KeyPath key = KeyOf(scope);
    if (!key.Fits()) {
        return;
    }
    WriteValue(HKEY_LOCAL_MACHINE, key.c_str(), entry, SavedValue{});
    if (scope.empty()) {
        return;
    }
    // A scope without entries goes, so that Users names only users with something to put
    // back. Removing a key removes its values too: only one that holds none is removed.
    DWORD values = 1;
    if (const tl::unique_hkey opened = tl::OpenKey(HKEY_LOCAL_MACHINE, key.c_str(), KEY_QUERY_VALUE | View)) {
        RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
    }
    if (values == 0) {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), View, 0);
    }
}

void Journal::Adopt(const wchar_t* entry, const KeyPath& scope) noexcept
{
    const std::optional<SavedValue> earlier = Find(entry);
    if (earlier && (Find(entry, scope) || Record(entry, *earlier, scope))) {
        Forget(entry);
    }
}
