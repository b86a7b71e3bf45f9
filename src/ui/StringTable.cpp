#include "ui/StringTable.h"

#include <algorithm>

namespace ui {

std::wstring StringTable::GetString(std::string_view key) const
{
    const auto found = std::ranges::find(m_entries, key, &Entry::key);
    return found == m_entries.end() ? std::wstring() : std::wstring(found->text);
}

} // namespace ui
