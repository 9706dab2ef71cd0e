// Pictures pasted from the clipboard. Each is written as a PNG file into the data folder's
// "Pasted pictures\" and loaded from there, so that reloading it, saving a game of it and the last
// game work as for any picture file.
#include "Tilvane/PictureSources.h"

#include "Include/Clipboard.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PackedDib.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/FileReplace.h"
#include "Include/MyGDIPlus.h"
#include "Include/Program.h"
#include "Include/WideText.h"

#include <windows.h>

#include <cstdio>

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";
const char* const NoPictureText = "The clipboard holds no picture to paste.";

std::string PastedPicturesDirectory() { return GetDataDirectory() + "Pasted pictures\\"; }

// A name of the date and time, "2026-12-07 23-45-12.png"; a second picture of the same second
// gets " (2)" and so on.
std::string NewPastedPicturePath(const std::string& directory) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u-%02u-%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return FirstUnusedPath(directory + stamp, ".png");
}

// The clipboard's picture as the bytes of a PNG file: a PNG as it was copied, a bitmap encoded.
// Empty after a failure raised on op.
std::string PngOfPastedPicture(TFunOperation& op, const TClipboardPicture& pasted) {
    if (pasted.Kind == TClipboardPictureKind::Png) return pasted.Bytes;
    const TDibPixels bitmap = DecodePackedDib(reinterpret_cast<const uint8_t*>(pasted.Bytes.data()), pasted.Bytes.size());
    if (bitmap.Outcome == TDibOutcome::TooLarge) {
        op.Raise(__LINE__, fsError,
                 "The picture of " + std::to_string(bitmap.Width) + " x " + std::to_string(bitmap.Height) +
                     " pixels is too large to load.");
        return std::string();
    }
    if (bitmap.Outcome != TDibOutcome::Decoded) {
        op.Raise(__LINE__, fsError, "The bitmap on the clipboard could not be read.");
        return std::string();
    }
    std::string png = EncodePng(static_cast<int32_t>(bitmap.Width), static_cast<int32_t>(bitmap.Height), bitmap.Pixels);
    op.TakeCurrent();
    return png;
}

// The new file's path; empty after a failure raised on op.
std::string WritePastedPicture(TFunOperation& op, const std::string& png) {
    const std::string directory = PastedPicturesDirectory();
    ClearLastError();
    CreateDirectoryW(Utf8ToWide(directory).c_str(), nullptr);  // an existing folder is no failure
    const std::string path = NewPastedPicturePath(directory);
    if (!WriteFileReplacing(path, png)) {
        op.TakeCurrent();
        return std::string();
    }
    return path;
}

}  // namespace

void TPictureSources::PastePictureCommand() {
    TFunOperation op(Module, "TTilvaneForm::PastePictureMenuClick", __LINE__);
    op.Guard(__LINE__, [&] {
        const TClipboardPicture pasted = ReadClipboardPicture(window_.Handle());
        if (op.TakeCurrent()) return;
        if (pasted.Kind == TClipboardPictureKind::Nothing) {
            ShowWarning(NoPictureText);
            return;
        }
        if (pasted.Kind == TClipboardPictureKind::Files) {
            OpenGivenFiles(pasted.Files);
            return;
        }
        const std::string png = PngOfPastedPicture(op, pasted);
        if (png.empty()) return;
        const std::string path = WritePastedPicture(op, png);
        if (path.empty()) return;
        NewGameFromPicture(path);
        op.TakeCurrent();
        // A picture the player kept the old game for, or one that could not be loaded, leaves no
        // file behind.
        if (session_.PicturePath() != path) DeleteFileW(Utf8ToWide(path).c_str());
    });
    op.EndShowing(__LINE__, "Failed to paste picture.");
}
