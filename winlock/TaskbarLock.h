#pragma once
// Takes the taskbar away: the taskbar (Shell_TrayWnd), the taskbar of every other
// monitor (Shell_SecondaryTrayWnd) and the separate Start button where the system has
// one (Windows 7's orb, a top-level "Button" of the taskbar's thread) are hidden, and
// exactly those that were shown are shown again. The hidden windows are journaled first,
// so that an unlock in a later process shows them again after a killed one hid them.
// A monitor plugged in while locked brings its own taskbar, and the shell may show its
// taskbars again after a display change: while locked, HideNew hides every taskbar that
// shows and journals those it had not hidden yet.
class TaskbarLock {
public:
    static bool Lock();
    static bool Unlock();
    // Does nothing unless the taskbar is locked (the journal holds the hidden windows).
    static void HideNew() noexcept;
};
