// The boxes of an AVIF file (ISO base media format) that say where its picture is: the primary
// item's AV1 data, or the tiles of a picture made of them ("grid"), its alpha item or grid, its
// size, colour description and turns; for an animation without a primary item, the first sample
// of its first picture track. Every length and offset read is checked against the bytes it lies in,
// and a grid against its tiles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A run of bytes of the file.
struct TByteSpan {
    size_t Offset = 0;
    size_t Size = 0;
};

// The colour description of a "colr" box of type "nclx" (ITU-T H.273 code points).
struct TAvifColour {
    bool Present = false;
    uint16_t Matrix = 2;  // unspecified
    bool FullRange = false;
};

// One AV1 picture's data, in this order.
using TAv1Spans = std::vector<TByteSpan>;

// The picture is Columns x Rows AV1 pictures (tiles) of TileWidth x TileHeight, laid out row by
// row, of which the top left Width x Height is shown. A picture of one item is its one tile.
struct TAvifLayout {
    bool Found = false;  // a picture whose data the spans below hold
    // The stored size ("ispe", or a grid's output size); 0 x 0 when the file does not say it (an
    // animation's track), and then the tile's size is not known either.
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Columns = 1;
    uint32_t Rows = 1;
    uint32_t TileWidth = 0;
    uint32_t TileHeight = 0;
    std::vector<TAv1Spans> Colour;  // each tile's AV1 data, row by row
    std::vector<TAv1Spans> Alpha;   // the same for alpha; empty without an alpha item
    TAvifColour Nclx;
    // The turn and mirror ("irot", "imir") as the orientation tag would say it (1 to 8).
    uint32_t Orientation = 1;
    // The first sample of a track, which may hold hidden frames before the one shown; an item's
    // data is one frame.
    bool FromTrack = false;
};

// True when the bytes start with a file-type box naming the AVIF brands ("avif" or "avis");
// the first bytes of a file are enough, the brands that fit in them count.
bool IsAvifSignature(const uint8_t* bytes, size_t size);

// Finds the picture in the AVIF file held whole in data. Not Found when the file is not an AVIF
// picture this reads: damaged boxes, data outside the file, or a grid that its tiles do not fit.
// Its work and memory grow with the file's size, whatever its boxes ask: tables of items longer than
// their boxes, a grid naming an item twice, or tiles of more bytes than the file are refused.
TAvifLayout ReadAvifLayout(const uint8_t* data, size_t size);

// The orientation tag that turns a picture as "irot" (quarter turns anticlockwise, 0 to 3) and
// then "imir" (-1 none, 0 top to bottom, 1 left to right) do.
uint32_t OrientationOfTurns(uint32_t quarterTurns, int mirror);
