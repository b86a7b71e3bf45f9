#pragma once
// One language's user-visible texts, looked up by key. The tables are built into the
// program, so a table is a fixed list of literals and never changes while it runs.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace ui {

class StringTable {
public:
    // Every table holds the same keys; the tables check this against English when built.
    static constexpr std::size_t KeyCount = 22;

    struct Entry {
        std::string_view key;
        std::wstring_view text;
    };
    using Entries = std::array<Entry, KeyCount>;

    constexpr explicit StringTable(const Entries& entries) : m_entries(entries) {}

    // The key's text, or an empty text for a key that the table does not hold: a missing
    // text leaves a control blank rather than stopping the program.
    std::wstring GetString(std::string_view key) const;

    constexpr const Entries& AllEntries() const noexcept { return m_entries; }

private:
    Entries m_entries;
};

} // namespace ui
