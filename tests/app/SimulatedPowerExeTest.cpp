// The simulated powrprof.dll of this build takes the place of the system's in the real
// Tremorlink.exe, and only there: the test binary, like any other program of the prefix,
// keeps Wine's own.
#include "app/SimulatedPower.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"
#include "Registry.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

using testsupport::SimulatedPowerInPlace;
using testsupport::UnderWine;

struct ImageStamp {
    DWORD timeDateStamp;
    DWORD sizeOfImage;
    DWORD entryPoint;

    friend bool operator==(const ImageStamp&, const ImageStamp&) = default;
};

ImageStamp StampOf(const IMAGE_NT_HEADERS& headers)
{
    return {headers.FileHeader.TimeDateStamp, headers.OptionalHeader.SizeOfImage,
            headers.OptionalHeader.AddressOfEntryPoint};
}

// Reads the headers of a module image in that process, or of a file when process is null.
template <typename Read> std::optional<ImageStamp> ReadStamp(Read read)
{
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS headers{};
    if (!read(0, &dos, sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !read(static_cast<DWORD>(dos.e_lfanew), &headers, sizeof(headers)) || headers.Signature != IMAGE_NT_SIGNATURE) {
        return std::nullopt;
    }
    return StampOf(headers);
}

std::optional<ImageStamp> FileStamp(const std::wstring& path)
{
    const tl::unique_hfile file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return ReadStamp([&](DWORD offset, void* data, DWORD size) {
        DWORD read = 0;
        return file && SetFilePointer(file.get(), static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset &&
               ReadFile(file.get(), data, size, &read, nullptr) && read == size;
    });
}

// The base of the module of that name in the process, or null.
BYTE* ModuleIn(DWORD processId, const wchar_t* name)
{
    const tl::unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    for (BOOL found = snapshot && Module32FirstW(snapshot.get(), &module); found;
         found = Module32NextW(snapshot.get(), &module)) {
        if (_wcsicmp(module.szModule, name) == 0) {
            return module.modBaseAddr;
        }
    }
    return nullptr;
}

// LoadLibraryW(name) run in the other process, as its own import of the library would
// load it: by name, under that program's load order. True once the thread has returned.
bool LoadInProcess(HANDLE process, const std::wstring& name)
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    BYTE* const remoteKernel = ModuleIn(GetProcessId(process), L"kernel32.dll");
    const auto loadLibrary = reinterpret_cast<BYTE*>(reinterpret_cast<void*>(GetProcAddress(kernel, "LoadLibraryW")));
    if (remoteKernel == nullptr || loadLibrary == nullptr) {
        return false;
    }
    const auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(remoteKernel + (loadLibrary - reinterpret_cast<BYTE*>(kernel))));
    const SIZE_T size = (name.size() + 1) * sizeof(wchar_t);
    void* const text = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (text == nullptr) {
        return false;
    }
    const tl::unique_handle thread(WriteProcessMemory(process, text, name.c_str(), size, nullptr)
                                       ? CreateRemoteThread(process, nullptr, 0, start, text, 0, nullptr)
                                       : nullptr);
    const bool returned = thread && WaitForSingleObject(thread.get(), testsupport::StartTimeoutMs) == WAIT_OBJECT_0;
    VirtualFreeEx(process, text, 0, MEM_RELEASE);
    return returned;
}

// The program is ended before Wine's library is put back, whatever happened.
class SimulatedPowerExe : public ::testing::Test {
protected:
    void TearDown() override { testsupport::EndIfRunning(program.get()); }

    std::optional<SimulatedPowerInPlace> power;
    tl::unique_handle program;
};

TEST_F(SimulatedPowerExe, TremorlinkLoadsTheSimulatedLibraryAndOtherProgramsKeepWines)
{
    if (!UnderWine()) {
        GTEST_SKIP() << "replaces the power library of the system, which only our own Wine prefixes may have";
    }
    ASSERT_EQ(nullptr, FindWindowA(nullptr, "QUEN_Tremorlink")) << "a copy is already running";
    const std::optional<ImageStamp> simulated = FileStamp(testsupport::WindowsPath(TREMORLINK_SIM_POWRPROF_DLL));
    const std::optional<ImageStamp> wines = FileStamp(SimulatedPowerInPlace::SystemLibrary());
    ASSERT_TRUE(simulated && wines);
    ASSERT_NE(*simulated, *wines);

    power.emplace();
    ASSERT_TRUE(power->InPlace());
    program = testsupport::StartTremorlink();
    ASSERT_TRUE(program);
    const HWND window = testsupport::WaitForMainWindow(program.get());
    ASSERT_NE(nullptr, window) << "the main window never appeared";

    EXPECT_TRUE(LoadInProcess(program.get(), L"powrprof.dll"));
    BYTE* const base = ModuleIn(GetProcessId(program.get()), L"powrprof.dll");
    ASSERT_NE(nullptr, base) << "the program has no powrprof.dll";
    const std::optional<ImageStamp> loaded = ReadStamp([&](DWORD offset, void* data, DWORD size) {
        SIZE_T read = 0;
        return ReadProcessMemory(program.get(), base + offset, data, size, &read) && read == size;
    });
    EXPECT_EQ(simulated, loaded) << "Tremorlink.exe runs on another library than the simulated one";

    // Loaded by name here too, where no override applies.
    const HMODULE own = LoadLibraryW(L"powrprof.dll");
    ASSERT_NE(nullptr, own);
    EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(own, "CallNtPowerInformation")))
        << "the test binary got the simulated library too";
    FreeLibrary(own);

    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, testsupport::WaitForExit(program.get()));

    power.reset();
    EXPECT_EQ(wines, FileStamp(SimulatedPowerInPlace::SystemLibrary())) << "Wine's own library is back";
    LSTATUS opened = ERROR_SUCCESS;
    const tl::unique_hkey overrides =
        tl::OpenKey(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tremorlink.exe", KEY_READ, &opened);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, opened) << "the override is gone";
}

} // namespace
