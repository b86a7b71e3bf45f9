// The help sources of every language, as the build compiles them: every page and a
// contents entry for each, links that lead somewhere, and the program's own texts quoted
// exactly as that language's string table has them.
#include "protection/AntiTheft.h"
#include "protection/HddProtection.h"
#include "ui/LanguageSelection.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const std::string Sources = TREMORLINK_HELP_SOURCES;

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Empty for text that is not UTF-8.
std::wstring FromUtf8(const std::string& text)
{
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The text of a piece of HTML: without its tags, with the entities the pages may use.
std::wstring TextOf(const std::string& html)
{
    std::string text = std::regex_replace(html, std::regex("<[^>]*>"), "");
    for (const auto& [entity, character] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
        text = std::regex_replace(text, std::regex(entity), character);
    }
    return FromUtf8(text);
}

std::vector<std::smatch> AllMatches(const std::string& text, const std::regex& pattern)
{
    return {std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator()};
}

// The pages every language has, in the order of the contents: the help project's files.
std::vector<std::string> Pages()
{
    std::vector<std::string> pages;
    std::istringstream project(ReadFile(Sources + "/project.hhp.in"));
    bool files = false;
    for (std::string line; std::getline(project, line);) {
        files = files || line == "[FILES]";
        if (files && line.ends_with(".htm")) {
            pages.push_back(line);
        }
    }
    return pages;
}

// Empty for a folder that is not there.
std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> files;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
        if (entry.is_regular_file()) {
            files.insert(entry.path().filename().string());
        }
    }
    return files;
}

struct HelpLanguage {
    int id;
    const ui::StringTable* table;
    std::string folder;
};

// The language of each table, as the program chooses it.
std::vector<HelpLanguage> Languages()
{
    std::vector<HelpLanguage> languages;
    for (const LCID locale : {0x0409, 0x0404, 0x0804, 0x040C, 0x0407, 0x0410, 0x0416, 0x040A}) {
        const ui::LanguageSelection selection = ui::SelectLanguage(locale);
        languages.push_back(
            {selection.languageId, selection.table, Sources + "/" + std::to_string(selection.languageId)});
    }
    return languages;
}

std::wstring Heading(const std::string& page)
{
    std::smatch heading;
    std::regex_search(page, heading, std::regex("<h1>(.*?)</h1>"));
    return TextOf(heading[1]);
}

TEST(HelpSourcesTest, EveryLanguageHasEveryPageInItsContentsUnderThePagesHeading)
{
    const std::vector<std::string> pages = Pages();
    ASSERT_EQ(7u, pages.size());
    for (const HelpLanguage& language : Languages()) {
        SCOPED_TRACE(language.id);
        std::set<std::string> expected(pages.begin(), pages.end());
        expected.insert("contents.hhc");
        EXPECT_EQ(expected, FilesIn(language.folder));

        const std::string contents = ReadFile(language.folder + "/contents.hhc");
        const std::regex entry(R"re(<param name="Name" value="([^"]*)"><param name="Local" value="([^"]*)">)re");
        std::vector<std::string> listed;
        for (const std::smatch& match : AllMatches(contents, entry)) {
            listed.push_back(match[2]);
            EXPECT_EQ(Heading(ReadFile(language.folder + "/" + match[2].str())), TextOf(match[1])) << match[2];
        }
        EXPECT_EQ(pages, listed);
    }
}

TEST(HelpSourcesTest, PagesAreUtf8TitledByTheirHeadingAndEveryLinkLeadsToAPageAndAPlaceInIt)
{
    const std::vector<std::string> pages = Pages();
    for (const HelpLanguage& language : Languages()) {
        std::map<std::string, std::string> texts;
        for (const std::string& page : pages) {
            texts[page] = ReadFile(language.folder + "/" + page);
        }
        for (const auto& [page, text] : texts) {
            SCOPED_TRACE(language.folder + "/" + page);
            EXPECT_NE(std::string::npos, text.find("charset=utf-8"));
            EXPECT_FALSE(FromUtf8(text).empty()) << "not UTF-8";
            std::smatch title;
            ASSERT_TRUE(std::regex_search(text, title, std::regex("<title>(.*?)</title>")));
            EXPECT_EQ(Heading(text), TextOf(title[1]));

            for (const std::smatch& link : AllMatches(text, std::regex(R"re(href="([^"#]*)(#([^"]*))?")re"))) {
                // An anchor alone leads into the same page.
                const std::string target = link[1].length() == 0 ? page : link[1].str();
                if (target == "help.css") {
                    continue;
                }
                ASSERT_TRUE(texts.contains(target)) << link[0];
                if (link[3].matched) {
                    EXPECT_NE(std::string::npos, texts[target].find("id=\"" + link[3].str() + "\"")) << link[0];
                }
            }
        }
    }
}

TEST(HelpSourcesTest, TheProgramsTextsAreQuotedAsTheStringTableOfTheLanguageHasThem)
{
    const std::set<std::wstring> englishMessages{HddProtection::EnableFailed, HddProtection::DisableFailed,
                                                 AntiTheft::EnableFailed, AntiTheft::DisableFailed};
    const std::regex quote(R"re(<span class="ui"( data-key="([A-Za-z_]+)")?>([^<]*)</span>)re");
    for (const HelpLanguage& language : Languages()) {
        std::set<std::string> keysQuoted;
        for (const std::string& page : Pages()) {
            SCOPED_TRACE(language.folder + "/" + page);
            const std::string text = ReadFile(language.folder + "/" + page);
            const std::vector<std::smatch> quotes = AllMatches(text, quote);
            EXPECT_EQ(AllMatches(text, std::regex("class=\"ui\"")).size(), quotes.size())
                << "a quote in another form escapes the check";
            for (const std::smatch& match : quotes) {
                const std::wstring quoted = TextOf(match[3]);
                if (match[2].matched) {
                    keysQuoted.insert(match[2]);
                    EXPECT_EQ(language.table->GetString(match[2].str()), quoted) << match[0];
                } else {
                    EXPECT_TRUE(englishMessages.contains(quoted)) << match[0];
                }
            }
        }
        // The help names every menu item and the alarm's message.
        for (const char* key : {"HDD_Prot", "NB_Prot", "Help", "About", "Exit", "Unattended"}) {
            EXPECT_TRUE(keysQuoted.contains(key)) << language.id << " " << key;
        }
    }
}

} // namespace
