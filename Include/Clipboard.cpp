#include "Include/Clipboard.h"

#include "Include/Error.h"
#include "Include/File.h"

#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const char* const Module = "Include\\Clipboard";

// Room for the largest picture the program loads, 100 megapixels at 32 bits, and its header.
const SIZE_T MaxPictureBytes = 512u * 1024u * 1024u;

// The clipboard, open for as long as this lives. Another program may hold it for a moment while
// it writes, so opening is tried a few times.
class TOpenClipboard {
public:
    explicit TOpenClipboard(HWND owner) {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            if (attempt > 0) Sleep(20);
            open_ = OpenClipboard(owner) != FALSE;
        }
    }
    ~TOpenClipboard() {
        if (open_) CloseClipboard();
    }
    TOpenClipboard(const TOpenClipboard&) = delete;
    TOpenClipboard& operator=(const TOpenClipboard&) = delete;
    bool Open() const { return open_; }

private:
    bool open_ = false;
};

// The whole memory block of a clipboard format; false after a failure raised on op.
bool CopyFormat(TFunOperation& op, UINT format, std::string& bytes) {
    ClearLastError();
    HANDLE data = GetClipboardData(format);
    if (!data) {
        op.Raise(__LINE__, fsError, "The picture could not be taken from the clipboard.", "", "",
                 static_cast<int32_t>(LastError()));
        return false;
    }
    const SIZE_T size = GlobalSize(data);
    if (size > MaxPictureBytes) {
        op.Raise(__LINE__, fsError, "The picture on the clipboard is too large to load.", "",
                 std::to_string(size) + " bytes");
        return false;
    }
    // Room first: a failed allocation must not leave the other program's block locked.
    bytes.resize(size);
    const void* locked = GlobalLock(data);
    if (!locked) {
        op.Raise(__LINE__, fsError, "The picture could not be taken from the clipboard.");
        return false;
    }
    if (size > 0) std::memcpy(&bytes[0], locked, size);
    GlobalUnlock(data);
    return true;
}

// The copied files' names; the block stays the clipboard's.
std::vector<std::string> CopiedFiles() {
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    return drop ? FileNamesInDrop(drop) : std::vector<std::string>{};
}

}  // namespace

TClipboardPicture ReadClipboardPicture(HWND owner) {
    TClipboardPicture picture;
    TFunOperation op(Module, "ReadClipboardPicture", __LINE__);
    op.Guard(__LINE__, [&] {
        const TOpenClipboard clipboard(owner);
        if (!clipboard.Open()) {
            op.Raise(__LINE__, fsError, "The clipboard is in use by another program.", "", "",
                     static_cast<int32_t>(GetLastError()));
            return;
        }
        const UINT png = RegisterClipboardFormatA("PNG");
        const struct {
            UINT Format;
            TClipboardPictureKind Kind;
        } richestFirst[] = {{png, TClipboardPictureKind::Png},
                            {CF_DIBV5, TClipboardPictureKind::Dib},
                            {CF_DIB, TClipboardPictureKind::Dib}};
        for (const auto& form : richestFirst) {
            if (form.Format == 0 || !IsClipboardFormatAvailable(form.Format)) continue;
            if (CopyFormat(op, form.Format, picture.Bytes)) picture.Kind = form.Kind;
            return;
        }
        if (IsClipboardFormatAvailable(CF_HDROP)) {
            picture.Files = CopiedFiles();
            if (!picture.Files.empty()) picture.Kind = TClipboardPictureKind::Files;
        }
    });
    op.EndPassing([&] { picture = TClipboardPicture(); });
    return picture;
}
