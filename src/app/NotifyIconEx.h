#pragma once
// Our tray icon over Shell_NotifyIconW. It lives in its owner window: the owner passes
// its messages to HandleMessage, which answers the icon's callback (opening the menu on
// a left or right click), puts the icon back when Explorer restarts ("TaskbarCreated"),
// and retries an add that the shell refused, for instance because it was not up yet.
// A shell that is slow to answer (at logon) may report an add as failed that it made
// after all: an icon that can then be modified counts as added.
#include "protection/TrayIcon.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

class NotifyIconEx final : public TrayIcon {
public:
    static constexpr UINT CallbackMessage = WM_APP + 1;
    static constexpr UINT_PTR RetryTimerId = 0x7E01;

    // The shell's notification call; tests give one that refuses or times out.
    using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;

    NotifyIconEx(HWND owner, UINT id, ShellNotify shell = &Shell_NotifyIconW);
    NotifyIconEx(const NotifyIconEx&) = delete;
    NotifyIconEx& operator=(const NotifyIconEx&) = delete;
    ~NotifyIconEx() override;

    // The menus that open on a right and on a left click; their commands go to the owner.
    void SetContextMenu(HMENU menu) noexcept { m_contextMenu = menu; }
    void SetContextMenuLeft(HMENU menu) noexcept { m_contextMenuLeft = menu; }

    void SetIcon(HICON icon) override;
    void SetText(const std::wstring& text);
    void SetVisible(bool visible);
    void ShowBalloon(const std::wstring& title, const std::wstring& text, NotifyInfoFlags flags,
                     UINT timeoutMs) override;

    // Raised on a right and on a left click, before the menu opens.
    std::function<void()> RightClick;
    std::function<void()> Click;

    // Takes the icon out of the notification area; the owner calls it as it is destroyed.
    void Remove();

    // True when the message was the icon's; result then holds the answer.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    bool Added() const noexcept { return m_added; }

private:
    NOTIFYICONDATAW BaseData(UINT flags) const;
    void Update();
    void ShowMenu(HMENU menu);

    ShellNotify m_shell;
    HWND m_owner;
    UINT m_id;
    UINT m_taskbarCreated;
    HICON m_icon = nullptr;
    std::wstring m_text;
    bool m_visible = false;
    bool m_added = false;
    int m_retriesLeft = 0;
    HMENU m_contextMenu = nullptr;
    HMENU m_contextMenuLeft = nullptr;
};
