// The settings-file document kept in memory: ordered sections, each a name and ordered lines of
// the form key=value, read from and written to the file's bytes, with typed reads and writes.
// Section names and keys are matched without regard to letter case, the first match winning.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TTextSection {
    std::string Name;
    std::vector<std::string> Lines;  // kept exactly as read or written, without line ends
    bool operator==(const TTextSection& other) const { return Name == other.Name && Lines == other.Lines; }
    bool operator!=(const TTextSection& other) const { return !(*this == other); }
};

// Lower-cases a byte string; two names match when their folded forms are equal. The Windows
// side passes the user locale's lower-casing.
using TCaseFold = std::function<std::string(const std::string&)>;
std::string FoldAsciiCase(const std::string& text);

class TTextStore {
public:
    explicit TTextStore(TCaseFold fold = FoldAsciiCase);

    // Replaces the content with the document read from a file's bytes.
    void Parse(std::string_view bytes);
    // The file's bytes: "[name]", the lines and an empty line per section, every line ending in CR LF.
    std::string ToBytes() const;
    void Clear();
    const std::vector<TTextSection>& Sections() const { return sections_; }

    // The text after the first "=" of the first line whose key matches, in the first section of
    // that name; false when there is none. The view lives until the next change of the store.
    bool FindValue(const std::string& section, const std::string& key, std::string_view& value) const;

    // Replaces the first matching line where it stands, or appends one; adds the section at the end.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Typed reads keep the variable's value when the key is missing or its value is not acceptable.
    // A string's maximum length counts UTF-8 characters, not bytes.
    void ReadString(const std::string& section, const std::string& key, std::string& variable, bool allowEmpty,
                    int32_t maximumLength) const;
    void ReadInteger(const std::string& section, const std::string& key, int32_t& variable, int32_t largest,
                     int32_t smallest) const;
    void ReadBool(const std::string& section, const std::string& key, bool& variable) const;

    static constexpr size_t NotFound = static_cast<size_t>(-1);

private:
    // Folded key -> first line holding it, in one flat open-addressed table: a saved game's
    // reader looks up thousands of keys one by one, and a table of nodes spends most of its time
    // allocating and chasing them. Built on the first lookup in the section, kept right by writes.
    class TKeyIndex {
    public:
        bool Built = false;
        void Reserve(size_t keys);
        size_t Find(const std::string& foldedKey) const;
        // The line already holding the key; when there is none, records the given line under it
        // and answers NotFound.
        size_t FindOrAdd(std::string foldedKey, size_t line);

    private:
        struct TSlot {
            uint32_t Hash = 0;
            uint32_t Entry = 0;  // 0 for an empty slot, else the entry's position + 1
        };
        size_t SlotOf(const std::string& foldedKey, uint32_t hash) const;
        void Grow();

        std::vector<std::string> keys_;  // one entry per distinct folded key
        std::vector<size_t> lines_;
        std::vector<TSlot> slots_;       // a power of two in size, at most half full
    };

    size_t FindSection(const std::string& name) const;
    size_t FindKeyLine(size_t section, const std::string& foldedKey) const;
    TKeyIndex& KeyIndex(size_t section) const;
    size_t AddSection(const std::string& name);
    void BuildKeyIndex(size_t section) const;
    void IndexLine(size_t section, size_t line) const;
    void AddLine(std::string_view line);

    TCaseFold fold_;
    std::vector<TTextSection> sections_;
    mutable std::vector<TKeyIndex> keyIndexes_;  // one per section
    mutable bool sectionsIndexed_ = false;
    mutable std::unordered_map<std::string, size_t> firstSection_;  // folded name -> first section
    // The section found last, under the exact name asked for: readers ask for one section many times.
    mutable std::string lastSectionName_;
    mutable size_t lastSection_ = NotFound;
};
