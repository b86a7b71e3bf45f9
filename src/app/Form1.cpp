#include "app/Form1.h"

#include "platform/HaldenFunc.h"
#include "platform/Messages.h"
#include "platform/WMI.h"
#include "resource.h"
#include "ui/HelpViewer.h"
#include "ui/LanguageSelection.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

constexpr UINT Timer1IntervalMs = 40;
constexpr UINT Timer2IntervalMs = 1000;

HINSTANCE ModuleInstance() noexcept { return GetModuleHandleW(nullptr); }

// The icon at the size the system uses for small icons, so that it stays sharp on a
// screen with more than 96 dots per inch.
// Shared icons belong to the system and are never destroyed: the window class's.
HICON LoadSmallIcon(int resourceId, UINT flags = LR_DEFAULTCOLOR) noexcept
{
    return static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), flags));
}

// The sensor's sink looks for this class by its ANSI name.
static_assert(std::ranges::equal(std::wstring_view(Form1::ClassName), std::string_view(MainWindowClass)));

} // namespace

Form1::Form1(WMI& wmi, SettingsStore settings, ShockStateControl& shockState, const PowerFunctions& power)
    : m_wmi(wmi), m_settings(std::move(settings)), m_shockState(shockState), m_power(power),
      m_appIcon(LoadSmallIcon(IDI_TREMORLINK)), gRM(Init_RM()), m_antiTheftWindows(m_settings)
{
}

bool Form1::Create()
{
    // Minimised, fully transparent, a tool window (so no taskbar button) and off screen:
    // even a stray ShowWindow by another program shows nothing.
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_MINIMIZE;
    constexpr DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_LAYERED;
    RECT frame{0, 0, ClientSize.cx, ClientSize.cy};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    OffsetRect(&frame, StartPosition.x - frame.left, StartPosition.y - frame.top);
    if (!Window::Create({ClassName, 0, exStyle, style, L"QUEN_Tremorlink", frame, nullptr,
                         LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDI_TREMORLINK)),
                         LoadSmallIcon(IDI_TREMORLINK, LR_DEFAULTCOLOR | LR_SHARED)})) {
        return false;
    }
    m_parts.emplace(*this, m_shockState, m_power);
    SetLayeredWindowAttributes(Handle(), 0, 0, LWA_ALPHA);
    NotifyIconEx& notifyIconEx1 = m_parts->notifyIconEx1;

    // The window is built hidden and is never given to ShowWindow. The tray icon shows
    // the application icon, without a tooltip, until the texts and the state are known.
    BuildContextMenu();
    notifyIconEx1.SetContextMenu(contextMenu1.get());
    notifyIconEx1.SetContextMenuLeft(contextMenu1.get());
    notifyIconEx1.RightClick = [this] { notifyIconEx1_RightClick(); };
    notifyIconEx1.Click = [this] { notifyIconEx1_RightClick(); };
    notifyIconEx1.SetIcon(m_appIcon.get());
    notifyIconEx1.SetText(std::wstring());
    notifyIconEx1.SetVisible(true);

    // Without a subscription the program still runs, only without sensor messages.
    m_wmi.WMIEventRegister();

    SetTexts();
    InitialTrayIconList();

    HaldenFunc halden;
    halden.ModifyPassWord(0);
    halden.SetShakingNow(0);
    halden.SetBeepNow(0);

    m_parts->m_hddProtection.ApplyStoredSetting();
    m_parts->m_hddProtection.ResetReaction();
    // Anti-theft is never armed again at start; only what an armed run left behind is put
    // back.
    m_parts->m_antiTheft.StartupRestore();
    return true;
}

Form1::Parts::Parts(Form1& form, ShockStateControl& shockState, const PowerFunctions& power)
    : notifyIconEx1(form.Handle(), TrayIconId), timer1(form.Handle(), Timer1Id, Timer1IntervalMs),
      timer2(form.Handle(), Timer2Id, Timer2IntervalMs),
      m_hddProtection({form.m_settings, form.m_wmi, notifyIconEx1, form.IconList, *form.gRM, timer1, timer2, shockState,
                       form.m_messageBoxes}),
      m_antiTheft({form.m_settings, form.m_wmi, power, form.m_screenSaver, form.m_antiTheftWindows, form.m_messageBoxes,
                   form.Handle(), form.gRM->GetString("Pwd_Verify")})
{
}

Form1::~Form1()
{
    if (Handle() != nullptr && m_parts) {
        EndProgram();
    }
}

void Form1::EndProgram()
{
    m_parts->notifyIconEx1.Remove();
    m_parts->m_hddProtection.ReleaseDrive();
    PostQuitMessage(0);
}

void Form1::BuildContextMenu()
{
    contextMenu1.reset(CreatePopupMenu());
    const HMENU menu = contextMenu1.get();
    AppendMenuW(menu, MF_STRING, menuItem1, L"");
    AppendMenuW(menu, MF_STRING, menuItem2, L"");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, menuItem3, L"");
    AppendMenuW(menu, MF_STRING, menuItem4, L"");
    AppendMenuW(menu, MF_STRING, menuItem5, L"");
}

const ui::StringTable* Form1::Init_RM()
{
    // Chosen while the members are built, since the shock reaction keeps the table.
    const ui::LanguageSelection selection = ui::SelectUserLanguage();
    ui::LanguageID = selection.languageId;
    return selection.table;
}

void Form1::SetTexts()
{
    m_parts->notifyIconEx1.SetText(gRM->GetString("Tray_Logo"));
    const HMENU menu = contextMenu1.get();
    const std::pair<UINT, const char*> items[] = {
        {menuItem1, "HDD_Prot"}, {menuItem2, "NB_Prot"}, {menuItem3, "Help"}, {menuItem4, "About"}, {menuItem5, "Exit"},
    };
    for (const auto& [command, key] : items) {
        ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING, command, gRM->GetString(key).c_str());
    }
}

void Form1::InitialTrayIconList()
{
    for (size_t index = 0; index < IconList.size(); ++index) {
        IconList[index].reset(LoadSmallIcon(IDI_TRAY0 + static_cast<int>(index)));
    }
}

void Form1::notifyIconEx1_RightClick()
{
    const HaldenFunc halden;
    const HMENU menu = contextMenu1.get();
    const AntiTheft& antiTheft = m_parts->m_antiTheft;
    const int modifyingPassword = halden.GetModifyPassWord();
    // While armed the tray is normally out of reach; where it is not, a second arming would
    // save the overridden settings over the user's.
    if (modifyingPassword == 1 || antiTheft.Busy()) {
        EnableMenuItem(menu, menuItem2, MF_BYCOMMAND | MF_GRAYED);
    } else if (modifyingPassword == 0) {
        EnableMenuItem(menu, menuItem2, MF_BYCOMMAND | MF_ENABLED);
    }
    CheckMenuItem(menu, menuItem1, MF_BYCOMMAND | (halden.GetHddProtectionStatus() == 0 ? MF_UNCHECKED : MF_CHECKED));
    // Exit does nothing while armed; greyed, it says so.
    EnableMenuItem(menu, menuItem5, MF_BYCOMMAND | (antiTheft.Armed() ? MF_GRAYED : MF_ENABLED));
}

void Form1::menuItem1_Click()
{
    const HMENU menu = contextMenu1.get();
    const bool enable = (GetMenuState(menu, menuItem1, MF_BYCOMMAND) & MF_CHECKED) == 0;
    CheckMenuItem(menu, menuItem1, MF_BYCOMMAND | (enable ? MF_CHECKED : MF_UNCHECKED));
    m_parts->m_hddProtection.MenuSwitch(enable);
}

void Form1::menuItem2_Click() { m_parts->m_antiTheft.EnterSysProtection(); }

void Form1::menuItem3_Click_1() { StartHelpWindow(); }

void Form1::menuItem4_Click_1() { StartAboutWindow(); }

void Form1::StartHelpWindow() { HelpViewer::Show(ui::LanguageID); }

void Form1::StartAboutWindow()
{
    // One about window at a time; an open one is left where it is.
    if (ui::AboutWindow::IsOpenAnywhere()) {
        return;
    }
    // An about window that cannot be made shows nothing, as a missing help file does.
    m_aboutWindow.emplace();
    if (!m_aboutWindow->Create()) {
        m_aboutWindow.reset();
        return;
    }
    m_aboutWindow->Show();
}

void Form1::menuItem5_Click()
{
    if (m_parts->m_antiTheft.Armed()) {
        return;
    }
    m_wmi.WMIEventUnRegister();
    SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void Form1::Paint(HDC dc, const RECT& client) { FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE)); }

LRESULT Form1::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // While the window is being made, everything gets the default handling.
    if (!m_parts) {
        return CustomWindow::WndProc(message, wParam, lParam);
    }
    HddProtection& hddProtection = m_parts->m_hddProtection;
    const AntiTheft& antiTheft = m_parts->m_antiTheft;
    LRESULT result = 0;
    if (m_parts->notifyIconEx1.HandleMessage(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WM_CLOSE:
        // Only the right password ends the armed period; ending the program would leave
        // the power settings overridden until the next start.
        if (antiTheft.Armed()) {
            return 0;
        }
        m_wmi.WMIEventUnRegister();
        EndProgram();
        Destroy();
        return 0;
    case WM_QUERYENDSESSION:
        // The same for a shutdown, a restart or a logoff: Windows may still force it.
        return antiTheft.Armed() ? FALSE : TRUE;
    case WM_NCHITTEST: return HTCAPTION;
    case WM_NCLBUTTONDBLCLK: return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMaxTrackSize = {MaximumSize.cx, MaximumSize.cy};
        limits->ptMinTrackSize = {0, 0};
        return 0;
    }
    case WM_TIMER:
        if (wParam == Timer1Id) {
            hddProtection.timer1_Tick();
        } else if (wParam == Timer2Id) {
            hddProtection.timer2_Tick();
        }
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case menuItem1: menuItem1_Click(); break;
        case menuItem2: menuItem2_Click(); break;
        case menuItem3: menuItem3_Click_1(); break;
        case menuItem4: menuItem4_Click_1(); break;
        case menuItem5: menuItem5_Click(); break;
        default: break;
        }
        return 0;
    case WM_TL_SHOCK: hddProtection.StartShaking(); return 0;
    case WM_TL_SHOCK_OVER: hddProtection.ShockOver(); return 0;
    case WM_TL_MOVEMENT: HaldenFunc().SetBeepNow(1); break;
    default: break;
    }
    return CustomWindow::WndProc(message, wParam, lParam);
}
