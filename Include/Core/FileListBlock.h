// The block in which the shell hands over a list of files (CF_HDROP on the clipboard,
// WM_DROPFILES): a 20-byte header whose first field is where the names start and whose last says
// whether they are UTF-16, then the names, each ended by a zero character, and one more zero
// after the last. A block on the clipboard comes from whatever program put it there, and the
// system's readers of the names trust every part of it.
#pragma once

#include <cstddef>
#include <cstdint>

// True when the names can be read without leaving the block: it holds the header, the names
// start after the header and inside the block, and the list is ended, in characters of its width,
// before the block ends.
bool IsWholeFileListBlock(const uint8_t* data, size_t size);
