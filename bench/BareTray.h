#pragma once
// What StartupBench.exe needs to know of BareTray.exe, the baseline it starts.

// The title by which the bare program's window is found.
inline constexpr char BareTrayTitle[] = "QUEN_Tremorlink_Bare";
// The bare program's tray icon id: the program's own (Form1::TrayIconId), so that one
// probe from outside tells for both whether the icon is there.
inline constexpr unsigned BareTrayIconId = 1;
// The argument that makes the bare program connect to root\wmi first.
inline constexpr char BareTrayConnectArgument[] = "wmi";
// The command (WM_COMMAND's identifier) that makes the bare program cover the primary
// monitor with a plain window, the least any blocking window costs, titled so.
inline constexpr unsigned BareTrayCoverCommand = 1;
inline constexpr char BareTrayCoverTitle[] = "QUEN_Tremorlink_Bare_Cover";
