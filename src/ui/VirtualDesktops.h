#pragma once
// The virtual desktops of Windows 10 and later, through the shell's virtual desktop
// manager, made at run time. On Windows 7, where COM is not initialised on the thread, or
// where the shell does not offer it, there is only the one desktop the user sees.
//
// The manager moves only windows of the calling process.
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

namespace ui {

// IVirtualDesktopManager as the shell documents it; the system's headers declare it only
// for programs that need Windows 10.
struct VirtualDesktopManagerInterface : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE IsWindowOnCurrentVirtualDesktop(HWND topLevelWindow, BOOL* onCurrent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowDesktopId(HWND topLevelWindow, GUID* desktopId) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveWindowToDesktop(HWND topLevelWindow, REFGUID desktopId) = 0;
};

class VirtualDesktops {
public:
    VirtualDesktops() noexcept;

    bool Available() const noexcept { return m_manager != nullptr; }
    // False only when the manager says that the window is on a desktop the user does not
    // see; true without a manager, and when it cannot tell.
    bool IsOnCurrentDesktop(HWND window) const noexcept;
    // Puts window on the desktop that model is on; both must be this process's.
    bool MoveToDesktopOf(HWND window, HWND model) const noexcept;

private:
    Microsoft::WRL::ComPtr<VirtualDesktopManagerInterface> m_manager;
};

} // namespace ui
