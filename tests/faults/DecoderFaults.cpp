// The faults the decoder process of the test copy of the program makes on marked files: a file
// that begins with "TilvaneDecoderFault:" and then "crash", "hang" or "hog" makes the decoder
// fault, wait for ever, or take memory until it is stopped. Any other file is decoded as usual.
#include "Include/WideText.h"

#include <windows.h>

#include <cstring>
#include <list>
#include <string>
#include <vector>

namespace {

std::string FirstBytes(const std::string& path, size_t count) {
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(count, '\0');
    DWORD read = 0;
    if (!ReadFile(file, &bytes[0], static_cast<DWORD>(count), &read, nullptr)) read = 0;
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

void TakeMemoryUntilStopped() {
    std::list<std::vector<char>> taken;
    for (;;) {
        taken.emplace_back(64u << 20);
        std::memset(taken.back().data(), 1, taken.back().size());  // committed and touched
    }
}

}  // namespace

void FaultOnMarkedFile(const std::string& path) {
    const std::string mark = "TilvaneDecoderFault:";
    const std::string start = FirstBytes(path, mark.size() + 5);
    if (start.compare(0, mark.size(), mark) != 0) return;
    const std::string fault = start.substr(mark.size());
    if (fault == "crash") {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
    } else if (fault.compare(0, 4, "hang") == 0) {
        Sleep(INFINITE);
    } else if (fault.compare(0, 3, "hog") == 0) {
        TakeMemoryUntilStopped();
    }
}
