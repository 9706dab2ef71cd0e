// What the clipboard holds of a picture, read in the richest form another program offered it.
// Operations report as module "Include\Clipboard".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class TClipboardPictureKind {
    Nothing,  // no picture and no files
    Png,      // a PNG file's bytes, from the registered "PNG" format
    Dib,      // a packed device-independent bitmap, from CF_DIBV5 or CF_DIB
    Files,    // copied files (CF_HDROP), which the caller opens as a drop
};

struct TClipboardPicture {
    TClipboardPictureKind Kind = TClipboardPictureKind::Nothing;
    std::string Bytes;               // the PNG or bitmap
    std::vector<std::string> Files;  // the copied files' names
};

// Takes the first form offered of: "PNG", CF_DIBV5, CF_DIB, CF_HDROP. The owner is the window that
// opens the clipboard. A clipboard that another program keeps open, or data larger than any
// picture the program loads, give Nothing and an Error.
TClipboardPicture ReadClipboardPicture(HWND owner);
