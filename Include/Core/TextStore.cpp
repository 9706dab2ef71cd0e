#include "Include/Core/TextStore.h"

#include "Include/Core/BoolText.h"
#include "Include/Core/NumberText.h"
#include "Include/Core/Utf8Text.h"

#include <algorithm>

namespace {

// A line's key is the text before its first "="; a line without one has no key.
bool LineKey(const std::string& line, std::string& key) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    key.assign(line, 0, equals);
    return true;
}

bool IsSectionHeader(std::string_view line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

uint32_t HashOf(const std::string& text) { return static_cast<uint32_t>(std::hash<std::string>{}(text)); }

}  // namespace

std::string FoldAsciiCase(const std::string& text) {
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

void TTextStore::TKeyIndex::Reserve(size_t keys) {
    keys_.reserve(keys);
    lines_.reserve(keys);
    size_t size = 16;
    while (size < keys * 2) size *= 2;
    if (size <= slots_.size()) return;
    std::vector<TSlot> old(size);
    old.swap(slots_);
    const size_t mask = size - 1;
    for (const TSlot& moved : old) {  // the keys are distinct: each goes to the first free slot
        if (moved.Entry == 0) continue;
        size_t slot = moved.Hash & mask;
        while (slots_[slot].Entry != 0) slot = (slot + 1) & mask;
        slots_[slot] = moved;
    }
}

void TTextStore::TKeyIndex::Grow() { Reserve(std::max<size_t>(keys_.size() * 2, 8)); }

// The slot holding the key, or the empty slot where it would go.
size_t TTextStore::TKeyIndex::SlotOf(const std::string& foldedKey, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const TSlot& candidate = slots_[slot];
        if (candidate.Entry == 0) return slot;
        if (candidate.Hash == hash && keys_[candidate.Entry - 1] == foldedKey) return slot;
    }
}

size_t TTextStore::TKeyIndex::Find(const std::string& foldedKey) const {
    if (slots_.empty()) return NotFound;
    const TSlot& slot = slots_[SlotOf(foldedKey, HashOf(foldedKey))];
    return slot.Entry == 0 ? NotFound : lines_[slot.Entry - 1];
}

size_t TTextStore::TKeyIndex::FindOrAdd(std::string foldedKey, size_t line) {
    if ((keys_.size() + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = HashOf(foldedKey);
    TSlot& slot = slots_[SlotOf(foldedKey, hash)];
    if (slot.Entry != 0) return lines_[slot.Entry - 1];  // the first line holding a key wins
    keys_.push_back(std::move(foldedKey));
    lines_.push_back(line);
    slot = TSlot{hash, static_cast<uint32_t>(keys_.size())};
    return NotFound;
}

TTextStore::TTextStore(TCaseFold fold) : fold_(fold ? std::move(fold) : TCaseFold(FoldAsciiCase)) {}

void TTextStore::Clear() {
    sections_.clear();
    keyIndexes_.clear();
    firstSection_.clear();
    sectionsIndexed_ = false;
    lastSection_ = NotFound;
}

void TTextStore::AddLine(std::string_view line) {
    if (line.empty() || line.front() == ';') return;
    if (IsSectionHeader(line)) {
        AddSection(std::string(line.substr(1, line.size() - 2)));
    } else if (!sections_.empty()) {  // lines before the first header belong to no section
        sections_.back().Lines.emplace_back(line);
    }
}

void TTextStore::Parse(std::string_view bytes) {
    Clear();
    bytes = bytes.substr(0, bytes.find('\0'));  // the text ends at the first zero byte
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        AddLine(bytes.substr(start, end - start));
        if (end == bytes.size()) break;
        bool crLf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
}

std::string TTextStore::ToBytes() const {
    size_t size = 0;
    for (const TTextSection& section : sections_) {
        size += section.Name.size() + 6;
        for (const std::string& line : section.Lines) size += line.size() + 2;
    }
    std::string bytes;
    bytes.reserve(size);
    for (const TTextSection& section : sections_) {
        bytes.append("[").append(section.Name).append("]\r\n");
        for (const std::string& line : section.Lines) bytes.append(line).append("\r\n");
        bytes.append("\r\n");
    }
    return bytes;
}

size_t TTextStore::FindSection(const std::string& name) const {
    if (lastSection_ != NotFound && name == lastSectionName_) return lastSection_;
    if (!sectionsIndexed_) {
        firstSection_.clear();
        for (size_t i = 0; i < sections_.size(); ++i) firstSection_.emplace(fold_(sections_[i].Name), i);
        sectionsIndexed_ = true;
    }
    auto found = firstSection_.find(fold_(name));
    if (found == firstSection_.end()) return NotFound;
    lastSectionName_ = name;
    lastSection_ = found->second;
    return lastSection_;
}

size_t TTextStore::AddSection(const std::string& name) {
    sections_.push_back(TTextSection{name, {}});
    keyIndexes_.emplace_back();
    size_t section = sections_.size() - 1;
    if (sectionsIndexed_) firstSection_.emplace(fold_(name), section);
    return section;
}

void TTextStore::IndexLine(size_t section, size_t line) const {
    std::string key;
    if (LineKey(sections_[section].Lines[line], key)) keyIndexes_[section].FindOrAdd(fold_(key), line);
}

void TTextStore::BuildKeyIndex(size_t section) const {
    TKeyIndex& index = keyIndexes_[section];
    index = TKeyIndex();
    index.Reserve(sections_[section].Lines.size());
    for (size_t line = 0; line < sections_[section].Lines.size(); ++line) IndexLine(section, line);
    index.Built = true;
}

TTextStore::TKeyIndex& TTextStore::KeyIndex(size_t section) const {
    if (!keyIndexes_[section].Built) BuildKeyIndex(section);
    return keyIndexes_[section];
}

size_t TTextStore::FindKeyLine(size_t section, const std::string& foldedKey) const {
    return KeyIndex(section).Find(foldedKey);
}

bool TTextStore::FindValue(const std::string& section, const std::string& key, std::string_view& value) const {
    size_t sectionIndex = FindSection(section);
    if (sectionIndex == NotFound) return false;
    size_t line = FindKeyLine(sectionIndex, fold_(key));
    if (line == NotFound) return false;
    const std::string& text = sections_[sectionIndex].Lines[line];
    value = std::string_view(text).substr(text.find('=') + 1);
    return true;
}

void TTextStore::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    size_t sectionIndex = FindSection(section);
    if (sectionIndex == NotFound) sectionIndex = AddSection(section);
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append(1, '=').append(value);
    std::vector<std::string>& lines = sections_[sectionIndex].Lines;
    if (key.find('=') != std::string::npos) {
        // No line's key holds "=", so this key is never found: the line is added and answers
        // to the part of the key before the "=".
        lines.push_back(std::move(line));
        IndexLine(sectionIndex, lines.size() - 1);
        return;
    }
    // Added before it is indexed, so that a failure on the way never leaves the index pointing
    // past the lines; the index is built first so that it does not already take the new line in.
    TKeyIndex& index = KeyIndex(sectionIndex);
    lines.push_back(std::move(line));
    size_t existing = index.FindOrAdd(fold_(key), lines.size() - 1);
    if (existing == NotFound) return;
    lines[existing] = std::move(lines.back());  // same key, so the index stays right
    lines.pop_back();
}

void TTextStore::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, IntegerToText(value));
}

void TTextStore::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, BoolToText(value));
}

void TTextStore::ReadString(const std::string& section, const std::string& key, std::string& variable,
                            bool allowEmpty, int32_t maximumLength) const {
    std::string_view value;
    if (!FindValue(section, key, value)) return;
    if (value.empty() && !allowEmpty) return;
    // The limit is in characters: a name in another script takes two to four bytes a character.
    if (static_cast<int64_t>(Utf8CharacterCount(value)) > static_cast<int64_t>(maximumLength)) return;
    variable.assign(value.data(), value.size());
}

void TTextStore::ReadInteger(const std::string& section, const std::string& key, int32_t& variable,
                             int32_t largest, int32_t smallest) const {
    std::string_view value;
    int32_t number = 0;
    if (!FindValue(section, key, value) || !TextToInteger(value, number)) return;
    if (number >= smallest && number <= largest) variable = number;
}

void TTextStore::ReadBool(const std::string& section, const std::string& key, bool& variable) const {
    std::string_view value;
    if (FindValue(section, key, value)) variable = TextToBool(std::string(value));
}
