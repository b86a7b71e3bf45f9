// The simulated powrprof.dll of this build takes the place of the system's for
// Tremorlink.exe alone: the same program under another name keeps Wine's, as every other
// program of the prefix does, and Wine's library and load order are back afterwards. That
// Tremorlink.exe runs on the simulated library shows wherever it is armed
// (AntiTheftExeTest): the power settings it overrides are the ones that library keeps.
#include "app/SimulatedPower.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"
#include "Registry.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

// The size in memory of the power library in that process, 0 without one.
DWORD PowerLibraryIn(DWORD processId)
{
    const tl::unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    for (BOOL found = snapshot && Module32FirstW(snapshot.get(), &module); found;
         found = Module32NextW(snapshot.get(), &module)) {
        if (_wcsicmp(module.szModule, L"powrprof.dll") == 0) {
            return module.modBaseSize;
        }
    }
    return 0;
}

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The program is ended before Wine's library is put back, whatever happened.
class SimulatedPowerExe : public ::testing::Test {
protected:
    void TearDown() override { EndIfRunning(program.get()); }

    // The power library of the program in that file, read while it runs; one copy runs at a
    // time, so it is closed again.
    DWORD PowerLibraryOf(const std::wstring& file)
    {
        program = StartProgram(L"\"" + file + L"\"");
        const HWND window = WaitForMainWindow(program.get());
        EXPECT_NE(nullptr, window) << "the main window never appeared";
        const DWORD size = PowerLibraryIn(GetProcessId(program.get()));
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, WaitForExit(program.get()));
        return size;
    }

    std::optional<SimulatedPowerInPlace> power;
    tl::unique_handle program;
};

TEST_F(SimulatedPowerExe, TremorlinkAloneGetsTheSimulatedLibraryAndWinesComesBack)
{
    if (!UnderWine()) {
        GTEST_SKIP() << "replaces the power library of the system, which only our own Wine prefixes may have";
    }
    ASSERT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink")) << "a copy is already running";
    const std::string wines = FileBytes(SimulatedPowerInPlace::SystemLibrary());
    ASSERT_FALSE(wines.empty());
    wchar_t folder[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, folder));
    const std::wstring renamed = std::wstring(folder) + L"TremorlinkRenamed.exe";
    ASSERT_TRUE(CopyFileW(WindowsPath(TREMORLINK_EXE).c_str(), renamed.c_str(), FALSE));

    power.emplace();
    ASSERT_TRUE(power->InPlace());
    const DWORD tremorlinks = PowerLibraryOf(WindowsPath(TREMORLINK_EXE));
    const DWORD renameds = PowerLibraryOf(renamed);
    DeleteFileW(renamed.c_str());

    // This process loaded Wine's library at its start, before the simulated one was there.
    EXPECT_EQ(PowerLibraryIn(GetCurrentProcessId()), renameds) << "another program got the simulated library";
    EXPECT_NE(renameds, tremorlinks) << "Tremorlink.exe got Wine's library";

    power.reset();
    EXPECT_EQ(wines, FileBytes(SimulatedPowerInPlace::SystemLibrary())) << "Wine's own library is back";
    LSTATUS opened = ERROR_SUCCESS;
    const tl::unique_hkey overrides =
        tl::OpenKey(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tremorlink.exe", KEY_READ, &opened);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, opened) << "the override is gone";
}

} // namespace
