// The faults the decoder process of the test copy of the program makes on marked files: a file
// that begins with "TilvaneDecoderFault:" and then "crash", "hang" or "hog" makes the decoder
// fault, wait for ever, or take memory until it is stopped, and "slowread" reads on slowly for 15
// seconds before it decodes the file as usual; the other marks answer with a reply
// forged as a decoder taken over by its picture might: "huge" a picture side past any picture,
// "stale" an earlier request's number, "reserved" pixels in memory only reserved, "short" fewer
// pixels than it claims, "filebacked" pixels in a file, "refused" a refusal for a reason the game
// does not know. Any other file is decoded as usual.
#include "Include/Core/FunStat.h"
#include "Include/PictureDecoderServer.h"
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

const int ForgedSide = 4;
const DWORD ForgedBytes = ForgedSide * ForgedSide * 4;

// A decoded reply of a small grey picture, its pixels in the section.
bool ReplyWithPixelsIn(HANDLE made, TDecoderReply& reply, TOwnedHandle& section) {
    section.reset(made);
    if (!section) return false;
    reply.Decoded = true;
    reply.ImageWidth = reply.ImageHeight = ForgedSide;
    reply.Width = reply.Height = ForgedSide;
    reply.PixelSection = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(section.get()));
    return true;
}

HANDLE MemorySection(DWORD protection, DWORD bytes) {
    return CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, protection, 0, bytes, nullptr);
}

// A section over a file of the pixels' size, in the folder for temporary files.
HANDLE FileSection() {
    wchar_t folder[MAX_PATH], name[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"tvf", 0, name)) return nullptr;
    HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    const std::string grey(ForgedBytes, '\x80');
    DWORD written = 0;
    WriteFile(file, grey.data(), ForgedBytes, &written, nullptr);
    HANDLE section = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file);  // the section keeps the file open
    return section;
}

// A read from a slow share that goes on: a little further into the file every 2.5 seconds, for
// longer than a decode may work without reading.
void ReadSlowlyPastTheTimeLimit() {
    for (uint64_t step = 1; step <= 6; ++step) {
        Sleep(2500);
        ReportReadProgress(step * 4096);
    }
}

bool ForgeReply(const std::string& fault, const TDecoderRequest& request, TDecoderReply& reply, TOwnedHandle& section) {
    if (fault == "huge") {
        if (!ReplyWithPixelsIn(MemorySection(PAGE_READWRITE, ForgedBytes), reply, section)) return false;
        reply.ImageWidth = 0xFFFFFFFFu;
    } else if (fault == "stale") {
        if (!ReplyWithPixelsIn(MemorySection(PAGE_READWRITE, ForgedBytes), reply, section)) return false;
        reply.Sequence = request.Sequence - 1;
    } else if (fault == "reserved") {
        return ReplyWithPixelsIn(MemorySection(PAGE_READWRITE | SEC_RESERVE, ForgedBytes), reply, section);
    } else if (fault == "short") {
        if (!ReplyWithPixelsIn(MemorySection(PAGE_READWRITE, ForgedBytes), reply, section)) return false;
        reply.Width = reply.Height = 512;  // a megabyte of pixels from a page
    } else if (fault == "filebacked") {
        return ReplyWithPixelsIn(FileSection(), reply, section);
    } else if (fault == "refused") {
        reply.Refusal.Picture.Reason = static_cast<TRefusalReason>(999);  // no reason the game words
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool FaultOnMarkedFile(const TDecoderRequest& request, TDecoderReply& reply, TOwnedHandle& section) {
    const std::string mark = "TilvaneDecoderFault:";
    const std::string start = FirstBytes(request.Path, mark.size() + 16);
    if (start.compare(0, mark.size(), mark) != 0) return false;
    const std::string fault = start.substr(mark.size());
    if (fault == "crash") {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
    } else if (fault.compare(0, 4, "hang") == 0) {
        Sleep(INFINITE);
    } else if (fault.compare(0, 3, "hog") == 0) {
        TakeMemoryUntilStopped();
    } else if (fault.compare(0, 8, "slowread") == 0) {
        ReadSlowlyPastTheTimeLimit();
        return false;  // then decoded as usual: refused as no picture
    }
    return ForgeReply(fault, request, reply, section);
}
