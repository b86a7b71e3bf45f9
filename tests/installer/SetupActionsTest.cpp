// What the installers' shared library decides: the install folder's access list, whose
// folder it takes over, and whether the finish page may start the program.
#include "InstallFolder.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"

#include <windows.h>

#include <sddl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

tl::unique_hlocal Sid(const wchar_t* text)
{
    tl::unique_hlocal sid;
    EXPECT_TRUE(ConvertStringSidToSidW(text, reinterpret_cast<PSID*>(sid.put()))) << text;
    return sid;
}

std::wstring SidText(PSID sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return L"?";
    }
    const tl::unique_hlocal owned(text);
    return text;
}

// Only the system and administrators may change anything in the folder or its access list;
// users may read and run what is there; nothing of C:\'s list, where every signed-in user
// may change what is below, comes through.
TEST(InstallFolder, OnlyTheSystemAndAdministratorsMayChangeWhatIsInIt)
{
    tl::unique_hlocal descriptor;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        ProtectedFolderAccess, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.put()), nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
    EXPECT_NE(0, control & SE_DACL_PROTECTED);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted));
    EXPECT_EQ(L"S-1-5-32-544", SidText(owner));

    BOOL present = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted));
    ASSERT_NE(nullptr, dacl);
    constexpr DWORD changes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                              FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    std::vector<std::wstring> mayChange;
    std::vector<std::wstring> mayRun;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        ACE_HEADER* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, index, reinterpret_cast<void**>(&ace)));
        ASSERT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->AceFlags) << "passed on to everything inside";
        const auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        const std::wstring who = SidText(const_cast<DWORD*>(&allowed->SidStart));
        ((allowed->Mask & changes) != 0 ? mayChange : mayRun).push_back(who);
        if ((allowed->Mask & changes) == 0) {
            EXPECT_EQ(static_cast<DWORD>(FILE_GENERIC_READ | FILE_EXECUTE), allowed->Mask) << who;
        }
    }
    EXPECT_EQ((std::vector<std::wstring>{L"S-1-5-18", L"S-1-5-32-544"}), mayChange);
    EXPECT_EQ((std::vector<std::wstring>{L"S-1-5-32-545"}), mayRun);
}

TEST(InstallFolder, IsTakenOverOnlyFromTheSystemAdministratorsOrTheInstallingAccount)
{
    const tl::unique_hlocal installing = Sid(L"S-1-5-21-1004336348-1177238915-682003330-1001");
    const struct {
        const wchar_t* owner;
        bool trusted;
    } cases[] = {
        {L"S-1-5-32-544", true},                                                   // Administrators
        {L"S-1-5-18", true},                                                       // SYSTEM
        {L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", true}, // TrustedInstaller
        {L"S-1-5-21-1004336348-1177238915-682003330-1001", true},                  // the installing account
        {L"S-1-5-21-1004336348-1177238915-682003330-1002", false},                 // another account
        {L"S-1-5-32-545", false},                                                  // Users
        {L"S-1-5-11", false},                                                      // Authenticated Users
        {L"S-1-1-0", false},                                                       // Everyone
    };
    for (const auto& [owner, trusted] : cases) {
        EXPECT_EQ(trusted, TrustedOwner(Sid(owner).get(), installing.get())) << owner;
    }
    EXPECT_FALSE(TrustedOwner(nullptr, installing.get()));
}

// The finish page starts the program only for the user of the desktop's shell: the same
// account here, as for an administrator who installs for himself.
TEST(InstallFolder, TheFinishPageMayStartTheProgramForTheSessionsOwnUser)
{
    const tl::unique_hmodule actions(LoadLibraryW(testsupport::WindowsPath(TREMORLINK_SETUP_ACTIONS_DLL).c_str()));
    ASSERT_TRUE(actions);
    using Question = BOOL(WINAPI*)();
    const auto isSessionUser =
        reinterpret_cast<Question>(reinterpret_cast<void*>(GetProcAddress(actions.get(), "InstallerIsSessionUser")));
    ASSERT_NE(nullptr, isSessionUser);
    EXPECT_TRUE(isSessionUser());
}

} // namespace
