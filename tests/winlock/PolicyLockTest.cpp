// Ctrl+Alt+Del's screen taken away through its policies and put back exactly; and the
// whole library's locks undone by a later process when the one that locked was killed.
// Under Wine only: the policies are the real ones of the test prefix.
#include "FakeTaskbar.h"
#include "HeldLock.h"
#include "Journal.h"
#include "ProtectedKey.h"
#include "PolicyLock.h"

#include "app/TremorlinkProcess.h"
#include "Handles.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr wchar_t SystemPolicies[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr wchar_t ExplorerPolicies[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr wchar_t EdgeUiPolicies[] = L"Software\\Policies\\Microsoft\\Windows\\EdgeUI";

struct Policy {
    HKEY root;
    const wchar_t* subKey;
    const wchar_t* name;
    DWORD locked;
    SavedValue before; // as an administrator left it, or absent
    bool setBefore;    // by the version before too, which did not know the others
};

SavedValue Dword(DWORD value) { return SavedValue::Of(REG_DWORD, &value, sizeof(value)).value(); }

SavedValue Text(const std::wstring& text)
{
    return SavedValue::Of(REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t)).value();
}

std::vector<std::wstring> JournalUsers()
{
    std::vector<std::wstring> sids;
    for (const KeyPath& sid : Journal::Users()) {
        sids.emplace_back(sid.c_str());
    }
    return sids;
}

std::array<Policy, 7> PoliciesAsFound()
{
    return {{
        {HKEY_CURRENT_USER, SystemPolicies, L"DisableTaskMgr", 1, SavedValue{}, true},
        {HKEY_CURRENT_USER, SystemPolicies, L"DisableLockWorkstation", 1, Dword(0), true},
        {HKEY_LOCAL_MACHINE, SystemPolicies, L"HideFastUserSwitching", 1, SavedValue{}, true},
        {HKEY_CURRENT_USER, ExplorerPolicies, L"NoLogoff", 1, Text(L"1"), true},
        {HKEY_CURRENT_USER, SystemPolicies, L"DisableChangePassword", 1, Dword(1), true},
        {HKEY_CURRENT_USER, ExplorerPolicies, L"NoClose", 1, SavedValue{}, false},
        {HKEY_LOCAL_MACHINE, EdgeUiPolicies, L"AllowEdgeSwipe", 0, Dword(1), false},
    }};
}

class PolicyLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::UnderWine()) {
            GTEST_SKIP() << "changes the machine's policies, which only our own Wine prefixes may have";
        }
        for (const Policy& policy : policies) {
            ASSERT_TRUE(WriteValue(policy.root, policy.subKey, policy.name, policy.before));
            Journal::Forget(policy.name);
            Journal::Forget(policy.name, thisUser);
        }
    }
    void TearDown() override
    {
        for (const Policy& policy : policies) {
            WriteValue(policy.root, policy.subKey, policy.name, SavedValue{});
            Journal::Forget(policy.name);
            Journal::Forget(policy.name, thisUser);
        }
    }

    void ExpectLocked()
    {
        for (const Policy& policy : policies) {
            EXPECT_EQ(Dword(policy.locked), ReadValue(policy.root, policy.subKey, policy.name)) << policy.name;
        }
    }
    void ExpectAsFound()
    {
        for (const Policy& policy : policies) {
            EXPECT_EQ(policy.before, ReadValue(policy.root, policy.subKey, policy.name)) << policy.name;
            EXPECT_FALSE(Journal::Find(policy.name)) << policy.name << " left in the journal";
            EXPECT_FALSE(Journal::Find(policy.name, thisUser)) << policy.name << " left in the user's journal";
        }
    }

    const std::array<Policy, 7> policies = PoliciesAsFound();
    const KeyPath thisUser = Journal::UserScope(Journal::ThisUser());
};

TEST_F(PolicyLockTest, EveryWayOutIsSetAndPutBackAsItWas)
{
    // The journal of a lock after the uninstall took the settings key away, with all that an
    // earlier lock left under it (an empty user scope): made again for administrators and the
    // system alone, not readable by every user as Software is.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Quen\\Tremorlink");
    ASSERT_EQ(L"no key", testsupport::AccessListOf(HKEY_LOCAL_MACHINE, L"Software\\Quen\\Tremorlink"));

    ASSERT_TRUE(PolicyLock::Lock());
    ExpectLocked();
    for (const wchar_t* key : {L"Software\\Quen\\Tremorlink", Journal::Key}) {
        EXPECT_EQ(ProtectedKeyAccess, testsupport::AccessListOf(HKEY_LOCAL_MACHINE, key)) << key;
    }
    ASSERT_TRUE(PolicyLock::Lock()) << "a second lock is harmless";
    ExpectLocked();

    ASSERT_TRUE(PolicyLock::Unlock());
    ExpectAsFound();
    EXPECT_TRUE(PolicyLock::Unlock()) << "a second unlock is harmless";
    ExpectAsFound();
}

// After a power loss another administrator may be the first to unlock: a user's values wait
// for that user's hive (HKEY_USERS\<SID>, there while the user is signed in) and never go
// into the unlocking user's. A journal of a version without scopes was the unlocking user's.
TEST_F(PolicyLockTest, EachValueGoesBackOnlyIntoItsOwnUsersHive)
{
    ASSERT_FALSE(Journal::ThisUser().empty());
    const std::wstring other = L"S-1-5-21-1004336348-1177238915-682003330-1002";
    const KeyPath otherScope = Journal::UserScope(KeyPath(other.c_str()));
    const std::wstring otherPolicies = other + L"\\" + SystemPolicies;
    ASSERT_TRUE(Journal::Record(L"DisableTaskMgr", Dword(0), otherScope));
    ASSERT_TRUE(Journal::Record(L"DisableLockWorkstation", Text(L"before"), {}));

    ASSERT_TRUE(PolicyLock::Unlock());
    EXPECT_EQ(SavedValue{}, ReadValue(HKEY_CURRENT_USER, SystemPolicies, L"DisableTaskMgr"));
    EXPECT_EQ(std::vector<std::wstring>{other}, JournalUsers()) << "waits for the other user";
    EXPECT_EQ(Text(L"before"), ReadValue(HKEY_CURRENT_USER, SystemPolicies, L"DisableLockWorkstation"));
    EXPECT_FALSE(Journal::Find(L"DisableLockWorkstation"));

    // The other user signs in: the hive is there, with the value that user's lock set.
    ASSERT_TRUE(WriteValue(HKEY_USERS, otherPolicies.c_str(), L"DisableTaskMgr", Dword(1)));
    ASSERT_TRUE(PolicyLock::Unlock());
    EXPECT_EQ(Dword(0), ReadValue(HKEY_USERS, otherPolicies.c_str(), L"DisableTaskMgr"));
    EXPECT_TRUE(JournalUsers().empty());
    EXPECT_EQ(SavedValue{}, ReadValue(HKEY_CURRENT_USER, SystemPolicies, L"DisableTaskMgr"));
    RegDeleteTreeW(HKEY_USERS, other.c_str());
    RegDeleteKeyW(HKEY_USERS, other.c_str());
}

TEST_F(PolicyLockTest, AJournalOfTheVersionBeforeIsPutBackAndCompleted)
{
    // What the version before leaves when it is killed while locked: the policies it knew
    // set and journaled, the others as they were and without an entry.
    const auto leftByTheVersionBefore = [&] {
        for (const Policy& policy : policies) {
            if (policy.setBefore) {
                ASSERT_TRUE(Journal::Record(policy.name, policy.before));
                ASSERT_TRUE(WriteValue(policy.root, policy.subKey, policy.name, Dword(1)));
            }
        }
    };
    ASSERT_NO_FATAL_FAILURE(leftByTheVersionBefore());
    ASSERT_TRUE(PolicyLock::Unlock()) << "the next start's restore";
    ExpectAsFound();

    ASSERT_NO_FATAL_FAILURE(leftByTheVersionBefore());
    ASSERT_TRUE(PolicyLock::Lock()) << "armed again before any restore";
    ExpectLocked();
    ASSERT_TRUE(PolicyLock::Unlock());
    ExpectAsFound();
}

TEST_F(PolicyLockTest, ALaterProcessPutsBackWhatAKilledOneTookAway)
{
    Journal::Forget(L"Taskbar", Journal::SessionScope());
    const testsupport::FakeTaskbar bars;
    testsupport::HeldLock holder;
    holder.Kill();
    ASSERT_TRUE(holder.Locked()) << "the holder said: " << holder.Said();
    ExpectLocked();
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AllHidden(); }));

    EXPECT_TRUE(testsupport::UnlockThroughLibrary());
    ExpectAsFound();
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bars.AsMade(); }));
    EXPECT_FALSE(Journal::Find(L"AccessibilityHotKeys", Journal::SessionScope()));
}

} // namespace
