#include "PolicyLock.h"

#include "ExclusiveLock.h"
#include "Journal.h"
#include "Registry.h"

#include <windows.h>

namespace {

constexpr wchar_t SystemPolicies[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr wchar_t ExplorerPolicies[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr wchar_t EdgeUiPolicies[] = L"Software\\Policies\\Microsoft\\Windows\\EdgeUI";

struct Policy {
    HKEY root;
    const wchar_t* subKey;
    const wchar_t* name; // also its journal entry
    DWORD locked;
};

const Policy Policies[] = {
    {HKEY_CURRENT_USER, SystemPolicies, L"DisableTaskMgr", 1},
    {HKEY_CURRENT_USER, SystemPolicies, L"DisableLockWorkstation", 1},
    {HKEY_LOCAL_MACHINE, SystemPolicies, L"HideFastUserSwitching", 1},
    {HKEY_CURRENT_USER, ExplorerPolicies, L"NoLogoff", 1},
    {HKEY_CURRENT_USER, SystemPolicies, L"DisableChangePassword", 1},
    // The power button of the Ctrl+Alt+Del screen and the Start menu's Shut down, Restart,
    // Sleep and Hibernate: a restart would end the armed period, a sleep let the notebook
    // be carried off in silence.
    {HKEY_CURRENT_USER, ExplorerPolicies, L"NoClose", 1},
    // Windows 10 and 11: the system's panels that a swipe in from a screen's edge opens.
    {HKEY_LOCAL_MACHINE, EdgeUiPolicies, L"AllowEdgeSwipe", 0},
};

SRWLOCK changing = SRWLOCK_INIT;

std::optional<SavedValue> Dword(DWORD value) noexcept { return SavedValue::Of(REG_DWORD, &value, sizeof(value)); }

} // namespace

bool PolicyLock::Lock()
{
    const ExclusiveLock guard(changing);
    const KeyPath user = Journal::ThisUser();
    bool all = true;
    for (const Policy& policy : Policies) {
        const bool users = policy.root == HKEY_CURRENT_USER;
        if (users && user.empty()) {
            all = false;
            continue; // whose the value is could not be told: it is not changed
        }
        const KeyPath scope = users ? Journal::UserScope(user) : KeyPath();
        if (users) {
            Journal::Adopt(policy.name, scope);
        }
        // A second lock, or one after a process that was killed while locked, keeps what was
        // there before the first.
        if (!Journal::Find(policy.name, scope)) {
            const std::optional<SavedValue> before = ReadValue(policy.root, policy.subKey, policy.name);
            if (!before || !Journal::Record(policy.name, *before, scope)) {
                all = false;
                continue; // what cannot be put back is not changed
            }
        }
        const std::optional<SavedValue> locked = Dword(policy.locked);
        all &= locked && WriteValue(policy.root, policy.subKey, policy.name, *locked);
    }
    return all;
}

bool PolicyLock::Unlock()
{
    const ExclusiveLock guard(changing);
    if (const KeyPath user = Journal::ThisUser(); !user.empty()) {
        for (const Policy& policy : Policies) {
            if (policy.root == HKEY_CURRENT_USER) {
                Journal::Adopt(policy.name, Journal::UserScope(user));
            }
        }
    }
    // Each user's values go into that user's own hive, which is loaded while the user is
    // signed in; another user's entry waits for an unlock while that hive is there.
    HeapArray<KeyPath> signedIn = Journal::Users();
    signedIn.EraseIf([](const KeyPath& sid) { return !tl::OpenKey(HKEY_USERS, sid.c_str(), KEY_READ); });
    bool all = true;
    // Puts back what scope holds for the policy into the value at root\subKey; the entry is
    // forgotten once it is back.
    const auto putBack = [&](const Policy& policy, HKEY root, const KeyPath& subKey, const KeyPath& scope) {
        const std::optional<SavedValue> before = Journal::Find(policy.name, scope);
        if (!before) {
            return;
        }
        if (subKey.Fits() && WriteValue(root, subKey.c_str(), policy.name, *before)) {
            Journal::Forget(policy.name, scope);
        } else {
            all = false;
        }
    };
    for (const Policy& policy : Policies) {
        if (policy.root != HKEY_CURRENT_USER) {
            putBack(policy, policy.root, KeyPath(policy.subKey), {});
            continue;
        }
        for (const KeyPath& sid : signedIn) {
            putBack(policy, HKEY_USERS, KeyPath(sid).Append(L"\\").Append(policy.subKey), Journal::UserScope(sid));
        }
    }
    return all;
}
