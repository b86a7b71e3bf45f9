#include "ui/HelpViewer.h"

#include "ui/Window.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

// Folder\ID.chm.
std::string FileOf(int languageId)
{
    return std::string(HelpViewer::Folder) + "\\" + std::to_string(languageId) + ".chm";
}

} // namespace

void HelpViewer::Show(int languageId)
{
    // The system's viewer: brought forward, never closed by us.
    if (const HWND viewer = ui::WindowRef::Find(WindowClass, WindowTitle).Handle()) {
        if (IsIconic(viewer)) {
            ShowWindow(viewer, SW_SHOWNORMAL);
        }
        // Topmost and back again: to the front without staying above everything.
        constexpr UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;
        SetWindowPos(viewer, HWND_TOPMOST, 0, 0, 0, 0, flags);
        SetWindowPos(viewer, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        return;
    }
    // Whether the viewer opened shows on the screen only; a missing file opens nothing.
    static_cast<void>(ShellExecuteA(nullptr, "open", FileOf(languageId).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}
