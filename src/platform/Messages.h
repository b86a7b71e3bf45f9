#pragma once
// The private messages of the main window, posted with wParam and lParam 0.
#include <windows.h>

inline constexpr UINT WM_TL_SHOCK = 0x0B01;      // the provider reported a shock
inline constexpr UINT WM_TL_SHOCK_OVER = 0x0B02; // ends a running shock reaction
inline constexpr UINT WM_TL_MOVEMENT = 0x0B03;   // movement while system protection is on

// The title by which the main window is found: single-instance test and message target.
inline constexpr char MainWindowTitle[] = "QUEN_Tremorlink";
// The main window's class (Form1::ClassName), which the sensor's sink looks for first.
inline constexpr char MainWindowClass[] = "Form1";
