#include "Include/FileReplace.h"

#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Owned.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

TFileReplaceStep FileReplaceFailingStep = frsNone;

namespace {

const char* const Module = "Include\\FileReplace";

// Makes a step fail on request of a test, with the error the system would give for it.
bool InjectedFailure(TFileReplaceStep step, DWORD errorCode) {
    if (FileReplaceFailingStep != step) return false;
    SetLastError(errorCode);
    return true;
}

// What the new file's name starts with: the target's folder, so that the final rename stays on
// one volume ("C:" alone for a path relative to the drive's current folder).
std::string FolderPrefixOf(const std::string& path) {
    size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// A name that no other save uses: this process's id and a running number.
std::string NewFileName(const std::string& folderPrefix) {
    static std::atomic<unsigned> counter{0};
    char name[40];
    std::snprintf(name, sizeof name, "~tvl%lx-%x.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
                  counter.fetch_add(1));
    return folderPrefix + name;
}

// The new file until it is put in place: closed and deleted on every path that does not keep it.
class TNewFile {
public:
    TNewFile() = default;
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;
    ~TNewFile() {
        handle_.reset();
        if (!path_.empty() && !kept_) DeleteFileA(path_.c_str());
    }

    const std::string& Path() const { return path_; }

    // Never opens an existing file: a name left by an earlier, killed save is passed over.
    bool Create(const std::string& folderPrefix) {
        if (InjectedFailure(frsCreate, ERROR_ACCESS_DENIED)) return false;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = NewFileName(folderPrefix);
            handle_.reset(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (handle_) {
                path_ = name;
                return true;
            }
            if (LastError() != ERROR_FILE_EXISTS && LastError() != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }

    bool Write(const std::string& bytes) {
        const size_t chunkLimit = 1u << 20;
        size_t limit = bytes.size();
        if (FileReplaceFailingStep == frsWrite) limit /= 2;  // a disk that fills up half way
        for (size_t done = 0; done < limit;) {
            DWORD chunk = static_cast<DWORD>(std::min(chunkLimit, limit - done));
            DWORD written = 0;
            if (!WriteFile(handle_.get(), bytes.data() + done, chunk, &written, nullptr)) return false;
            if (written == 0) {
                SetLastError(ERROR_WRITE_FAULT);
                return false;
            }
            done += written;
        }
        return !InjectedFailure(frsWrite, ERROR_DISK_FULL);
    }

    bool Flush() {
        if (InjectedFailure(frsFlush, ERROR_WRITE_FAULT)) return false;
        return FlushFileBuffers(handle_.get()) != 0;
    }

    // The last writes can fail only here; false then.
    bool Close() { return handle_.Close(); }

    void Keep() { kept_ = true; }

private:
    std::string path_;
    TFileHandle handle_;
    bool kept_ = false;
};

// The one rename that swaps the files. A read-only target would refuse it, so its attribute is
// cleared first and given back when the rename fails.
bool PutInPlace(const std::string& newFile, const std::string& target, DWORD& errorCode) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
                          !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (readOnly) {
        errorCode = ClearReadOnly(target);
        if (errorCode != 0) return false;
    }
    ClearLastError();
    if (!InjectedFailure(frsRename, ERROR_ACCESS_DENIED) &&
        MoveFileExA(newFile.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errorCode = LastError();
    if (readOnly) SetFileAttributesA(target.c_str(), attributes);
    return false;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
    bool result = false;
    TFunOperation op(Module, "WriteFileReplacing", __LINE__);
    op.Guard(__LINE__, [&] {
        auto fail = [&](int32_t line, const char* description, DWORD code) {
            op.Raise(line, fsError, description, path, std::string(), static_cast<int32_t>(code));
        };
        TNewFile file;
        ClearLastError();
        if (!file.Create(FolderPrefixOf(path))) return fail(__LINE__, "Failed to create the new file.", LastError());
        ClearLastError();
        if (!file.Write(bytes)) return fail(__LINE__, "Failed to write the new file.", LastError());
        ClearLastError();
        if (!file.Flush()) return fail(__LINE__, "Failed to flush the new file.", LastError());
        ClearLastError();
        if (!file.Close()) return fail(__LINE__, "Failed to write the new file.", LastError());
        DWORD errorCode = 0;
        if (!PutInPlace(file.Path(), path, errorCode))
            return fail(__LINE__, "Failed to put the new file in place of the old one.", errorCode);
        file.Keep();
        result = true;
    });
    op.EndPassing([&] { result = false; });
    return result;
}
