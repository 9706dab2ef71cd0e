// Files for tests and benchmarks that run on the real system: scratch folders on C:, whole-file
// reads and writes, and picture files made byte by byte. Header-only, so that the benchmarks,
// which link no test library, use the same code as the tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// INVALID_FILE_ATTRIBUTES when missing.
inline DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

// A file, not a folder.
inline bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names in a folder (given with or without its trailing backslash), without "." and "..".
inline std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const bool slashed = !folder.empty() && folder.back() == '\\';
    HANDLE search = FindFirstFileA((folder + (slashed ? "*" : "\\*")).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

// Test cleanup: deletes everything below and including the path, ignores errors.
inline void RemoveTree(const std::string& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {  // never walk into a link's target
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = entry.cFileName;
                if (name != "." && name != "..") RemoveTree(path + "\\" + name);
            } while (FindNextFileA(search, &entry));
            FindClose(search);
        }
    }
    RemoveDirectoryA(path.c_str());
}

// Creates every missing folder of an absolute path such as C:\a\b\c.
inline void CreateFolderChain(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

// A scratch folder C:\Tilvane\tmp\<name>-<pid>-<n>, emptied when created and removed afterwards.
class TTempFolder {
public:
    explicit TTempFolder(const std::string& name) {
        static int counter = 0;
        path_ = "C:\\Tilvane\\tmp\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        RemoveTree(path_);
        CreateFolderChain(path_);
    }
    ~TTempFolder() { RemoveTree(path_); }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    const std::string& Path() const { return path_; }  // without trailing backslash
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
private:
    std::string path_;
};

// The path in the system's wide form: the wide file functions take paths longer than the 260
// characters the ANSI ones stop at, which the tests of long names need.
inline std::wstring WidePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], length);
    return wide;
}

// Throws std::runtime_error when the file cannot be made or not all of the bytes were written.
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    const bool closed = CloseHandle(file) != FALSE;
    if (!complete || !closed) throw std::runtime_error("cannot write all of " + path);
}

// Throws std::runtime_error when the file cannot be read. Shares the file with any writer, so that
// files which a program under test still holds open can be checked.
inline std::string ReadFileBytes(const std::string& path) {
    const DWORD shareWithAnyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, shareWithAnyone, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + path);
    std::string bytes;
    LARGE_INTEGER size = {};
    bool complete = GetFileSizeEx(file, &size) != FALSE;
    if (complete) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        complete = bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                                     read == bytes.size());
    }
    CloseHandle(file);
    if (!complete) throw std::runtime_error("cannot read all of " + path);
    return bytes;
}

// The bytes of a 24-bit BMP file of the given size whose pixel (x, y), counted from the top left,
// has the colour given.
inline std::string BitmapFileBytes(int width, int height, const std::function<COLORREF(int x, int y)>& colourAt) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    std::string bmp(54 + static_cast<size_t>(rowBytes) * height, '\0');
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = colourAt(x, y);
            // The rows are stored bottom up.
            const size_t at = 54 + static_cast<size_t>(height - 1 - y) * rowBytes + static_cast<size_t>(x) * 3;
            bmp[at] = static_cast<char>(GetBValue(colour));
            bmp[at + 1] = static_cast<char>(GetGValue(colour));
            bmp[at + 2] = static_cast<char>(GetRValue(colour));
        }
    return bmp;
}
