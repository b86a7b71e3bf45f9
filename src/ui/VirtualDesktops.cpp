#include "ui/VirtualDesktops.h"

namespace ui {

namespace {

// CLSID_VirtualDesktopManager and IID_IVirtualDesktopManager.
constexpr CLSID ManagerClass{0xaa509086, 0x5ca9, 0x4c25, {0x8f, 0x95, 0x58, 0x9d, 0x3c, 0x07, 0xb4, 0x8a}};
constexpr IID ManagerInterface{0xa5cd92ff, 0x29be, 0x454c, {0x8d, 0x04, 0xd8, 0x28, 0x79, 0xfb, 0x3f, 0x1b}};

} // namespace

VirtualDesktops::VirtualDesktops() noexcept
{
    // A failure leaves no manager: Windows 7 has none.
    static_cast<void>(CoCreateInstance(ManagerClass, nullptr, CLSCTX_INPROC_SERVER, ManagerInterface,
                                       reinterpret_cast<void**>(m_manager.ReleaseAndGetAddressOf())));
}

bool VirtualDesktops::IsOnCurrentDesktop(HWND window) const noexcept
{
    BOOL onCurrent = TRUE;
    return !m_manager || FAILED(m_manager->IsWindowOnCurrentVirtualDesktop(window, &onCurrent)) || onCurrent != FALSE;
}

bool VirtualDesktops::MoveToDesktopOf(HWND window, HWND model) const noexcept
{
    GUID desktop{};
    return m_manager && SUCCEEDED(m_manager->GetWindowDesktopId(model, &desktop)) &&
           SUCCEEDED(m_manager->MoveWindowToDesktop(window, desktop));
}

} // namespace ui
