#include "Include/StoredTextList.h"

#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/FileReplace.h"
#include "Include/Owned.h"
#include "Include/WideText.h"

#include <windows.h>

#include <algorithm>

namespace {

const char* const Module = "Include\\StoredTextList";

// Names in the files match as the user's locale lower-cases them. The system lower-cases the
// ASCII letters alone, whatever the locale (a Turkish "I" included), so pure ASCII texts, the
// names this program uses, are folded here without a round trip through the system.
std::string LowerCaseByUserLocale(const std::string& text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return FoldAsciiCase(text);
    // Through UTF-16: lower-casing can change a character's length in UTF-8.
    std::wstring wide = Utf8ToWide(text);
    if (wide.empty() || wide.size() > MAXDWORD) return text;
    CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return WideToUtf8(wide);
}

std::unique_ptr<TTextStore> StoreFromBytes(const std::string& bytes) {
    auto store = std::make_unique<TTextStore>(LowerCaseByUserLocale);
    // Files written before the program spoke UTF-8 hold their paths in the legacy code page.
    store->Parse(WithLegacyLinesAsUtf8(bytes));
    return store;
}

// Far above any real settings file (a 30 x 30 saved game is about 40 KB): a larger file is none,
// and reading it whole would only cost memory and a long wait before it failed.
const uint64_t StoreSizeLimit = 8u << 20;
const char* const TooLargeText = "The file is too large for a saved game or options file (more than 8 MB).";

bool FileOverSizeLimit(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    return ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) > StoreSizeLimit;
}

// Reads every byte of an open file, to its end as it is now, but never more than the limit:
// false with too large set when there is more.
bool ReadToEnd(HANDLE file, std::string& bytes, bool& tooLarge) {
    LARGE_INTEGER size = {};
    tooLarge = GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) > StoreSizeLimit;
    if (tooLarge) return false;
    if (size.QuadPart > 0) bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) return false;
        if (read == 0) return true;
        bytes.append(buffer, read);
        tooLarge = bytes.size() > StoreSizeLimit;  // a file that grows while it is read
        if (tooLarge) return false;
    }
}

// The text a store is made from. A missing file, an empty name and a folder give no text and no
// failure; a file that exists but cannot be read is a failure raised on op.
bool ReadStoreSource(TFunOperation& op, const std::string& path, std::string& bytes) {
    bytes.clear();
    if (path.empty() || !PathExists(path)) return true;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    ClearLastError();
    const TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        op.Raise(__LINE__, fsError, "Failed to open file.", path, std::string(), static_cast<int32_t>(LastError()));
        return false;
    }
    ClearLastError();
    bool tooLarge = false;
    const bool complete = ReadToEnd(file.get(), bytes, tooLarge);
    const uint32_t errorCode = LastError();
    if (tooLarge) {
        bytes.clear();
        op.Raise(__LINE__, fsError, TooLargeText, path);
        return false;
    }
    if (!complete) {
        op.Raise(__LINE__, fsError, "Failed to read file.", path, std::string(), static_cast<int32_t>(errorCode));
        return false;
    }
    return true;
}

std::string OverwriteQuestion(const std::string& fileName) {
    return "File \"" + fileName + "\"already exists.\nOverwrite it?";
}

}  // namespace

TStoredTextList::TStoredTextList(const std::string& fileName) : FileName(fileName) {}

bool TStoredTextList::Load() {
    bool result = false;
    TFunOperation op(Module, "TStoredTextList::Load", __LINE__);
    op.Guard(__LINE__, [&] {
        store_.reset();
        std::string bytes;
        if (!ReadStoreSource(op, FileName, bytes)) {
            unreadFile_ = FileName;
            store_ = StoreFromBytes(std::string());
            return;
        }
        unreadFile_.clear();
        store_ = StoreFromBytes(bytes);
        if (OnAfterLoad) OnAfterLoad(*this);
        result = true;
    });
    if (LoadFailureText.empty())
        op.EndPassing();
    else
        op.EndShowingAndPass(__LINE__, LoadFailureText);
    return result;
}

bool TStoredTextList::LoadFrom(const std::string& fileName) {
    FileName = fileName;
    return Load();
}

bool TStoredTextList::Save(bool confirmOverwrite) { return SaveStore(confirmOverwrite, false); }

// The store a list without one starts from is read inside the save, so that a file that cannot
// be read is reported as a failed save instead of escaping to the caller as an exception.
bool TStoredTextList::SaveAs(const std::string& fileName, bool confirmOverwrite) {
    FileName = fileName;
    return SaveStore(confirmOverwrite, true);
}

bool TStoredTextList::SaveStore(bool confirmOverwrite, bool readMissingStore) {
    bool result = false;
    TFunOperation op(Module, "TStoredTextList::Save", __LINE__);
    op.Guard(__LINE__, [&] {
        // SaveAs names its file: the caller chose to write over it.
        if (!readMissingStore && FileName == unreadFile_ && !MayWriteOverUnreadFile(op)) return;
        if (!store_ && readMissingStore) {
            std::string bytes;
            if (!ReadStoreSource(op, FileName, bytes)) return;
            store_ = StoreFromBytes(bytes);
        }
        if (!store_) {
            op.Raise(__LINE__, fsError, "There is no text to save.", FileName);
            return;
        }
        if (confirmOverwrite && PathExists(FileName) && !AskYesNo(OverwriteQuestion(FileName))) return;
        if (OnBeforeSave) OnBeforeSave(*this);
        WriteFileReplacing(FileName, store_->ToBytes());
        if (op.TakeCurrent()) return;
        unreadFile_.clear();
        result = true;
    });
    op.EndShowing(__LINE__, "Failed to save file.");
    return result;
}

// Whatever the file holds is the player's until it has been read: a lock that has gone since the
// load lets the save go ahead, one still held is a failure raised on op, and a file still too
// large is left alone without one.
bool TStoredTextList::MayWriteOverUnreadFile(TFunOperation& op) const {
    if (!PathExists(FileName)) return true;
    if (FileOverSizeLimit(FileName)) return false;
    std::string bytes;
    return ReadStoreSource(op, FileName, bytes);
}

void TStoredTextList::Clear() {
    if (store_) store_->Clear();
}

// Without a store (nothing loaded yet) writes have nowhere to go and reads keep their defaults; a
// later Save reports that there is nothing to write.
void TStoredTextList::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (store_) store_->WriteString(section, key, value);
}

void TStoredTextList::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    if (store_) store_->WriteInteger(section, key, value);
}

void TStoredTextList::WriteBool(const std::string& section, const std::string& key, bool value) {
    if (store_) store_->WriteBool(section, key, value);
}

void TStoredTextList::ReadString(const std::string& section, const std::string& key, std::string& variable,
                                 bool allowEmpty, int32_t maximumLength) const {
    if (store_) store_->ReadString(section, key, variable, allowEmpty, maximumLength);
}

void TStoredTextList::ReadInteger(const std::string& section, const std::string& key, int32_t& variable,
                                  int32_t largest, int32_t smallest) const {
    if (store_) store_->ReadInteger(section, key, variable, largest, smallest);
}

void TStoredTextList::ReadBool(const std::string& section, const std::string& key, bool& variable) const {
    if (store_) store_->ReadBool(section, key, variable);
}
