#include "Include/PictureDecoderClient.h"

#include "Include/Core/DecoderExchange.h"
#include "Include/Error.h"
#include "Include/Owned.h"
#include "Include/PictureDecoderServer.h"
#include "Include/WideText.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const char* const Module = "Include\\PictureDecoderClient";
const char* const DecoderFailed = "The picture could not be read: its decoder failed on it.";
// How often the game looks at the decoder's memory while it waits.
const DWORD MemoryPollMs = 25;

std::string HexText(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string TookTooLongText() {
    return "The picture could not be read: its decoder took longer than " + std::to_string(DecoderTimeLimitMs / 1000) +
           " seconds.";
}

std::string NeededTooMuchText() {
    return "The picture could not be read: its decoder needed more than " +
           std::to_string(DecoderMemoryLimitBytes >> 20) + " MB of memory.";
}

// One running decoder process and what the game shares with it. Members in this order, so that
// the process ends before its job and its block go.
struct TDecoder {
    TOwnedHandle Job;
    TOwnedHandle Block;
    TOwnedView View;
    TOwnedHandle Request;
    TOwnedHandle Reply;
    TOwnedHandle Process;
    uint32_t Sequence = 0;

    ~TDecoder() { End(); }
    bool Running() const { return Process && WaitForSingleObject(Process.get(), 0) == WAIT_TIMEOUT; }
    // Ends the process and waits until it is gone: it leaves nothing behind.
    void End() {
        if (!Process) return;
        TerminateProcess(Process.get(), 0);
        WaitForSingleObject(Process.get(), 5000);
        Process.reset();
    }
    uint8_t* Bytes() const { return static_cast<uint8_t*>(View.get()); }
};

// Never destroyed: the thread that starts it may still run while the game exits, and the decoder
// ends with the game's process all the same (its job closes, and it watches the game).
std::unique_ptr<TDecoder>& KeptDecoder = *new std::unique_ptr<TDecoder>();
HANDLE WarmStart = nullptr;  // the thread starting KeptDecoder, until a decode waits for it
uint64_t BytesCopiedLastTime = 0;
TDecoderWall WallInForce;
uint32_t ProcessesStarted = 0;

// A job that ends the decoder with the game, allows it no second process, limits its memory and
// keeps it from the desktop, the clipboard and other programs' windows.
HANDLE CreateLimitingJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_ACTIVE_PROCESS |
                                              JOB_OBJECT_LIMIT_PROCESS_MEMORY |
                                              JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.BasicLimitInformation.ActiveProcessLimit = 1;
    limits.ProcessMemoryLimit = static_cast<SIZE_T>(DecoderMemoryLimitBytes);
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    JOBOBJECT_BASIC_UI_RESTRICTIONS restrictions = {};
    restrictions.UIRestrictionsClass = JOB_OBJECT_UILIMIT_DESKTOP | JOB_OBJECT_UILIMIT_DISPLAYSETTINGS |
                                    JOB_OBJECT_UILIMIT_EXITWINDOWS | JOB_OBJECT_UILIMIT_GLOBALATOMS |
                                    JOB_OBJECT_UILIMIT_HANDLES | JOB_OBJECT_UILIMIT_READCLIPBOARD |
                                    JOB_OBJECT_UILIMIT_SYSTEMPARAMETERS | JOB_OBJECT_UILIMIT_WRITECLIPBOARD;
    SetInformationJobObject(job, JobObjectBasicUIRestrictions, &restrictions, sizeof restrictions);
    return job;
}

// The game's own token without its privileges and administrators' rights, at low integrity: a
// process with it can read the player's files but not write them. Null where the system cannot
// make one.
HANDLE CreateLeastRightsToken() {
    HANDLE ownToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(),
                          TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, &ownToken))
        return nullptr;
    TOwnedHandle own(ownToken);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD administratorsSize = sizeof administrators;
    SID_AND_ATTRIBUTES disabled = {};
    const bool haveAdministrators =
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &administratorsSize) != FALSE;
    disabled.Sid = administrators;
    HANDLE restrictedToken = nullptr;
    if (!CreateRestrictedToken(own.get(), DISABLE_MAX_PRIVILEGE, haveAdministrators ? 1 : 0,
                               haveAdministrators ? &disabled : nullptr, 0, nullptr, 0, nullptr, &restrictedToken))
        return nullptr;
    TOwnedHandle restricted(restrictedToken);
    BYTE lowSid[SECURITY_MAX_SID_SIZE];
    DWORD lowSize = sizeof lowSid;
    if (!CreateWellKnownSid(WinLowLabelSid, nullptr, lowSid, &lowSize)) return nullptr;
    TOKEN_MANDATORY_LABEL label = {};
    label.Label.Sid = lowSid;
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    if (!SetTokenInformation(restricted.get(), TokenIntegrityLevel, &label, sizeof label + lowSize)) return nullptr;
    return restricted.release();
}

std::wstring ProgramFilePath() {
    if (!DecoderProgramForTests.empty()) return DecoderProgramForTests;
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

std::wstring HandleText(HANDLE handle) { return std::to_wstring(reinterpret_cast<uintptr_t>(handle)); }

void LetInherit(HANDLE handle, bool inherit) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inherit ? HANDLE_FLAG_INHERIT : 0);
}

// The attribute that limits what the process inherits to the handles it is lent, so that it gets
// none of the game's other inheritable handles (its standard output, say).
struct TInheritOnly {
    std::vector<BYTE> Buffer;
    LPPROC_THREAD_ATTRIBUTE_LIST List = nullptr;

    TInheritOnly(HANDLE* handles, size_t count) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        Buffer.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(Buffer.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, count * sizeof(HANDLE),
                                       nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list);
            return;
        }
        List = list;
    }
    ~TInheritOnly() {
        if (List) DeleteProcThreadAttributeList(List);
    }
    TInheritOnly(const TInheritOnly&) = delete;
    TInheritOnly& operator=(const TInheritOnly&) = delete;
};

// Starts the process with the handles it is lent inherited (and only while it starts), and puts
// it into its job. The system's error when it refused, else 0.
DWORD StartProcess(TDecoder& decoder, HANDLE game) {
    const std::wstring program = ProgramFilePath();
    if (program.empty()) return ERROR_FILE_NOT_FOUND;
    std::wstring commandLine = L"\"" + program + L"\" " + DecoderSwitch + L" " + HandleText(decoder.Block.get()) + L" " +
                               HandleText(decoder.Request.get()) + L" " + HandleText(decoder.Reply.get()) + L" " +
                               HandleText(game);
    HANDLE lent[] = {decoder.Block.get(), decoder.Request.get(), decoder.Reply.get(), game};
    for (HANDLE handle : lent) LetInherit(handle, true);
    const TInheritOnly inheritOnly(lent, sizeof lent / sizeof lent[0]);
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = inheritOnly.List;
    PROCESS_INFORMATION started = {};
    // Not suspended: a game that ended before it let a suspended decoder run would leave it waiting
    // for ever where the system does not end the job with the game. The job takes it a moment
    // after it starts, before it reads any request.
    const DWORD flags = CREATE_NO_WINDOW | (inheritOnly.List ? EXTENDED_STARTUPINFO_PRESENT : 0);
    TOwnedHandle token(CreateLeastRightsToken());
    bool ok = token && CreateProcessAsUserW(token.get(), program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                            flags, nullptr, nullptr, &startup.StartupInfo, &started);
    TDecoderWall wall;
    wall.LeastRights = ok;
    wall.OnlyLentHandles = inheritOnly.List != nullptr;
    // Where the system cannot start a process with a token of its own, it starts it as it is.
    if (!ok)
        ok = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                            &startup.StartupInfo, &started) != FALSE;
    const DWORD refused = ok ? 0 : GetLastError();
    for (HANDLE handle : lent) LetInherit(handle, false);
    if (!ok) return refused ? refused : ERROR_GEN_FAILURE;
    decoder.Process.reset(started.hProcess);
    TOwnedHandle thread(started.hThread);
    wall.InJob = decoder.Job && AssignProcessToJobObject(decoder.Job.get(), decoder.Process.get());
    WallInForce = wall;
    OutputDebugStringA(("Tilvane: picture decoder started with " + DecoderWallText(wall) + "\n").c_str());
    ++ProcessesStarted;
    return 0;
}

// A new decoder, or null with the system's error of what failed in `error`.
std::unique_ptr<TDecoder> StartDecoder(DWORD& error) {
    auto decoder = std::make_unique<TDecoder>();
    error = ERROR_NOT_ENOUGH_MEMORY;
    decoder->Block.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            static_cast<DWORD>(DecoderBlockBytes), nullptr));
    if (!decoder->Block) return nullptr;
    decoder->View.reset(MapViewOfFile(decoder->Block.get(), FILE_MAP_WRITE, 0, 0, DecoderBlockBytes));
    decoder->Request.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    decoder->Reply.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    HANDLE game = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &game, SYNCHRONIZE, FALSE, 0);
    TOwnedHandle gameHandle(game);
    if (!decoder->View || !decoder->Request || !decoder->Reply || !gameHandle) return nullptr;
    decoder->Job.reset(CreateLimitingJob());
    error = StartProcess(*decoder, gameHandle.get());
    if (error != 0) return nullptr;
    return decoder;
}

DWORD WINAPI StartKeptDecoder(void*) {
    DWORD error = 0;
    KeptDecoder = StartDecoder(error);
    return 0;
}

// False when the start in the background has not ended within the time a decode may take; it
// is then still the thread's, and waited for again by the next decode.
bool WaitForWarmStart() {
    if (!WarmStart) return true;
    if (WaitForSingleObject(WarmStart, DecoderTimeLimitMs) == WAIT_TIMEOUT) return false;
    CloseHandle(WarmStart);
    WarmStart = nullptr;
    return true;
}

void RaiseNotStarted(TFunOperation& op, const std::string& fileName, DWORD error) {
    op.Raise(__LINE__, fsError, "The picture decoder could not be started.", WideToUtf8(ProgramFilePath()), fileName,
             static_cast<int32_t>(error));
}

// What the decoder has committed; under Wine, where that figure is not kept for another process,
// what it holds in memory.
uint64_t MemoryInUse(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.WorkingSetSize;
}

enum class TWaitOutcome { Replied, Ended, TookTooLong, NeededTooMuch };

// Waits for the reply, watching the process end, the time pass and the memory grow. The time
// limit bounds the decoder's own work: it runs from when the decoder takes the request (a cold
// start has as long again before that) and starts over whenever it reads further into the file,
// so that a large picture on a slow share loads; DecoderSlowReadLimitMs bounds it all.
TWaitOutcome AwaitReply(const TDecoder& decoder, uint32_t sequence) {
    const HANDLE events[] = {decoder.Reply.get(), decoder.Process.get()};
    const TDecoderProgress& progress = DecoderProgressIn(decoder.Bytes());
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastProgress = start;
    bool taken = false;
    uint64_t furthest = 0;
    for (;;) {
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, MemoryPollMs);
        if (woken == WAIT_OBJECT_0) return TWaitOutcome::Replied;
        if (woken != WAIT_TIMEOUT) return TWaitOutcome::Ended;
        if (MemoryInUse(decoder.Process.get()) > DecoderMemoryLimitBytes) return TWaitOutcome::NeededTooMuch;
        const ULONGLONG now = GetTickCount64();
        const uint64_t read = progress.Furthest;
        if (progress.Sequence == sequence && (!taken || read > furthest)) {
            taken = true;
            furthest = read;
            lastProgress = now;
        }
        if (now - lastProgress >= DecoderTimeLimitMs || now - start >= DecoderSlowReadLimitMs)
            return TWaitOutcome::TookTooLong;
    }
}

bool IsMissingFileError(int32_t error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

void TakeAnswer(const TDecoderReply& reply, TDecoderAnswer& answer) {
    answer.ImageWidth = reply.ImageWidth;
    answer.ImageHeight = reply.ImageHeight;
    answer.Stamp.Volume = reply.FileVolume;
    answer.Stamp.Index = reply.FileIndex;
    answer.Stamp.Size = reply.FileSize;
    answer.Stamp.Written = reply.FileWritten;
}

// Raises why the decoder ended without a reply.
void RaiseDecoderEnded(TFunOperation& op, const std::string& fileName, const TDecoder& decoder) {
    DWORD code = 0;
    GetExitCodeProcess(decoder.Process.get(), &code);
    if (code == DecoderNoMemoryExitCode)
        op.Raise(__LINE__, fsError, NeededTooMuchText(), fileName);
    else
        op.Raise(__LINE__, fsError, DecoderFailed, fileName, "exit code " + HexText(code));
}

// Sends the request to the kept decoder and waits for its reply, which is read and checked. False
// after a failure raised on op; the decoder is then dropped unless it only could not be asked.
bool Exchange(TFunOperation& op, const std::string& fileName, TDecoderRequest& request, TDecoderReply& reply) {
    TDecoder& decoder = *KeptDecoder;
    request.Sequence = ++decoder.Sequence;
    if (WriteDecoderRequest(request, decoder.Bytes(), DecoderMessageBytes) == 0) {
        op.Raise(__LINE__, fsError, "The file could not be read as a picture.", fileName);
        return false;
    }
    ResetEvent(decoder.Reply.get());
    SetEvent(decoder.Request.get());
    switch (AwaitReply(decoder, request.Sequence)) {
    case TWaitOutcome::Replied:
        break;
    case TWaitOutcome::Ended:
        RaiseDecoderEnded(op, fileName, decoder);
        KeptDecoder.reset();
        return false;
    case TWaitOutcome::TookTooLong:
        KeptDecoder.reset();
        op.Raise(__LINE__, fsError, TookTooLongText(), fileName);
        return false;
    case TWaitOutcome::NeededTooMuch:
        KeptDecoder.reset();
        op.Raise(__LINE__, fsError, NeededTooMuchText(), fileName);
        return false;
    }
    // Read from a copy: the decoder could change the block while it is checked.
    const std::vector<uint8_t> copy(decoder.Bytes(), decoder.Bytes() + DecoderMessageBytes);
    if (!ReadDecoderReply(copy.data(), copy.size(), reply) || reply.Sequence != request.Sequence) {
        KeptDecoder.reset();
        op.Raise(__LINE__, fsError, DecoderFailed, fileName);
        return false;
    }
    return true;
}

// Asks the kept decoder, started anew when there is none. False after a failure raised on op.
bool AskDecoder(TFunOperation& op, const std::string& fileName, const std::vector<TPictureSize>& areas,
                TDecoderReply& reply) {
    if (!KeptDecoder || !KeptDecoder->Running()) {
        // The old one first: ending a process that has ended fails, and that failure is not the
        // start's.
        KeptDecoder.reset();
        DWORD error = 0;
        KeptDecoder = StartDecoder(error);
        if (!KeptDecoder) {
            RaiseNotStarted(op, fileName, error);
            return false;
        }
    }
    TDecoderRequest request;
    request.Path = fileName;
    request.Areas = areas;
    return Exchange(op, fileName, request, reply);
}

void RaiseInGameWords(TFunOperation& op, int32_t line, const std::string& fileName, const TPictureRefusal& refusal,
                      int32_t systemErrorCode = 0) {
    const TRefusalRecord record = RefusalRecord(refusal, fileName);
    op.Raise(line, fsError, record.Description, record.Parameter1, record.Parameter2, systemErrorCode);
}

// Raises the refusal in the game's own words, from the reason alone and about the file the game
// asked for: a decoder taken over can choose neither the words nor how grave the failure looks.
void RaiseRefusal(TFunOperation& op, const std::string& fileName, const TDecoderRefusal& refusal) {
    RaiseInGameWords(op, __LINE__, fileName, refusal.Picture, refusal.SystemErrorCode);
    // A picture it refused may have reached a decoder library and taken it over: the next
    // picture goes to a fresh decoder, started now while the player reads the message, unless
    // this one never found a file to read.
    if (!IsMissingFileError(refusal.SystemErrorCode)) {
        KeptDecoder.reset();
        StartPictureDecoderInBackground();
    }
}

// The handle lent to the decoder closed in its process: the section stays the game's alone.
void TakeBackSection(HANDLE lent) {
    if (KeptDecoder && lent)
        DuplicateHandle(KeptDecoder->Process.get(), lent, nullptr, nullptr, 0, FALSE, DUPLICATE_CLOSE_SOURCE);
}

// The decoded picture's pixels, put by the decoder into a section the game makes at exactly their
// size and lends it: memory of the game's own, committed and backed by no file, which the decoder
// can neither choose nor make smaller. The view is a copy on write, so that what GDI+ may write
// stays the game's. False after a failure raised on op.
bool ReceivePixels(TFunOperation& op, const std::string& fileName, const std::vector<TPictureSize>& areas,
                   const TDecoderReply& decoded, TDecoderAnswer& answer) {
    const uint64_t bytes = DecoderPixelBytes(decoded);
    TOwnedHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                            static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes), nullptr));
    HANDLE lent = nullptr;
    if (!section || !DuplicateHandle(GetCurrentProcess(), section.get(), KeptDecoder->Process.get(), &lent,
                                     FILE_MAP_WRITE, FALSE, 0)) {
        TPictureRefusal noMemory;
        noMemory.Reason = TRefusalReason::NoMemory;
        noMemory.Width = static_cast<uint64_t>(decoded.Width);
        noMemory.Height = static_cast<uint64_t>(decoded.Height);
        RaiseInGameWords(op, __LINE__, fileName, noMemory);
        return false;
    }
    TDecoderRequest request;
    request.Path = fileName;
    request.Areas = areas;
    request.PixelSection = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(lent));
    TDecoderReply filled;
    const bool replied = Exchange(op, fileName, request, filled);
    TakeBackSection(lent);
    if (!replied) return false;
    if (!filled.Decoded) {
        RaiseRefusal(op, fileName, filled.Refusal);
        return false;
    }
    TOwnedView view(MapViewOfFile(section.get(), FILE_MAP_COPY, 0, 0, static_cast<SIZE_T>(bytes)));
    if (filled.Width != decoded.Width || filled.Height != decoded.Height || filled.Alpha != decoded.Alpha || !view) {
        KeptDecoder.reset();
        op.Raise(__LINE__, fsError, DecoderFailed, fileName);
        return false;
    }
    answer.View = std::move(view);
    answer.Width = decoded.Width;
    answer.Height = decoded.Height;
    answer.Alpha = decoded.Alpha;
    BytesCopiedLastTime = bytes;
    return true;
}

}  // namespace

void StartPictureDecoderInBackground() {
    if (WarmStart || KeptDecoder) return;
    WarmStart = CreateThread(nullptr, 0, StartKeptDecoder, nullptr, 0, nullptr);
}

bool DecodeInDecoderProcess(TFunOperation& op, const std::string& fileName, const std::vector<TPictureSize>& areas,
                            TDecoderAnswer& answer) {
    if (!WaitForWarmStart()) {
        RaiseNotStarted(op, fileName, WAIT_TIMEOUT);
        return false;
    }
    BytesCopiedLastTime = 0;
    TDecoderReply reply;
    if (!AskDecoder(op, fileName, areas, reply)) return false;
    if (!reply.Decoded) {
        RaiseRefusal(op, fileName, reply.Refusal);
        return false;
    }
    if (!ReceivePixels(op, fileName, areas, reply, answer)) return false;
    TakeAnswer(reply, answer);
    return true;
}

TDecoderWall DecoderWallInForce() { return WallInForce; }

std::string DecoderWallText(const TDecoderWall& wall) {
    return std::string(wall.LeastRights ? "" : "no ") + "least rights, " + (wall.InJob ? "" : "no ") + "job, " +
           (wall.OnlyLentHandles ? "" : "no ") + "lent handles only";
}

std::wstring DecoderProgramForTests;

uint64_t DecoderBytesCopiedLastTime() { return BytesCopiedLastTime; }
uint32_t DecoderProcessesStarted() { return ProcessesStarted; }

void EndPictureDecoder() {
    // A start that has not ended by then is left to end with the game.
    if (!WaitForWarmStart()) return;
    KeptDecoder.reset();
}
