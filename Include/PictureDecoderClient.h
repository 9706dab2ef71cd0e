// The game's side of the wall around picture decoding: one decoder process (the program file with
// a switch of its own, PictureDecoderServer.h) kept warm and reused, in a job that ends it with the
// game and limits it to one process and the memory of the pixel budget, at low integrity with a
// restricted token where the system allows. A decode that crashes it, takes longer than the time
// limit or grows it past the memory limit ends it and is reported with a message of its own; the
// next decode starts a new one.
#pragma once

#include "Include/Core/FunOperation.h"
#include "Include/Core/PictureFileStamp.h"
#include "Include/Core/PictureFit.h"
#include "Include/Core/PictureHeader.h"
#include "Include/Owned.h"

#include <cstdint>
#include <string>
#include <vector>

// How long one decode may work without reading further into its file, and how long a cold start
// of the process may take before it.
constexpr uint32_t DecoderTimeLimitMs = 10000;
// How long one decode may take in all, however its read goes on.
constexpr uint32_t DecoderSlowReadLimitMs = 120000;
// The most memory the decoder process may commit: the pixel budget three times over (a decoded
// raster, its conversion and its upright copy) and room for the decoders themselves.
constexpr uint64_t DecoderMemoryLimitBytes = MaxPicturePixels * 4 * 3 + (256ull << 20);

struct TDecoderAnswer {
    // The pixels as TPicturePixels describes them, in a view of the decoder's memory section.
    TOwnedView View;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Alpha = false;
    uint32_t ImageWidth = 0;  // the picture's own size, upright
    uint32_t ImageHeight = 0;
    TPictureFileStamp Stamp;
};

// Starts the decoder process on a thread of its own, so that the first picture finds it warm and
// the window does not wait for it. Called once the window shows.
void StartPictureDecoderInBackground();

// The picture decoded by the decoder process, or false after a failure raised on op: the
// decoder's own refusal as it gave it, or what ended the decoder.
bool DecodeInDecoderProcess(TFunOperation& op, const std::string& fileName, const std::vector<TPictureSize>& areas,
                            TDecoderAnswer& answer);

// Which parts of the wall stand around the decoder process last started: each can fall away where
// the system refuses it, and then the decoder still runs, with less around it.
struct TDecoderWall {
    bool LeastRights = false;      // the restricted token at low integrity
    bool InJob = false;            // the job that ends it with the game and limits it
    bool OnlyLentHandles = false;  // it inherited the handles it was lent and no others
};
TDecoderWall DecoderWallInForce();
// "least rights, job, lent handles only", with "no " before each part that fell away; the debugger's
// output gets it at each start.
std::string DecoderWallText(const TDecoderWall& wall);

// Tests only: the program file started as the decoder, instead of this program's own; empty for
// its own.
extern std::wstring DecoderProgramForTests;

// Figures for benchmarks: the bytes of pixels the last decode handed back, and how often a
// decoder process was started.
uint64_t DecoderBytesCopiedLastTime();
uint32_t DecoderProcessesStarted();
// Ends the decoder process now: benchmarks measure a cold start with it, and the game ends it as
// it closes, so that its process never goes while a decoder is still being started (one started
// by a process that is gone can stand for ever, holding the program file).
void EndPictureDecoder();
