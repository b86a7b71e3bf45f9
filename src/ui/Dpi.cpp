#include "ui/Dpi.h"

#include "Handles.h"
#include "platform/LibrarySearch.h"

namespace ui {

namespace {

// Looked up at run time: the per-monitor functions came with Windows 8.1 and 10.
template <typename Function> Function Lookup(const wchar_t* module, const char* name) noexcept
{
    HMODULE library = GetModuleHandleW(module);
    if (library == nullptr) {
        library = LoadSystemLibrary(module); // kept for the life of the process, like the system's own
    }
    return library != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                              : nullptr;
}

UINT SystemDpi() noexcept
{
    const tl::WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    return dpi > 0 ? static_cast<UINT>(dpi) : DesignDpi;
}

UINT DpiOfMonitor(HMONITOR monitor) noexcept
{
    // MDT_EFFECTIVE_DPI of shellscalingapi.h.
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    const auto getDpiForMonitor = Lookup<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    if (getDpiForMonitor != nullptr && monitor != nullptr && SUCCEEDED(getDpiForMonitor(monitor, 0, &x, &y)) &&
        x != 0) {
        return x;
    }
    return SystemDpi();
}

} // namespace

UINT DpiOfWindow(HWND window) noexcept
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = Lookup<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    return DpiOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

UINT DpiOfPrimaryMonitor() noexcept { return DpiOfMonitor(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)); }

} // namespace ui
