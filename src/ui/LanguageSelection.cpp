#include "ui/LanguageSelection.h"

#include "ui/CtrlText.h"

namespace ui {

int LanguageID = 0;

LanguageSelection SelectLanguage(LCID locale) noexcept
{
    // Only the low byte counts, so every sublanguage of a language shares its table.
    switch (locale & 0xFF) {
    case 0x04:
        // Only the neutral simplified locale and China get simplified characters; every
        // other Chinese locale, Singapore included, gets the traditional table.
        if (locale == 0x0004 || locale == 0x0804) {
            return {&CtrlText_zhCN, 2052};
        }
        return {&CtrlText_zhTw, 1028};
    case 0x07: return {&CtrlText_deDE, 1031};
    case 0x0A: return {&CtrlText_esCO, 1034};
    case 0x0C: return {&CtrlText_frFR, 1036};
    case 0x10: return {&CtrlText_itIT, 1040};
    case 0x16: return {&CtrlText_ptPT, 1046};
    default: return {&CtrlText_enUS, 1033};
    }
}

LanguageSelection SelectUserLanguage() noexcept { return SelectLanguage(GetUserDefaultLCID()); }

} // namespace ui
