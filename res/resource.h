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

// The skinned windows' artwork (made by tools/make_artwork): the frame pieces, the
// banners and the logo, the image strips of the buttons and the status icons, and the
// blocking window's picture.
#define IDB_CAPTION 201
#define IDB_CAPTION_END 202
#define IDB_EDGE_LEFT 203
#define IDB_EDGE_RIGHT 204
#define IDB_EDGE_BOTTOM 205
#define IDB_CORNER_LEFT 206
#define IDB_CORNER_RIGHT 207
#define IDB_TITLE_BANNER 208
#define IDB_ABOUT_BANNER 209
#define IDB_LOGO 210
#define IDB_PUSH_BUTTON 211
#define IDB_CLOSE_BUTTON 212
#define IDB_STATUS_ICONS 213
#define IDB_BLOCK_SCREEN 214

// Added to an IDB_ ID, the same picture drawn for 150 % and for 200 % of the normal size.
#define IDB_SCALE_150 100
#define IDB_SCALE_200 200
