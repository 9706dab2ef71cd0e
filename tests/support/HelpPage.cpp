#include "support/HelpPage.h"

#include "support/WineTestSupport.h"

#include <algorithm>
#include <regex>

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> KeyParts(const std::string& keys) {
    std::string text = keys.rfind("hold ", 0) == 0 ? keys.substr(5) : keys;
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t plus = text.find('+', start);
        parts.push_back(text.substr(start, plus - start));
        if (plus == std::string::npos) return parts;
        start = plus + 1;
    }
}

}  // namespace

THelpPage::THelpPage() : html_(ReadFileBytes(TestProgramDirectory() + "package\\Help.html")) {}

std::vector<std::string> THelpPage::SectionIds() const {
    std::vector<std::string> ids;
    const std::regex heading("<h[1-6] id=\"([^\"]+)\">");
    for (std::sregex_iterator it(html_.begin(), html_.end(), heading), end; it != end; ++it) ids.push_back((*it)[1].str());
    return ids;
}

std::string THelpPage::Section(const std::string& id) const {
    const std::regex heading("<h([1-6]) id=\"" + id + "\">");
    std::smatch found;
    if (!std::regex_search(html_, found, heading)) return std::string();
    const size_t start = static_cast<size_t>(found.position(0));
    const size_t end = html_.find("<h" + found[1].str(), start + 1);
    return html_.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string PlainText(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<[^>]*>"), "");
    text = Replaced(Replaced(Replaced(text, "&ldquo;", "\""), "&rdquo;", "\""), "&amp;", "&");
    text = std::regex_replace(text, std::regex("\\s+"), " ");
    text = std::regex_replace(text, std::regex(" ?\\+ ?"), "+");
    return Trimmed(text);
}

std::vector<std::string> ElementTexts(const std::string& html, const std::string& tag) {
    std::vector<std::string> texts;
    const std::regex element("<" + tag + "(?: [^>]*)?>([\\s\\S]*?)</" + tag + ">");
    for (std::sregex_iterator it(html.begin(), html.end(), element), end; it != end; ++it)
        texts.push_back(PlainText((*it)[1].str()));
    return texts;
}

std::vector<std::vector<std::string>> TableRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    const std::regex row("<tr>([\\s\\S]*?)</tr>");
    for (std::sregex_iterator it(html.begin(), html.end(), row), end; it != end; ++it) {
        std::vector<std::string> cells = ElementTexts((*it)[1].str(), "td");
        if (!cells.empty()) rows.push_back(std::move(cells));
    }
    return rows;
}

std::vector<std::vector<std::string>> KeyTableRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    const std::regex table("<table>([\\s\\S]*?)</table>");
    for (std::sregex_iterator it(html.begin(), html.end(), table), end; it != end; ++it) {
        const std::vector<std::string> headings = ElementTexts((*it)[1].str(), "th");
        if (headings.empty() || headings.front() != "Key") continue;
        const std::vector<std::vector<std::string>> more = TableRows((*it)[1].str());
        rows.insert(rows.end(), more.begin(), more.end());
    }
    return rows;
}

std::vector<std::string> KeysOfCell(const std::string& cell) {
    std::vector<std::string> keys;
    for (size_t start = 0;;) {
        const size_t comma = cell.find(", ", start);
        keys.push_back(cell.substr(start, comma - start));
        if (comma == std::string::npos) return keys;
        start = comma + 2;
    }
}

std::vector<std::string> KbdCombinations(const std::string& html) {
    std::vector<std::string> combinations;
    const std::regex combination("<kbd>[^<]*</kbd>(?:\\s*\\+\\s*<kbd>[^<]*</kbd>)*");
    for (std::sregex_iterator it(html.begin(), html.end(), combination), end; it != end; ++it)
        combinations.push_back(PlainText(it->str()));
    return combinations;
}

bool IsPartOfKeys(const std::string& combination, const std::string& keys) {
    const std::vector<std::string> all = KeyParts(keys);
    for (const std::string& part : KeyParts(combination))
        if (std::find(all.begin(), all.end(), part) == all.end()) return false;
    return true;
}
