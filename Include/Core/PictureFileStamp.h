// One state of a picture file: which file it is on its volume, its size and the time it was last
// written. Equal stamps mean the same file, unchanged; a file whose state cannot be read has the
// empty stamp.
#pragma once

#include <cstdint>

struct TPictureFileStamp {
    uint64_t Volume = 0, Index = 0, Size = 0, Written = 0;
    bool Empty() const { return Volume == 0 && Index == 0 && Size == 0 && Written == 0; }
    bool operator==(const TPictureFileStamp& other) const {
        return Volume == other.Volume && Index == other.Index && Size == other.Size && Written == other.Written;
    }
    bool operator!=(const TPictureFileStamp& other) const { return !(*this == other); }
};
