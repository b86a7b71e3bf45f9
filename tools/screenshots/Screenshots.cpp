// Shows each window of the program in the user's language and saves a picture of it, so
// that anyone can look at every window without clicking through the program. Run by
// scripts/screenshots once per language and DPI; the first argument is the folder for
// the pictures, the second the language's name used in their file names, which also
// carry the DPI the windows were shown at.
#include "platform/SettingsStore.h"
#include "password/SetPW.h"
#include "password/WarningForm.h"
#include "app/TickClock.h"
#include "protection/PassWordVerify.h"
#include "platform/HaldenFunc.h"
#include "ui/AboutWindow.h"
#include "ui/LanguageSelection.h"
#include "Handles.h"
#include "ui/Dpi.h"
#include "ui/HelpViewer.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Lets the window paint itself completely before it is photographed.
void Settle(DWORD milliseconds)
{
    const DWORD until = GetTickCount() + milliseconds;
    while (GetTickCount() < until) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

// The window as it stands on the screen, as a 24-bit BMP file.
bool SaveWindow(HWND window, const std::wstring& path)
{
    RECT bounds{};
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const tl::WindowDc screen(nullptr);
    const tl::unique_hdc memory(CreateCompatibleDC(screen.get()));
    const tl::unique_hbitmap picture(CreateCompatibleBitmap(screen.get(), width, height));
    {
        const tl::SelectObjectGuard select(memory.get(), picture.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), bounds.left, bounds.top, SRCCOPY);
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (!GetDIBits(memory.get(), picture.get(), 0, static_cast<UINT>(height), pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)) {
        return false;
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&header, sizeof(header), 1, out) == 1 &&
                         fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return fclose(out) == 0 && written;
}

template <typename Dialog> bool Photograph(Dialog& dialog, const std::wstring& path)
{
    dialog.Show();
    Settle(500);
    const bool saved = SaveWindow(dialog.Handle(), path);
    dialog.Close();
    Settle(100);
    return saved;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** const argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const tl::unique_hlocal arguments(argv);
    if (argv == nullptr || argc != 3) {
        std::fputs("usage: TremorlinkScreenshots FOLDER LANGUAGE\n", stderr);
        return 2;
    }
    // Aware of the DPI, as Tremorlink.exe is by its manifest: shown at the screen's DPI,
    // not stretched by the system.
    SetProcessDPIAware();
    const std::wstring prefix = std::wstring(argv[1]) + L"\\";
    const std::wstring language = std::wstring(argv[2]) + L"-" + std::to_wstring(ui::DpiOfPrimaryMonitor());
    bool saved = true;
    {
        // A store no one writes to: the dialog is only looked at.
        const SettingsStore settings(HKEY_CURRENT_USER, L"Software\\QuenTremorlinkScreenshots");
        SetPW dialog(settings);
        saved &= dialog.Create() && Photograph(dialog, prefix + L"SetPW-" + language + L".bmp");
    }
    {
        WarningForm warning{ui::WindowRef()};
        saved &= warning.Create();
        warning.SecondMessage().SetVisible(false);
        saved &= Photograph(warning, prefix + L"WarningForm-" + language + L".bmp");
    }
    {
        WarningForm warning{ui::WindowRef()};
        saved &= warning.Create();
        warning.SecondMessage().SetVisible(false);
        warning.SetMessage(ui::SelectUserLanguage().table->GetString("Pwd_Chars_Invalid"));
        saved &= Photograph(warning, prefix + L"WarningFormChars-" + language + L".bmp");
    }
    {
        ui::AboutWindow about;
        saved &= about.Create() && Photograph(about, prefix + L"AboutWindow-" + language + L".bmp");
    }
    {
        // The prompt in each of its states, over the blocking window. No WinLock.dll lies
        // on this tool's library search, so nothing is locked.
        const SettingsStore settings(HKEY_CURRENT_USER, L"Software\\QuenTremorlinkScreenshots");
        const TickClock clock;
        PassWordVerify prompt(settings, clock);
        if (!prompt.Create()) {
            return 1;
        }
        prompt.Show();
        Settle(500);
        saved &= SaveWindow(prompt.Handle(), prefix + L"PassWordVerify-" + language + L".bmp");
        saved &= SaveWindow(prompt.BlockScreens().front()->Handle(), prefix + L"blockscreen-" + language + L".bmp");
        HaldenFunc().SetBeepNow(1);
        Settle(300);
        saved &= SaveWindow(prompt.Handle(), prefix + L"PassWordVerifyAlarm-" + language + L".bmp");
        // Enter on an empty box.
        SendMessageW(prompt.Handle(), WM_HOTKEY, PassWordVerify::HotKeyId, MAKELPARAM(0, VK_RETURN));
        Settle(300);
        saved &= SaveWindow(prompt.Handle(), prefix + L"PassWordVerifyWrong-" + language + L".bmp");
        // Three more: the box and OK wait.
        for (int entry = 0; entry < PassWordVerify::FreeTries; ++entry) {
            SendMessageW(prompt.Handle(), WM_HOTKEY, PassWordVerify::HotKeyId, MAKELPARAM(0, VK_RETURN));
        }
        Settle(300);
        saved &= SaveWindow(prompt.Handle(), prefix + L"PassWordVerifyWaiting-" + language + L".bmp");
        HaldenFunc().SetBeepNow(0);
    }
    {
        // The help of the language in the system's viewer: scripts/screenshots has put the
        // help files where the program looks for them.
        HelpViewer::Show(ui::SelectUserLanguage().languageId);
        HWND viewer = nullptr;
        for (int wait = 0; wait < 200 && (viewer == nullptr || !IsWindowVisible(viewer)); ++wait) {
            Settle(100);
            viewer = FindWindowA(HelpViewer::WindowClass, HelpViewer::WindowTitle);
        }
        Settle(1500);
        saved &= viewer != nullptr && SaveWindow(viewer, prefix + L"Help-" + language + L".bmp");
        PostMessageW(viewer, WM_CLOSE, 0, 0);
        for (int wait = 0; wait < 100 && IsWindow(viewer); ++wait) {
            Settle(100);
        }
    }
    return saved ? 0 : 1;
}
