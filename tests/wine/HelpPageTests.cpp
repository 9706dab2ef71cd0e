// The help page against the program: the table of all keys lists exactly the menu's shortcuts
// with their captions and the window's other keys, and every key the page names anywhere is one
// the program has. (That every caption it names in bold is shown by the program is checked
// with the real windows in GameWindowTests.)
#include "Framework/Commands.h"
#include "Tilvane/TilvaneCommands.h"
#include "support/HelpPage.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

// The help section with the table of every key of the program.
const char* const AllKeysSection = "keys";

std::string WithoutAmpersand(std::string caption) {
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    return caption;
}

// Every key of the program in the help's words: the menu's shortcuts and the other keys.
std::set<std::string> ProgramKeys() {
    std::set<std::string> keys;
    for (const TGameCommand& command : GameCommands())
        if (command.Shortcut.Key) keys.insert(ShortcutText(command.Shortcut));
    for (const TGameKey& key : GameKeys()) keys.insert(key.Keys);
    return keys;
}

// The keys the program names a help section for; the table of all keys gets every key.
std::set<std::string> ProgramKeysOfSection(const std::string& section) {
    if (section == AllKeysSection) return ProgramKeys();
    std::set<std::string> keys;
    for (const TGameKey& key : GameKeys())
        if (section == key.HelpSection) keys.insert(key.Keys);
    return keys;
}

// The key table of a help section: each key with the text of its row's second cell.
std::map<std::string, std::string> KeyTable(const THelpPage& page, const std::string& section) {
    std::map<std::string, std::string> table;
    for (const std::vector<std::string>& row : KeyTableRows(page.Section(section)))
        for (const std::string& key : KeysOfCell(row.front())) table[key] = row.size() > 1 ? row[1] : "";
    return table;
}

// The read-me's table of keys: the lines after "Key  Command" up to the first empty line, each
// keys, two or more blanks, and the command.
std::map<std::string, std::string> ReadmeKeyTable(const std::string& readme) {
    std::map<std::string, std::string> table;
    size_t at = readme.find("\nKey ");
    if (at == std::string::npos) return table;
    at = readme.find('\n', at + 1);
    for (size_t end; at != std::string::npos && (end = readme.find('\n', at + 1)) != std::string::npos; at = end) {
        std::string line = readme.substr(at + 1, end - at - 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        const size_t gap = line.find("  ");
        const size_t command = line.find_first_not_of(' ', gap);
        if (gap == std::string::npos || command == std::string::npos) {
            table[line] = "";  // a row without a command fails the comparison
            continue;
        }
        for (const std::string& key : KeysOfCell(line.substr(0, gap))) table[key] = line.substr(command);
    }
    return table;
}

TEST(HelpPageReading, TablesKeysAndSections) {
    const THelpPage page("<h2 id=\"a\">A</h2><table><tr><th>Key</th></tr>"
                         "<tr><td><kbd>Ctrl</kbd> + <kbd>F5</kbd>, <kbd>S</kbd></td><td>Load &ldquo;x&rdquo;\n now</td></tr>"
                         "</table><p>hold <kbd>Ctrl</kbd>+<kbd>Alt</kbd> and <b>Okay</b></p><h2 id=\"b\">B</h2>");
    const std::string a = page.Section("a");
    EXPECT_EQ(a.find("id=\"b\""), std::string::npos) << "a section ends at the next heading";
    EXPECT_TRUE(page.Section("c").empty());
    const auto rows = TableRows(a);
    ASSERT_EQ(rows.size(), 1u) << "the heading row has no td cells";
    EXPECT_EQ(KeyTableRows(a), rows);
    EXPECT_TRUE(KeyTableRows("<table><tr><th>Outline</th></tr><tr><td>red</td></tr></table>").empty());
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Ctrl+F5, S", "Load \"x\" now"}));
    EXPECT_EQ(KeysOfCell(rows[0][0]), (std::vector<std::string>{"Ctrl+F5", "S"}));
    EXPECT_EQ(KbdCombinations(a), (std::vector<std::string>{"Ctrl+F5", "S", "Ctrl+Alt"}));
    EXPECT_EQ(ElementTexts(a, "b"), (std::vector<std::string>{"Okay"}));
    EXPECT_TRUE(IsPartOfKeys("Ctrl", "Ctrl+left click"));
    EXPECT_TRUE(IsPartOfKeys("Ctrl+Alt", "hold Ctrl+Alt"));
    EXPECT_FALSE(IsPartOfKeys("Ctrl+Shift", "Ctrl+left click"));
}

TEST(HelpPage, KeyTableNamesEveryShortcutWithItsCommand) {
    const std::map<std::string, std::string> table = KeyTable(THelpPage(), AllKeysSection);
    ASSERT_FALSE(table.empty()) << "the help has a table of all keys";
    for (const TGameCommand& command : GameCommands()) {
        if (!command.Shortcut.Key) continue;
        const std::string key = ShortcutText(command.Shortcut);
        const auto row = table.find(key);
        ASSERT_NE(row, table.end()) << key << " (" << command.Caption << ") is missing from the help's key table";
        EXPECT_EQ(row->second.rfind(WithoutAmpersand(command.Caption), 0), 0u)
            << "the help says " << key << " is \"" << row->second << "\", the menu says \"" << command.Caption << "\"";
    }
}

TEST(HelpPageReading, ReadmeKeyTable) {
    const auto table = ReadmeKeyTable("Keys\r\nKey      Command\r\nF5       Load picture\r\nAlt+F, Alt+G  Tick\r\n\r\nS  Not a row\r\n");
    EXPECT_EQ(table, (std::map<std::string, std::string>{{"F5", "Load picture"}, {"Alt+F", "Tick"}, {"Alt+G", "Tick"}}));
}

// The read-me is plain text, for the installer's text box, and gives the same table of keys.
TEST(HelpPage, ReadmeKeyTableIsTheHelpsKeyTable) {
    const std::string readme = ReadFileBytes(TestProgramDirectory() + "package\\Readme.txt");
    EXPECT_EQ(readme.find('<'), std::string::npos) << "no markup in the read-me";
    EXPECT_EQ(ReadmeKeyTable(readme), KeyTable(THelpPage(), AllKeysSection));
}

// Every table of keys lists exactly the keys the program has for its section: the table of all
// keys every key, any other section the keys the program names that section for.
TEST(HelpPage, EveryKeyTableListsTheKeysOfItsSectionAndNoOthers) {
    const THelpPage page;
    int tables = 0;
    for (const std::string& section : page.SectionIds()) {
        const std::map<std::string, std::string> table = KeyTable(page, section);
        if (table.empty()) continue;
        ++tables;
        const std::set<std::string> program = ProgramKeysOfSection(section);
        for (const auto& row : table)
            EXPECT_EQ(program.count(row.first), 1u) << "the help section " << section << " lists " << row.first
                                                    << ", which the program does not have there";
        for (const std::string& key : program)
            EXPECT_EQ(table.count(key), 1u) << "the key table of the help section " << section << " lacks " << key;
    }
    EXPECT_GE(tables, 1) << "the help has a table of all keys";
}

TEST(HelpPage, EverySectionExplainsItsKeysAndNamesOnlyKeysOfTheProgram) {
    const THelpPage page;
    for (const TGameKey& key : GameKeys()) {
        const std::string section = PlainText(page.Section(key.HelpSection));
        ASSERT_FALSE(section.empty()) << "no help section " << key.HelpSection;
        const std::vector<std::string> named = KbdCombinations(page.Section(key.HelpSection));
        EXPECT_TRUE(section.find(key.Keys) != std::string::npos ||
                    std::any_of(named.begin(), named.end(), [&](const std::string& c) { return IsPartOfKeys(c, key.Keys); }))
            << "the help section " << key.HelpSection << " does not name " << key.Keys;
    }
    const std::set<std::string> program = ProgramKeys();
    for (const std::string& combination : KbdCombinations(page.Html()))
        EXPECT_TRUE(std::any_of(program.begin(), program.end(),
                                [&](const std::string& keys) { return IsPartOfKeys(combination, keys); }))
            << "the help names the key " << combination << ", which the program does not have";
}

}  // namespace
