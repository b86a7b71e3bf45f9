#include "ProcessCounts.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace bench {
namespace {

constexpr ULONG SystemProcessInformationClass = 5;

using QuerySystemInformation = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryProcessInformation = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

template <typename Function> Function Ntdll(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

bool GuiResourcesCounted()
{
    SetLastError(ERROR_SUCCESS);
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return count != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
}

// One entry of Wine's GDI handle table, the same on both architectures.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);

constexpr int GdiHandleCount = 0x10000;
constexpr USHORT StockFlag = 0x80;

int GdiTableEntries()
{
    // The table is the PEB's GdiSharedHandleTable, which Wine gives each process its own of.
    const auto query = Ntdll<QueryProcessInformation>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    if (query == nullptr || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) {
        return 0;
    }
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const size_t offset = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + offset);
    if (table == nullptr) {
        return 0;
    }
    int count = 0;
    for (int index = 0; index < GdiHandleCount; ++index) {
        if (table[index].type != 0 && (table[index].unique & StockFlag) == 0) {
            ++count;
        }
    }
    return count;
}

// Wine takes a USER handle's 16-bit index for the whole handle, whatever its generation:
// every index is tried as a window, a menu and an icon or cursor.
int UserHandlesReached()
{
    constexpr UINT_PTR FirstUserHandle = 0x0020;
    constexpr UINT_PTR LastUserHandle = 0xFFEF;
    int count = 0;
    for (UINT_PTR value = FirstUserHandle; value <= LastUserHandle; value += 2) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        DWORD owner = 0;
        if (IsWindow(static_cast<HWND>(handle))) {
            GetWindowThreadProcessId(static_cast<HWND>(handle), &owner);
            count += owner == GetCurrentProcessId() ? 1 : 0;
            continue;
        }
        if (IsMenu(static_cast<HMENU>(handle))) {
            ++count;
            continue;
        }
        ICONINFO info{};
        if (GetIconInfo(static_cast<HICON>(handle), &info)) {
            ++count;
            if (info.hbmMask != nullptr) {
                DeleteObject(info.hbmMask);
            }
            if (info.hbmColor != nullptr) {
                DeleteObject(info.hbmColor);
            }
        }
    }
    return count;
}

} // namespace

std::optional<Memory> MemoryOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters))) {
        return std::nullopt;
    }
    return Memory{static_cast<double>(counters.PrivateUsage) / 1024.0,
                  static_cast<double>(counters.WorkingSetSize) / 1024.0,
                  static_cast<double>(counters.PeakWorkingSetSize) / 1024.0};
}

std::optional<int> KernelHandles(DWORD processId)
{
    const auto query = Ntdll<QuerySystemInformation>("NtQuerySystemInformation");
    if (query == nullptr) {
        return std::nullopt;
    }
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    while (query(SystemProcessInformationClass, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
        if (buffer.size() >= (64u << 20)) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
    for (size_t offset = 0;;) {
        const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(process->UniqueProcessId)) == processId) {
            return static_cast<int>(process->HandleCount);
        }
        if (process->NextEntryOffset == 0) {
            return std::nullopt;
        }
        offset += process->NextEntryOffset;
    }
}

ProcessCounts CountThisProcess()
{
    ProcessCounts counts;
    counts.kernelHandles = KernelHandles(GetCurrentProcessId()).value_or(0);
    if (GuiResourcesCounted()) {
        counts.gdiObjects = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        counts.userObjects = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    } else {
        counts.gdiObjects = GdiTableEntries();
        counts.userObjects = UserHandlesReached();
    }
    return counts;
}

const char* CountingMethod()
{
    return GuiResourcesCounted()
               ? "GDI and USER objects from GetGuiResources, kernel handles from the system's process list"
               : "Wine has no GetGuiResources: GDI objects are the live entries of the process's GDI handle table, "
                 "USER objects the windows, menus, icons and cursors its handles reach; kernel handles from the "
                 "system's process list, which Wine counts in steps of 32";
}

} // namespace bench
