// The decoder process's own side: the program file started with DecoderSwitch decodes one
// picture at a time for the game that started it, through the engine of MyGDIPlus, and ends with
// that game. It has no window, no options, no crash dialog: a fault ends it at once with
// DecoderFaultExitCode, which the game reports as a decoder that failed on the picture.
#pragma once

#include "Include/Core/DecoderExchange.h"

#include <cstdint>
#include <string>

// The switch, followed by the handles the game lends it: the shared block, the request and
// reply events, and the game's process.
extern const wchar_t* const DecoderSwitch;

// Exit codes that the game tells apart from any other end.
constexpr uint32_t DecoderFaultExitCode = 0x7D0F0001;
constexpr uint32_t DecoderNoMemoryExitCode = 0x7D0F0002;

// Whether this process was started as the decoder process.
bool IsPictureDecoderRun();

// Run before each request is served, given only by test builds: it may fault on the request, or
// answer it itself with a reply it forged (true). The reply comes with the request's sequence
// number, which it may change too.
using TDecoderTestHook = bool (*)(const TDecoderRequest& request, TDecoderReply& reply);

// Shows the game that the file of the request served has been read up to that byte, so that a
// slow read that goes on is not taken for a decode that never ends.
void ReportReadProgress(uint64_t furthestByte);

// Serves the game until it ends; returns the process's exit code (it normally never returns:
// it ends with the game).
int RunPictureDecoder(TDecoderTestHook beforeDecode = nullptr);
