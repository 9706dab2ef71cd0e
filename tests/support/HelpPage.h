// The help page (Help.html, staged in the folder "package" beside the test
// programs) as the tests read it: its
// sections, the rows of its tables, the captions it names in bold and the keys it names with
// <kbd>, all as plain text. The page's own conventions: <b> is a caption the program shows,
// <kbd> a key; a key table's first column holds keys ("Ctrl+F5", "Alt+F, Alt+G").
#pragma once

#include <string>
#include <vector>

class THelpPage {
public:
    // Reads the staged Help.html; throws std::runtime_error when it is missing.
    THelpPage();
    explicit THelpPage(std::string html) : html_(std::move(html)) {}

    const std::string& Html() const { return html_; }
    // The ids of the page's headings, in order.
    std::vector<std::string> SectionIds() const;
    // The HTML from the heading with this id to the next heading of its level; empty when missing.
    std::string Section(const std::string& id) const;

private:
    std::string html_;
};

// Tags dropped, the page's entities decoded, white space collapsed, and keys written without
// blanks around "+" ("Ctrl + left click" becomes "Ctrl+left click").
std::string PlainText(const std::string& html);
// The plain texts of every <tag ...>...</tag> in the HTML, in order.
std::vector<std::string> ElementTexts(const std::string& html, const std::string& tag);
// The cells of every row of the HTML's tables that has td cells, as plain text.
std::vector<std::vector<std::string>> TableRows(const std::string& html);
// The rows of the HTML's key tables only: the tables whose first heading cell is "Key".
std::vector<std::vector<std::string>> KeyTableRows(const std::string& html);
// The keys of a key table's first cell: "Alt+F, Alt+G" gives "Alt+F" and "Alt+G".
std::vector<std::string> KeysOfCell(const std::string& cell);
// Every key combination written with <kbd>: adjacent keys joined by "+" ("Ctrl+F5").
std::vector<std::string> KbdCombinations(const std::string& html);
// Whether every key of the combination ("Ctrl", "Ctrl+Alt") is one of the keys of the other
// ("hold Ctrl+Alt", "Ctrl+left click"); a leading "hold " does not count.
bool IsPartOfKeys(const std::string& combination, const std::string& keys);
