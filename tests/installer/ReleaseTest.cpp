// What the shipped files say of themselves: the version, the product and the rights they
// ask for, as Explorer, Apps and Features and Windows read them.
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using testsupport::WindowsPath;

// A string of the file's version resource, in its first language, or empty.
std::wstring VersionString(const std::wstring& file, const wchar_t* name)
{
    DWORD handle = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(file.c_str(), &handle));
    if (data.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(data.size()), data.data())) {
        return {};
    }
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation)) {
        return {};
    }
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translations->language, translations->codePage, name);
    wchar_t* value = nullptr;
    return VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &size) ? std::wstring(value) : L"";
}

std::string Manifest(const std::wstring& file)
{
    const tl::unique_hmodule module(LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const HRSRC resource = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    const HGLOBAL loaded = resource != nullptr ? LoadResource(module.get(), resource) : nullptr;
    if (loaded == nullptr) {
        return {};
    }
    return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(module.get(), resource));
}

TEST(ReleaseTest, TheProgramAndTheSetupClaimTheReleaseAndTheProgramAsksForAdministratorRights)
{
    const std::wstring program = WindowsPath(TREMORLINK_EXE);
    const std::vector<std::wstring> files{program, WindowsPath(TREMORLINK_TEST_SETUP)};
    for (const std::wstring& file : files) {
        SCOPED_TRACE(std::string(file.begin(), file.end()));
        EXPECT_EQ(L"Quen Tremorlink", VersionString(file, L"ProductName"));
        EXPECT_EQ(L"" TREMORLINK_PROJECT_VERSION, VersionString(file, L"ProductVersion"));
        EXPECT_EQ(L"" TREMORLINK_PROJECT_VERSION, VersionString(file, L"FileVersion"));
        EXPECT_EQ(L"Quen", VersionString(file, L"CompanyName"));
    }

    const std::string manifest = Manifest(program);
    for (const char* claim : {
             R"(name="Quen.Tremorlink" version=")" TREMORLINK_PROJECT_VERSION R"(")",
             R"(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // Windows 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
         }) {
        EXPECT_NE(std::string::npos, manifest.find(claim)) << claim;
    }
}

} // namespace
