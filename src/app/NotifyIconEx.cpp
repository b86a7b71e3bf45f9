#include "app/NotifyIconEx.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// A shell that is still starting refuses the icon; it is asked again once a second for
// this long, and after that the icon comes back with the shell's "TaskbarCreated".
constexpr int AddRetries = 30;
constexpr UINT AddRetryIntervalMs = 1000;

template <size_t N> void CopyTruncated(wchar_t (&target)[N], const std::wstring& text)
{
    const size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), length, std::begin(target));
    target[length] = L'\0';
}

} // namespace

NotifyIconEx::NotifyIconEx(HWND owner, UINT id, ShellNotify shell)
    : m_shell(std::move(shell)), m_owner(owner), m_id(id), m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated"))
{
    // An elevated process gets no broadcasts from the unelevated shell unless it says so.
    ChangeWindowMessageFilterEx(owner, m_taskbarCreated, MSGFLT_ALLOW, nullptr);
}

NotifyIconEx::~NotifyIconEx() { Remove(); }

NOTIFYICONDATAW NotifyIconEx::BaseData(UINT flags) const
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner;
    data.uID = m_id;
    data.uFlags = flags;
    return data;
}

void NotifyIconEx::SetIcon(HICON icon)
{
    m_icon = icon;
    if (m_added) {
        NOTIFYICONDATAW data = BaseData(NIF_ICON);
        data.hIcon = m_icon;
        m_shell(NIM_MODIFY, &data);
    }
}

void NotifyIconEx::SetText(const std::wstring& text)
{
    m_text = text;
    if (m_added) {
        NOTIFYICONDATAW data = BaseData(NIF_TIP);
        CopyTruncated(data.szTip, m_text);
        m_shell(NIM_MODIFY, &data);
    }
}

void NotifyIconEx::SetVisible(bool visible)
{
    m_visible = visible;
    m_retriesLeft = AddRetries;
    if (m_visible) {
        Update();
    } else {
        Remove();
    }
}

void NotifyIconEx::ShowBalloon(const std::wstring& title, const std::wstring& text, NotifyInfoFlags flags,
                               UINT timeoutMs)
{
    if (!m_added) {
        return;
    }
    NOTIFYICONDATAW data = BaseData(NIF_INFO);
    CopyTruncated(data.szInfoTitle, title);
    CopyTruncated(data.szInfo, text);
    data.uTimeout = timeoutMs;
    data.dwInfoFlags = static_cast<DWORD>(flags);
    m_shell(NIM_MODIFY, &data);
}

void NotifyIconEx::Remove()
{
    KillTimer(m_owner, RetryTimerId);
    if (m_added) {
        NOTIFYICONDATAW data = BaseData(0);
        m_shell(NIM_DELETE, &data);
        m_added = false;
    }
}

void NotifyIconEx::Update()
{
    if (!m_visible || m_added) {
        return;
    }
    NOTIFYICONDATAW data = BaseData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = CallbackMessage;
    data.hIcon = m_icon;
    CopyTruncated(data.szTip, m_text);
    m_added = m_shell(NIM_ADD, &data) != FALSE || m_shell(NIM_MODIFY, &data) != FALSE;
    if (m_added) {
        KillTimer(m_owner, RetryTimerId);
    } else if (m_retriesLeft > 0) {
        --m_retriesLeft;
        SetTimer(m_owner, RetryTimerId, AddRetryIntervalMs, nullptr);
    } else {
        KillTimer(m_owner, RetryTimerId);
    }
}

void NotifyIconEx::ShowMenu(HMENU menu)
{
    if (menu == nullptr) {
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere,
    // and without the WM_NULL after it the next click would not open it.
    SetForegroundWindow(m_owner);
    // The menu opens to the side the user's settings give drop-down menus (a right-handed
    // pen user's open to the left, away from the hand).
    const UINT alignment = GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    TrackPopupMenuEx(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | alignment, cursor.x, cursor.y, m_owner, nullptr);
    PostMessageW(m_owner, WM_NULL, 0, 0);
}

bool NotifyIconEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    if (message == CallbackMessage && wParam == m_id) {
        switch (static_cast<UINT>(lParam)) {
        case WM_RBUTTONUP:
            if (RightClick) {
                RightClick();
            }
            ShowMenu(m_contextMenu);
            break;
        case WM_LBUTTONUP:
            if (Click) {
                Click();
            }
            ShowMenu(m_contextMenuLeft);
            break;
        default: break;
        }
        return true;
    }
    if (message == WM_TIMER && wParam == RetryTimerId) {
        Update();
        return true;
    }
    if (message == m_taskbarCreated && m_taskbarCreated != 0) {
        // A new shell knows no icons: add ours again.
        m_added = false;
        m_retriesLeft = AddRetries;
        Update();
        return true;
    }
    return false;
}
