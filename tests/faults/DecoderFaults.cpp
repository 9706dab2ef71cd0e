// The faults the decoder process of the test copy of the program makes on marked files: a file
// that begins with "TilvaneDecoderFault:" and then "crash", "hang" or "hog" makes the decoder
// fault, wait for ever, or take memory until it is stopped, and "slowread" reads on slowly for 15
// seconds before it decodes the file as usual; the other marks answer with a reply
// forged as a decoder taken over by its picture might: "huge" a picture side past any picture,
// "stale" an earlier request's number, "short" more pixels in the section the game lent than it
// first announced, "refused" a refusal for a reason the game does not know. Any other file is
// decoded as usual.
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

// A read from a slow share that goes on: a little further into the file every 2.5 seconds, for
// longer than a decode may work without reading.
void ReadSlowlyPastTheTimeLimit() {
    for (uint64_t step = 1; step <= 6; ++step) {
        Sleep(2500);
        ReportReadProgress(step * 4096);
    }
}

const int ForgedSide = 4;

// A decoded reply of a small picture, as a decoder gives it before the game lends it a section.
void ForgeDecodedReply(TDecoderReply& reply) {
    reply.Decoded = true;
    reply.ImageWidth = reply.ImageHeight = ForgedSide;
    reply.Width = reply.Height = ForgedSide;
}

// Forges the reply to a request for a picture, or (lent) to the request to fill the game's section.
bool ForgeReply(const std::string& fault, bool lent, TDecoderReply& reply) {
    if (fault == "huge" && !lent) {
        ForgeDecodedReply(reply);
        reply.ImageWidth = 0xFFFFFFFFu;
    } else if (fault == "stale" && !lent) {
        ForgeDecodedReply(reply);
        --reply.Sequence;
    } else if (fault == "short") {
        ForgeDecodedReply(reply);
        if (lent) reply.Width = reply.Height = 512;  // more pixels than the game lent room for
    } else if (fault == "refused" && !lent) {
        reply.Refusal.Picture.Reason = static_cast<TRefusalReason>(999);  // no reason the game words
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool FaultOnMarkedFile(const TDecoderRequest& request, TDecoderReply& reply) {
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
    return ForgeReply(fault, request.PixelSection != 0, reply);
}
