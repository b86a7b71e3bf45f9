#pragma once
// What StartupBench.exe needs to know of BareTray.exe, the baseline it starts.

// The title by which the bare program's window is found.
inline constexpr char BareTrayTitle[] = "QUEN_Tremorlink_Bare";
// The bare program's tray icon id: the program's own (Form1::TrayIconId), so that one
// probe from outside tells for both whether the icon is there.
inline constexpr unsigned BareTrayIconId = 1;
// The argument that makes the bare program connect to root\wmi first.
inline constexpr char BareTrayConnectArgument[] = "wmi";
