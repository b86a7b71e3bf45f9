#pragma once
// Which built-in string table a window shows, chosen from the user's locale. Every window
// that shows table texts selects when it is built; only the main window's choice also
// fixes LanguageID.
#include "ui/StringTable.h"

#include <windows.h>

namespace ui {

struct LanguageSelection {
    const StringTable* table;
    // A fixed number per table, not the locale's own: every German locale gives 1031.
    int languageId;
};

// The table for a locale identifier; a language without a table of its own gets English.
LanguageSelection SelectLanguage(LCID locale) noexcept;

// The table for the current user's regional-format locale (not the display language).
LanguageSelection SelectUserLanguage() noexcept;

// The language number of the main window's table, set once while it is built; the help
// file of that language is named after it.
extern int LanguageID;

} // namespace ui
