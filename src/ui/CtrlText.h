#pragma once
// The eight built-in string tables. English is also the table of every language that
// has none of its own.
#include "ui/StringTable.h"

namespace ui {

extern const StringTable CtrlText_enUS;
extern const StringTable CtrlText_zhCN;
extern const StringTable CtrlText_zhTw;
extern const StringTable CtrlText_deDE;
extern const StringTable CtrlText_frFR;
extern const StringTable CtrlText_itIT;
extern const StringTable CtrlText_ptPT;
extern const StringTable CtrlText_esCO;

} // namespace ui
