// The settings file: a text file of [sections] and key=value lines kept whole in memory, read
// and written in one piece. The owner's events take the values over after a load and put them in
// before a save; the typed reads keep the variable's value when a key is missing or unacceptable.
#pragma once

#include "Include/Core/TextStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TFunOperation;

class TStoredTextList {
public:
    using TEvent = std::function<void(TStoredTextList&)>;

    explicit TStoredTextList(const std::string& fileName);
    TStoredTextList(const TStoredTextList&) = delete;
    TStoredTextList& operator=(const TStoredTextList&) = delete;

    std::string FileName;
    TEvent OnAfterLoad;
    TEvent OnBeforeSave;
    // What a failed load is shown with. Empty: the failure is only handed on, for an owner that
    // shows it with its own text.
    std::string LoadFailureText = "Failed to load file.";

    // Reporting operation "TStoredTextList::Load": a failure is shown and still reaches the caller.
    // A missing file is no failure: the list is then empty. After a file that could not be read
    // the list is empty too, so that values written for the next save have somewhere to go; that
    // save does not write over the file unread (Save).
    bool Load();
    bool LoadFrom(const std::string& fileName);
    // Reporting operation "TStoredTextList::Save": a failure is shown and goes no further. A No to
    // the overwrite question returns false without a report. A file the last load could not read
    // is read again first: still locked, the save fails (the next one tries again); too large, it
    // is left alone without a second report, its load having said so. SaveAs writes over it: the
    // caller named that file.
    bool Save(bool confirmOverwrite);
    bool SaveAs(const std::string& fileName, bool confirmOverwrite);

    void Clear();
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void ReadString(const std::string& section, const std::string& key, std::string& variable, bool allowEmpty,
                    int32_t maximumLength) const;
    void ReadInteger(const std::string& section, const std::string& key, int32_t& variable, int32_t largest,
                     int32_t smallest) const;
    void ReadBool(const std::string& section, const std::string& key, bool& variable) const;

    // The document in memory; none before the first Load or SaveAs and after a file could not be read.
    const TTextStore* Store() const { return store_.get(); }
    TTextStore* Store() { return store_.get(); }

private:
    bool SaveStore(bool confirmOverwrite, bool readMissingStore);
    bool MayWriteOverUnreadFile(TFunOperation& op) const;

    std::unique_ptr<TTextStore> store_;
    // The file the last load found but could not read; empty when there is none.
    std::string unreadFile_;
};
