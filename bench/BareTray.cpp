// BareTray.exe: the baseline of the start-up and memory benchmarks. The least a resident
// tray program does: a hidden top-level window found by its title, one tray icon, a
// message loop until WM_CLOSE. With the argument "wmi" it first connects to root\wmi with
// the calls and arguments of src/platform/WMI.cpp, and nothing more: the floor of any
// design that must reach the sensor provider at start. Told to (BareTrayCoverCommand), it
// covers the primary monitor with a plain topmost window painted in one colour: the floor
// of any blocking window. It links system libraries only, so that none of our code is in
// the floor.
#include "BareTray.h"
#include "Handles.h"

#include <windows.h>
#include <shellapi.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <cstring>

namespace {

constexpr char ClassName[] = "QuenTremorlinkBareTray";
constexpr char CoverClassName[] = "QuenTremorlinkBareCover";
constexpr UINT TrayCallbackMessage = WM_APP + 1;

// What the program holds for its whole run; released only when the process ends.
struct Connection {
    Microsoft::WRL::ComPtr<IWbemLocator> locator;
    Microsoft::WRL::ComPtr<IWbemServices> services;
};

void ConnectToSensorProvider(Connection& connection) noexcept
{
    // Failures are the program's to ignore as well: it starts without the provider.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                         EOAC_NONE, nullptr);
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                &connection.locator))) {
        return;
    }
    const tl::unique_bstr path(SysAllocString(L"root\\wmi"));
    connection.locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &connection.services);
    if (connection.services) {
        CoSetProxyBlanket(connection.services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                          RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    }
}

NOTIFYICONDATAW IconData(HWND window) noexcept
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = BareTrayIconId;
    return data;
}

// Shown without activation, as the program shows its blocking windows.
void Cover(HWND owner) noexcept
{
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    WNDCLASSEXA coverClass{};
    coverClass.cbSize = sizeof(coverClass);
    coverClass.lpfnWndProc = DefWindowProcA;
    coverClass.hInstance = instance;
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = CoverClassName;
    RegisterClassExA(&coverClass);
    const HWND cover = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, CoverClassName, BareTrayCoverTitle, WS_POPUP,
                                       0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), owner,
                                       nullptr, instance, nullptr);
    ShowWindow(cover, SW_SHOWNA);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_COMMAND && LOWORD(wParam) == BareTrayCoverCommand) {
        Cover(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        NOTIFYICONDATAW data = IconData(window);
        Shell_NotifyIconW(NIM_DELETE, &data);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    Connection connection;
    if (std::strcmp(commandLine, BareTrayConnectArgument) == 0) {
        ConnectToSensorProvider(connection);
    }

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    if (RegisterClassExA(&windowClass) == 0) {
        return 1;
    }
    // Never shown: a top-level window, not a message-only one, so that FindWindow finds it.
    const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, ClassName, BareTrayTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                        nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    NOTIFYICONDATAW data = IconData(window);
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    Shell_NotifyIconW(NIM_ADD, &data);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
