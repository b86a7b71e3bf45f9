#include "PolicyLock.h"

#include "Journal.h"

#include <windows.h>

#include <mutex>

namespace {

constexpr wchar_t SystemPolicies[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr wchar_t ExplorerPolicies[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

struct Policy {
    HKEY root;
    const wchar_t* subKey;
    const wchar_t* name; // also its journal entry
};

const Policy Policies[] = {
    {HKEY_CURRENT_USER, SystemPolicies, L"DisableTaskMgr"},
    {HKEY_CURRENT_USER, SystemPolicies, L"DisableLockWorkstation"},
    {HKEY_LOCAL_MACHINE, SystemPolicies, L"HideFastUserSwitching"},
    {HKEY_CURRENT_USER, ExplorerPolicies, L"NoLogoff"},
    {HKEY_CURRENT_USER, SystemPolicies, L"DisableChangePassword"},
};

std::mutex changing;

SavedValue DwordOne()
{
    constexpr DWORD one = 1;
    const auto* bytes = reinterpret_cast<const BYTE*>(&one);
    return {true, REG_DWORD, {bytes, bytes + sizeof(one)}};
}

} // namespace

bool PolicyLock::Lock()
{
    const std::lock_guard<std::mutex> guard(changing);
    bool all = true;
    for (const Policy& policy : Policies) {
        // A second lock, or one after a process that was killed while locked, keeps what
        // was there before the first.
        if (!Journal::Find(policy.name)) {
            const std::optional<SavedValue> before = ReadValue(policy.root, policy.subKey, policy.name);
            if (!before || !Journal::Record(policy.name, *before)) {
                all = false;
                continue; // what cannot be put back is not changed
            }
        }
        all &= WriteValue(policy.root, policy.subKey, policy.name, DwordOne());
    }
    return all;
}

bool PolicyLock::Unlock()
{
    const std::lock_guard<std::mutex> guard(changing);
    bool all = true;
    for (const Policy& policy : Policies) {
        const std::optional<SavedValue> before = Journal::Find(policy.name);
        if (!before) {
            continue;
        }
        if (WriteValue(policy.root, policy.subKey, policy.name, *before)) {
            Journal::Forget(policy.name);
        } else {
            all = false;
        }
    }
    return all;
}
