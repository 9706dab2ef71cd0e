#include "Include/PictureDecoderServer.h"

#include "Include/Core/DecoderExchange.h"
#include "Include/Core/FunStat.h"
#include "Include/GdiplusFlat.h"
#include "Include/Owned.h"
#include "Include/PictureDecoding.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <exception>
#include <new>
#include <vector>

const wchar_t* const DecoderSwitch = L"/PictureDecoder";

namespace {

struct THandlesLent {
    HANDLE Block = nullptr;
    HANDLE Request = nullptr;
    HANDLE Reply = nullptr;
    HANDLE Game = nullptr;
};

void EndNow(uint32_t code) { TerminateProcess(GetCurrentProcess(), code); }

// Any fault ends the process quietly: no dialog, no debugger, and the game sees the code.
LONG WINAPI EndOnFault(EXCEPTION_POINTERS*) {
    EndNow(DecoderFaultExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

void EndOnTerminate() { EndNow(DecoderFaultExitCode); }

void EndQuietlyOnFaults() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnFault);
    std::set_terminate(EndOnTerminate);
    // Room on each thread's stack for the filter after a stack overflow.
    ULONG reserve = 64 * 1024;
    SetThreadStackGuarantee(&reserve);
}

HANDLE HandleFromText(const wchar_t* text) {
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text, &end, 10);
    if (end == text || *end != L'\0' || value == 0) return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

bool ReadHandlesLent(THandlesLent& lent) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return false;
    bool ok = count == 6 && std::wcscmp(arguments[1], DecoderSwitch) == 0;
    if (ok) {
        lent.Block = HandleFromText(arguments[2]);
        lent.Request = HandleFromText(arguments[3]);
        lent.Reply = HandleFromText(arguments[4]);
        lent.Game = HandleFromText(arguments[5]);
        ok = lent.Block && lent.Request && lent.Reply && lent.Game;
    }
    LocalFree(arguments);
    return ok;
}

// Ends this process as soon as the game ends, however it ended: a decoder must not outlive it,
// and not every system enforces the job's kill on close.
DWORD WINAPI WatchGame(void* game) {
    WaitForSingleObject(static_cast<HANDLE>(game), INFINITE);
    EndNow(0);
    return 0;
}

// The refusal's reason and the system's error the failure record holds, which is then cleared
// for the next request.
TDecoderReply RefusalReply(const TPictureRefusal& refusal) {
    TDecoderReply reply;
    reply.Refusal.Picture = refusal;
    reply.Refusal.SystemErrorCode = CurrentFunStatContext.SystemErrorCode;
    CurrentFunStatContext.Reset(fsPerfect);
    return reply;
}

// The pixels put into the section the game lent, mapped at their size: a section too small for
// them cannot be mapped so.
bool PutPixelsInSection(const TPicturePixels& pixels, HANDLE section) {
    const uint64_t bytes = static_cast<uint64_t>(pixels.Pixels.size()) * sizeof(uint32_t);
    void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(bytes));
    if (!view) return false;
    std::memcpy(view, pixels.Pixels.data(), static_cast<size_t>(bytes));
    UnmapViewOfFile(view);
    return true;
}

void StampReply(const TPictureFileStamp& stamp, TDecoderReply& reply) {
    reply.FileVolume = stamp.Volume;
    reply.FileIndex = stamp.Index;
    reply.FileSize = stamp.Size;
    reply.FileWritten = stamp.Written;
}

// The picture decoded last: its reply, and its pixels until the game lends a section for them.
struct TDecodedLast {
    TDecoderReply Reply;
    TPicturePixels Pixels;
};

// One picture decoded by the engine, its pixels kept in last.
TDecoderReply Decode(const TDecoderRequest& request, TDecodedLast& last) {
    TPictureRefusal refusal;
    std::unique_ptr<TPictureData> picture = LoadPictureData(request.Path, request.Areas, &refusal);
    if (!picture) return RefusalReply(refusal);
    TDecoderReply reply;
    if (!TakePixels(*picture, request.Areas, last.Pixels)) {
        reply.Refusal.Picture.Reason = TRefusalReason::NotDrawn;
        return reply;
    }
    reply.Decoded = true;
    reply.ImageWidth = static_cast<uint32_t>(picture->Width);
    reply.ImageHeight = static_cast<uint32_t>(picture->Height);
    reply.Width = last.Pixels.Width;
    reply.Height = last.Pixels.Height;
    reply.Alpha = last.Pixels.Alpha;
    StampReply(picture->FileStamp, reply);
    last.Reply = reply;
    return reply;
}

// The last picture's pixels put into the section the game lends; the reply of its decode again.
TDecoderReply Fill(const TDecoderRequest& request, const TDecodedLast& last) {
    if (last.Reply.Decoded &&
        PutPixelsInSection(last.Pixels, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(request.PixelSection))))
        return last.Reply;
    TDecoderReply reply;
    reply.Refusal.Picture.Reason = TRefusalReason::NotDrawn;
    return reply;
}

// Where the game sees which request is being served and how far its file has been read.
TDecoderProgress* Progress = nullptr;

void ServeRequests(const THandlesLent& lent, TDecoderTestHook beforeDecode) {
    auto* block = static_cast<uint8_t*>(MapViewOfFile(lent.Block, FILE_MAP_WRITE, 0, 0, DecoderBlockBytes));
    if (!block) return;
    Progress = &DecoderProgressIn(block);
    SetReadProgressSink(ReportReadProgress);
    TDecodedLast last;
    for (;;) {
        if (WaitForSingleObject(lent.Request, INFINITE) != WAIT_OBJECT_0) return;
        TDecoderRequest request;
        TDecoderReply reply;
        // Read from a copy: the block is shared.
        const std::vector<uint8_t> copy(block, block + DecoderMessageBytes);
        if (ReadDecoderRequest(copy.data(), copy.size(), request)) {
            Progress->Furthest = 0;
            Progress->Sequence = request.Sequence;  // taken: the game's clock for the work starts
            reply.Sequence = request.Sequence;
            if (!beforeDecode || !beforeDecode(request, reply)) {
                if (request.PixelSection) {
                    reply = Fill(request, last);
                } else {
                    last = TDecodedLast();  // the pixels of the picture before go
                    reply = Decode(request, last);
                }
                reply.Sequence = request.Sequence;
            }
        } else {
            reply.Sequence = request.Sequence;  // refused as unreadable
        }
        if (WriteDecoderReply(reply, block, DecoderMessageBytes) == 0) return;
        SetEvent(lent.Reply);
    }
}

}  // namespace

void ReportReadProgress(uint64_t furthestByte) {
    if (Progress && furthestByte > Progress->Furthest) Progress->Furthest = furthestByte;
}

bool IsPictureDecoderRun() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return false;
    const bool decoder = count >= 2 && std::wcscmp(arguments[1], DecoderSwitch) == 0;
    LocalFree(arguments);
    return decoder;
}

int RunPictureDecoder(TDecoderTestHook beforeDecode) {
    EndQuietlyOnFaults();
    THandlesLent lent;
    if (!ReadHandlesLent(lent)) return 2;
    TOwnedHandle watcher(CreateThread(nullptr, 64 * 1024, WatchGame, lent.Game, 0, nullptr));
    if (!watcher) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    try {
        ServeRequests(lent, beforeDecode);
    } catch (const std::bad_alloc&) {
        EndNow(DecoderNoMemoryExitCode);
    }
    // The block was lost or is no longer the game's: nothing more can be answered.
    EndNow(DecoderFaultExitCode);
    return static_cast<int>(DecoderFaultExitCode);
}
