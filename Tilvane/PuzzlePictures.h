// The pictures of a game as the window paints them: the grid chosen for a picture, the size of a
// piece in pixels, and the picture file the pictures are painted from.
#pragma once

#include "Include/Core/PictureFit.h"
#include "Include/MyGDIPlus.h"

#include <cstdint>
#include <string>

struct TGridChoice {
    int32_t Columns, Rows;
};

struct TPieceSize {
    int32_t Width = 0, Height = 0;
};

// The picture file the game's pictures are painted from: the picture's own size before fitting,
// and the file's state when it was decoded.
struct TPictureSource {
    TPictureSize Size;
    std::string File;
    TPictureFileStamp Stamp;
};
