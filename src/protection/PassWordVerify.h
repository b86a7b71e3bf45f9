#pragma once
// The password prompt of the armed anti-theft: a topmost skinned window, without a close
// button, that cannot be moved, over a topmost blocking window on every monitor, with
// Ctrl+Alt+Del, task switching and the taskbar locked through WinLock.dll. It closes
// only when the right password is entered (OK, or Enter wherever the focus is): then it
// unlocks the input and takes the blocking windows away. A wrong entry may be retried
// without limit, but from the fourth wrong one in a row each makes the next wait: a
// device posing as a keyboard would otherwise try every short password in minutes.
//
// Every 100 ms it puts itself and the blocking windows back above any other program's
// window and takes the foreground back from it. While no password has been tried it also
// polls BeepNow, and once the main window has noted a movement it asks for the password
// to stop the alarm. After the first try the message says only whether the password was
// right.
#include "platform/HaldenFunc.h"
#include "platform/SettingsStore.h"
#include "protection/Clock.h"
#include "protection/blockscreen.h"
#include "ui/Label.h"
#include "ui/PictureBox.h"
#include "ui/PictureButton.h"
#include "ui/SkinnedWindow.h"
#include "ui/StringTable.h"
#include "ui/TextBox.h"
#include "ui/VirtualDesktops.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PassWordVerify final : public ui::SkinnedWindow {
public:
    // Names the window for FindWindow; never shown.
    static constexpr const wchar_t* Title = L"Quen_Halden_PassWordVerify";
    // Enter, without modifier keys, confirms wherever the focus is.
    static constexpr int HotKeyId = 0x1238;
    static constexpr int MaxPasswordLength = 8;
    static constexpr UINT PollInterval = 100; // milliseconds
    // The status icon's images.
    static constexpr int PadlockImage = 0;
    static constexpr int WarningImage = 2;
    // Wrong entries in a row that cost no wait; each further one disables the box and OK
    // for a wait that doubles from the first to the longest.
    static constexpr int FreeTries = 3;
    static constexpr std::uint64_t FirstWaitMs = 1000;
    static constexpr std::uint64_t LongestWaitMs = 30000;

    // clock: what the waits after wrong entries are measured on. dpi 0: the DPI of the
    // monitor it opens on.
    PassWordVerify(const SettingsStore& settings, const protection::Clock& clock, UINT dpi = 0);

    // Makes the prompt and, before it is shown, shows the blocking windows and locks the
    // input. False when the prompt or a blocking window could not be made: then nothing
    // is locked.
    [[nodiscard]] bool Create() override;

    // The password box's left edge in the panel for a password caption that many design
    // pixels wide: a wide translation pushes the box to its right.
    static constexpr LONG PasswordBoxLeft(LONG captionWidth) noexcept
    {
        return captionWidth >= 67 ? captionWidth + 100 : 163;
    }

    // Whether the right password ended the prompt (not, for instance, a quit request).
    bool Unlocked() const noexcept { return m_unlocked; }

    ui::PictureBox& StatusIcon() noexcept { return label4; }
    ui::Label& Message() noexcept { return label3; }
    ui::Label& PasswordCaption() noexcept { return label6; }
    ui::TextBox& PasswordBox() noexcept { return textBox1; }
    ui::PictureButton& OkButton() noexcept { return label5; }
    // One for each monitor, in the order the system lists them.
    const std::vector<std::unique_ptr<blockscreen>>& BlockScreens() const noexcept { return BlkScreen; }
    // Whether a wrong entry keeps the box and OK disabled now.
    bool Waiting() const noexcept { return m_waiting; }

    // The poll step, every PollInterval from the prompt's own timer.
    void timer1_Tick();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The caption's width changes with the DPI, and the box's place with it.
    void DpiChanged() override { AdaptLayout(); }
    // However the prompt ends, Enter is given back and the poll stops.
    void Closing() override { StopListening(); }

private:
    static constexpr UINT_PTR timer1 = 1;

    void AdaptLayout();
    // False, with the blocking windows as they were, when one could not be made.
    bool ShowBlockScreens();
    void StopListening();
    void BringToFront();
    bool IsAboveOthers() const;
    void RaiseAboveOthers();
    void KeepInFront();
    void FocusInput();
    void SetInputEnabled(bool enabled);
    // The hot key is posted the moment Enter is pressed, ahead of the keys typed just
    // before it that still wait in the queue: those reach the password box first.
    static void TakeTypedKeys();
    void OKFunc();
    void WrongPassword();

    std::vector<std::unique_ptr<blockscreen>> BlkScreen;
    HaldenFunc eGF;
    int PwdEnterd = 0;
    int SysBeepNow = 0;
    std::wstring CheckPW2;
    const ui::StringTable& gRM2;
    ui::PictureBox label4;
    ui::Label label3;
    ui::Label label6;
    ui::TextBox textBox1;
    ui::PictureButton label5;
    const protection::Clock& m_clock;
    ui::VirtualDesktops m_desktops;
    int m_wrongInARow = 0;
    bool m_waiting = false;
    std::uint64_t m_waitEndsMs = 0;
    bool m_unlocked = false;
};
