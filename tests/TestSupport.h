#pragma once
// Small helpers shared by the tests: a private settings key, the registry, Wine, and
// (from MessagePump.h) message pumping.
#include "MessagePump.h"
#include "Registry.h"
#include "platform/SettingsStore.h"

#include <windows.h>

#include <sddl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// A settings key under HKEY_CURRENT_USER owned by the running test, wiped before and after.
class TestSettingsKey {
public:
    TestSettingsKey()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_subKey = std::wstring(L"Software\\QuenTremorlinkTests\\") + Widen(info->test_suite_name()) + L"." +
                   Widen(info->name());
        Wipe();
    }
    TestSettingsKey(const TestSettingsKey&) = delete;
    TestSettingsKey& operator=(const TestSettingsKey&) = delete;
    ~TestSettingsKey() { Wipe(); }

    const std::wstring& SubKey() const { return m_subKey; }
    SettingsStore Store() const { return SettingsStore(HKEY_CURRENT_USER, m_subKey); }

    bool Exists() const { return static_cast<bool>(tl::OpenKey(HKEY_CURRENT_USER, m_subKey.c_str(), KEY_READ)); }

    // Writes raw data, to plant values of any type next to what the store writes.
    void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) const
    {
        const tl::unique_hkey key = tl::CreateKey(HKEY_CURRENT_USER, m_subKey.c_str(), KEY_WRITE);
        ASSERT_TRUE(key);
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
    }

    // From now on the store may read the key but every write fails: a store writes through
    // a handle that may also set the access list of a key it has to make, and the key gets
    // another owner (who alone may always do that) and a list that gives everything else.
    // The key may still be removed.
    void RefuseWrites() const
    {
        const tl::unique_hkey key = tl::OpenKey(HKEY_CURRENT_USER, m_subKey.c_str(), WRITE_DAC | WRITE_OWNER);
        ASSERT_TRUE(key);
        tl::unique_hlocal readOnly;
        const bool made = ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"O:SYD:P(A;;KRKWSD;;;WD)", SDDL_REVISION_1, readOnly.put(), nullptr);
        EXPECT_TRUE(made && RegSetKeySecurity(key.get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                              readOnly.get()) == ERROR_SUCCESS);
    }

private:
    static std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }
    void Wipe() const
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_subKey.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, m_subKey.c_str());
    }

    std::wstring m_subKey;
};

// Writes a REG_SZ value, making the key if need be; name null for the key's default value.
inline bool SetRegistryString(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value)
{
    const tl::unique_hkey key = tl::CreateKey(root, subKey.c_str(), KEY_SET_VALUE);
    const auto size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return key && RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), size) ==
                      ERROR_SUCCESS;
}

// A key's access list as SDDL ("D:P(A;CI;KA;;;BA)..."), or what went wrong.
inline std::wstring AccessListOf(HKEY root, const std::wstring& subKey)
{
    const tl::unique_hkey key = tl::OpenKey(root, subKey.c_str(), READ_CONTROL | KEY_WOW64_64KEY);
    if (!key) {
        return L"no key";
    }
    std::vector<BYTE> descriptor(4096);
    DWORD size = static_cast<DWORD>(descriptor.size());
    wchar_t* text = nullptr;
    if (RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return L"unreadable";
    }
    const tl::unique_hlocal owned(text);
    return text;
}

// Whether the tests run under Wine: what changes the machine (HKEY_LOCAL_MACHINE, policies,
// the taskbar, key containers) is done only there, in a prefix of our own.
// While it lives, every window of that class that this thread makes is refused, as a
// system out of resources would refuse it.
class RefusedWindowClass {
public:
    explicit RefusedWindowClass(const wchar_t* className)
        : m_previous(refused), m_hook(SetWindowsHookExW(WH_CBT, &Refuse, nullptr, GetCurrentThreadId()))
    {
        refused = className;
    }
    RefusedWindowClass(const RefusedWindowClass&) = delete;
    RefusedWindowClass& operator=(const RefusedWindowClass&) = delete;
    ~RefusedWindowClass()
    {
        UnhookWindowsHookEx(m_hook);
        refused = m_previous;
    }

    bool Hooked() const { return m_hook != nullptr; }

private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (code == HCBT_CREATEWND) {
            const wchar_t* name = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
            if (!IS_INTRESOURCE(name) && refused != nullptr && _wcsicmp(name, refused) == 0) {
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // The hook procedure has no context of its own.
    static inline thread_local const wchar_t* refused = nullptr;
    const wchar_t* m_previous;
    HHOOK m_hook;
};

inline bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

} // namespace testsupport
