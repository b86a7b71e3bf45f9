#pragma once

// Icons. The application icon has the lowest ID so that Explorer shows it for the
// executable; the tray images follow in the order of the tray's image list.
#define IDI_TREMORLINK 1
#define IDI_TRAY0 101
#define IDI_TRAY1 102
#define IDI_TRAY2 103
#define IDI_TRAY3 104
#define IDI_TRAY4 105
#define IDI_TRAY5 106
