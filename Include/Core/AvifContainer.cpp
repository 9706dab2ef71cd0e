#include "Include/Core/AvifContainer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace {

// Reads big-endian fields from [At, End) of the file; a read past End clears Ok and gives 0, so
// that a damaged box is found once, at the end of its reading.
struct TCursor {
    const uint8_t* Data = nullptr;
    size_t At = 0;
    size_t End = 0;
    bool Ok = true;

    size_t Left() const { return Ok && At < End ? End - At : 0; }
    uint64_t Read(size_t bytes) {
        if (!Ok || bytes > End - At) {
            Ok = false;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < bytes; ++i) value = (value << 8) | Data[At + i];
        At += bytes;
        return value;
    }
    uint32_t U8() { return static_cast<uint32_t>(Read(1)); }
    uint32_t U16() { return static_cast<uint32_t>(Read(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Read(4)); }
    void Skip(size_t bytes) {
        if (!Ok || bytes > End - At) Ok = false;
        else At += bytes;
    }
    // A full box's version; its flags go to flags when asked for.
    uint32_t Version(uint32_t* flags = nullptr) {
        const uint32_t version = U8();
        const uint32_t flagBits = static_cast<uint32_t>(Read(3));
        if (flags) *flags = flagBits;
        return version;
    }
};

struct TBox {
    uint32_t Type = 0;
    TCursor Body;  // the box's contents, after its header
};

constexpr uint32_t FourCc(const char (&text)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(text[3]));
}

// The next box inside the cursor's range, which it then steps over; false at the end or when
// the box does not fit (the cursor is then no longer Ok).
bool NextBox(TCursor& cursor, TBox& box) {
    if (!cursor.Ok || cursor.Left() == 0) return false;
    const size_t start = cursor.At;
    uint64_t size = cursor.U32();
    box.Type = cursor.U32();
    if (size == 1) size = cursor.Read(8);
    else if (size == 0) size = cursor.End - start;  // to the end of what holds it
    const size_t header = cursor.At - start;
    if (!cursor.Ok || size < header || size > cursor.End - start) {
        cursor.Ok = false;
        return false;
    }
    box.Body = cursor;
    box.Body.End = start + static_cast<size_t>(size);
    cursor.At = box.Body.End;
    return true;
}

// Items: where their bytes are, what they are and how they relate.
struct TItemPlace {
    uint32_t Method = 0;  // 0: offsets in the file, 1: in the "idat" box
    std::vector<TByteSpan> Extents;
};

struct TMeta {
    uint32_t Primary = 0;
    std::map<uint32_t, uint32_t> Types;
    std::map<uint32_t, TItemPlace> Places;
    std::vector<std::vector<uint32_t>> Properties;  // each property: {type, then what it says}
    std::map<uint32_t, std::vector<uint32_t>> Associations;  // item: property indices from 1
    std::map<uint32_t, uint32_t> AuxiliaryOf;  // alpha and other auxiliary items: whose they are
    std::map<uint32_t, std::vector<uint32_t>> Tiles;  // grid items: the items they are made of, in order
    TByteSpan Idat;
    bool HasIdat = false;
    bool Damaged = false;  // a table asked for more than its box holds, or than any real file has
    size_t Extents = 0;    // of all items together
};

// Far above any real file (a grid has at most 256 x 256 tiles, and as many of alpha), so that a
// small file cannot make the tables of its items cost more than its own size.
constexpr size_t MaxItems = 1 << 18;
constexpr size_t MaxExtents = 1 << 20;

size_t FieldSize(uint32_t code, bool& ok) {
    if (code == 0 || code == 4 || code == 8) return code;
    ok = false;
    return 0;
}

// An extent table must lie in the box: with fields of no bytes each extent reads nothing, so an
// item may have at most one such (its base to the end of what holds it, or a second one would only
// repeat it).
bool ExtentTableFits(const TCursor& body, uint32_t extents, size_t recordSize) {
    return recordSize == 0 ? extents <= 1 : extents <= body.Left() / recordSize;
}

void ReadIloc(TCursor body, TMeta& meta) {
    const uint32_t version = body.Version();
    const uint32_t sizes = body.U8(), moreSizes = body.U8();
    bool ok = version <= 2;
    const size_t offsetSize = FieldSize(sizes >> 4, ok), lengthSize = FieldSize(sizes & 15, ok);
    const size_t baseSize = FieldSize(moreSizes >> 4, ok);
    const size_t indexSize = version >= 1 ? FieldSize(moreSizes & 15, ok) : 0;
    const uint32_t count = version < 2 ? body.U16() : body.U32();
    if (!ok || !body.Ok || count > MaxItems) {
        meta.Damaged = true;
        return;
    }
    for (uint32_t i = 0; i < count && body.Ok; ++i) {
        const uint32_t id = version < 2 ? body.U16() : body.U32();
        TItemPlace place;
        if (version >= 1) place.Method = body.U16() & 15;
        body.U16();  // data reference: the file itself
        const uint64_t base = body.Read(baseSize);
        const uint32_t extents = body.U16();
        meta.Extents += extents;
        if (!body.Ok || !ExtentTableFits(body, extents, indexSize + offsetSize + lengthSize) ||
            meta.Extents > MaxExtents) {
            meta.Damaged = true;
            return;
        }
        for (uint32_t e = 0; e < extents && body.Ok; ++e) {
            body.Read(indexSize);
            const uint64_t offset = base + body.Read(offsetSize);
            const uint64_t length = body.Read(lengthSize);
            if (offset < base || offset > SIZE_MAX || length > SIZE_MAX) body.Ok = false;
            place.Extents.push_back({static_cast<size_t>(offset), static_cast<size_t>(length)});
        }
        if (body.Ok) meta.Places[id] = place;
    }
}

void ReadIinf(TCursor body, TMeta& meta) {
    const uint32_t version = body.Version();
    const uint32_t count = version == 0 ? body.U16() : body.U32();
    if (count > MaxItems) {
        meta.Damaged = true;
        return;
    }
    TBox entry;
    for (uint32_t i = 0; i < count && NextBox(body, entry); ++i) {
        if (entry.Type != FourCc("infe")) continue;
        const uint32_t entryVersion = entry.Body.Version();
        if (entryVersion < 2) continue;  // items without a type: nothing of a picture
        const uint32_t id = entryVersion == 2 ? entry.Body.U16() : entry.Body.U32();
        entry.Body.U16();  // protection
        const uint32_t type = entry.Body.U32();
        if (entry.Body.Ok) meta.Types[id] = type;
    }
}

void ReadIref(TCursor body, TMeta& meta) {
    const uint32_t version = body.Version();
    TBox reference;
    while (NextBox(body, reference)) {
        TCursor& r = reference.Body;
        const uint32_t from = version == 0 ? r.U16() : r.U32();
        const uint32_t count = r.U16();
        for (uint32_t i = 0; i < count && r.Ok; ++i) {
            const uint32_t to = version == 0 ? r.U16() : r.U32();
            if (r.Ok && reference.Type == FourCc("auxl")) meta.AuxiliaryOf[from] = to;
            if (r.Ok && reference.Type == FourCc("dimg")) meta.Tiles[from].push_back(to);
        }
    }
}

const char AlphaUrn[] = "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha";
const char HevcAlphaUrn[] = "urn:mpeg:hevc:2015:auxid:1";

// What the properties read here say, kept as numbers: {type, values...}.
std::vector<uint32_t> ReadProperty(const TBox& box) {
    TCursor body = box.Body;
    std::vector<uint32_t> property{box.Type};
    if (box.Type == FourCc("ispe")) {
        body.Version();
        property.push_back(body.U32());
        property.push_back(body.U32());
    } else if (box.Type == FourCc("irot")) {
        property.push_back(body.U8() & 3);
    } else if (box.Type == FourCc("imir")) {
        property.push_back(body.U8() & 1);
    } else if (box.Type == FourCc("colr")) {
        if (body.U32() != FourCc("nclx")) return {0};
        body.U16();  // primaries and transfer: the program shows pictures as they are stored
        body.U16();
        property.push_back(body.U16());
        property.push_back(body.U8() >> 7);
    } else if (box.Type == FourCc("auxC")) {
        body.Version();
        const size_t length = body.Left();
        const char* text = reinterpret_cast<const char*>(body.Data + body.At);
        const bool alpha = (length >= sizeof AlphaUrn && std::memcmp(text, AlphaUrn, sizeof AlphaUrn) == 0) ||
                           (length >= sizeof HevcAlphaUrn && std::memcmp(text, HevcAlphaUrn, sizeof HevcAlphaUrn) == 0);
        property.push_back(alpha ? 1 : 0);
    }
    if (!body.Ok) return {0};
    return property;
}

void ReadIprp(TCursor body, TMeta& meta) {
    TBox box;
    while (NextBox(body, box)) {
        if (box.Type == FourCc("ipco")) {
            TBox property;
            while (NextBox(box.Body, property)) meta.Properties.push_back(ReadProperty(property));
        } else if (box.Type == FourCc("ipma")) {
            uint32_t flags = 0;
            const uint32_t version = box.Body.Version(&flags);
            const uint32_t count = box.Body.U32();
            if (count > MaxItems) {
                meta.Damaged = true;
                return;
            }
            for (uint32_t i = 0; i < count && box.Body.Ok; ++i) {
                const uint32_t id = version < 1 ? box.Body.U16() : box.Body.U32();
                const uint32_t associations = box.Body.U8();
                for (uint32_t a = 0; a < associations && box.Body.Ok; ++a) {
                    const uint32_t index = (flags & 1) ? box.Body.U16() & 0x7FFF : box.Body.U8() & 0x7F;
                    if (box.Body.Ok && index > 0) meta.Associations[id].push_back(index);
                }
            }
        }
    }
}

bool ReadMeta(TCursor body, TMeta& meta) {
    body.Version();
    TBox box;
    while (NextBox(body, box)) {
        if (box.Type == FourCc("pitm")) {
            const uint32_t version = box.Body.Version();
            meta.Primary = version == 0 ? box.Body.U16() : box.Body.U32();
        } else if (box.Type == FourCc("iloc")) {
            ReadIloc(box.Body, meta);
        } else if (box.Type == FourCc("iinf")) {
            ReadIinf(box.Body, meta);
        } else if (box.Type == FourCc("iref")) {
            ReadIref(box.Body, meta);
        } else if (box.Type == FourCc("iprp")) {
            ReadIprp(box.Body, meta);
        } else if (box.Type == FourCc("idat")) {
            meta.Idat = {box.Body.At, box.Body.End - box.Body.At};
            meta.HasIdat = true;
        }
    }
    return body.Ok && !meta.Damaged;
}

// The property of a type associated with the item, or null.
const std::vector<uint32_t>* PropertyOf(const TMeta& meta, uint32_t item, uint32_t type) {
    const auto found = meta.Associations.find(item);
    if (found == meta.Associations.end()) return nullptr;
    for (const uint32_t index : found->second) {
        if (index > meta.Properties.size()) continue;
        const std::vector<uint32_t>& property = meta.Properties[index - 1];
        if (property[0] == type) return &property;
    }
    return nullptr;
}

// The item's bytes as spans of the file, each inside it; false when any lies outside.
bool SpansOf(const TMeta& meta, uint32_t item, size_t fileSize, std::vector<TByteSpan>& spans) {
    const auto found = meta.Places.find(item);
    if (found == meta.Places.end() || found->second.Extents.empty()) return false;
    const TItemPlace& place = found->second;
    if (place.Method > 1 || (place.Method == 1 && !meta.HasIdat)) return false;
    const size_t base = place.Method == 1 ? meta.Idat.Offset : 0;
    const size_t room = place.Method == 1 ? meta.Idat.Size : fileSize;
    // An item is never longer than what holds it: extents named over and over would make the
    // joined data a bomb.
    size_t total = 0;
    for (const TByteSpan& extent : place.Extents) {
        if (extent.Offset > room) return false;
        // A length of 0 runs to the end of what holds the data.
        const size_t length = extent.Size == 0 ? room - extent.Offset : extent.Size;
        if (length > room - extent.Offset || length == 0 || length > room - total) return false;
        total += length;
        spans.push_back({base + extent.Offset, length});
    }
    return true;
}

bool IsAlphaItem(const TMeta& meta, uint32_t item) {
    const std::vector<uint32_t>* auxiliary = PropertyOf(meta, item, FourCc("auxC"));
    return auxiliary && auxiliary->size() > 1 && (*auxiliary)[1] == 1;
}

// An item as the AV1 pictures it is made of: an AV1 item is its own one tile, a grid item names
// its tiles.
struct TTiling {
    uint32_t Width = 0, Height = 0;  // 0 x 0 for an AV1 item without "ispe"
    uint32_t Columns = 1, Rows = 1;
    uint32_t TileWidth = 0, TileHeight = 0;
    uint32_t FirstTile = 0;
    std::vector<TAv1Spans> Tiles;
    size_t Bytes = 0;  // of all tiles together
};

size_t BytesOf(const TAv1Spans& spans) {
    size_t bytes = 0;
    for (const TByteSpan& span : spans) bytes += span.Size;  // each at most the file, and few
    return bytes;
}

bool StoredSizeOf(const TMeta& meta, uint32_t item, uint32_t& width, uint32_t& height) {
    const std::vector<uint32_t>* size = PropertyOf(meta, item, FourCc("ispe"));
    if (!size || size->size() != 3) return false;
    width = (*size)[1], height = (*size)[2];
    return true;
}

bool ReadAv1Item(const TMeta& meta, uint32_t item, size_t fileSize, TTiling& tiling) {
    TAv1Spans spans;
    if (!SpansOf(meta, item, fileSize, spans)) return false;
    StoredSizeOf(meta, item, tiling.Width, tiling.Height);
    tiling.TileWidth = tiling.Width, tiling.TileHeight = tiling.Height;
    tiling.FirstTile = item;
    tiling.Bytes = BytesOf(spans);
    tiling.Tiles.push_back(std::move(spans));
    return true;
}

// The grid item's own data (ImageGrid): how many rows and columns of tiles, and the output size.
bool ReadImageGrid(const uint8_t* data, const TAv1Spans& spans, TTiling& tiling) {
    uint8_t bytes[12] = {};  // the most it holds, with 32-bit sizes
    size_t held = 0;
    for (const TByteSpan& span : spans) {
        const size_t taken = std::min(span.Size, sizeof bytes - held);
        std::memcpy(bytes + held, data + span.Offset, taken);
        held += taken;
    }
    TCursor grid{bytes, 0, held};
    // A version and flags of a byte each, not a full box's.
    if (grid.U8() != 0) return false;
    const uint32_t flags = grid.U8();
    tiling.Rows = grid.U8() + 1;
    tiling.Columns = grid.U8() + 1;
    const size_t sizeBytes = (flags & 1) ? 4 : 2;
    tiling.Width = static_cast<uint32_t>(grid.Read(sizeBytes));
    tiling.Height = static_cast<uint32_t>(grid.Read(sizeBytes));
    return grid.Ok;
}

// The most extents all tiles of a grid may name together: real files have one a tile, and the same
// extents named by many tiles would otherwise be copied without bound.
constexpr size_t MaxGridExtents = 1 << 18;

// True when the grid names some item more than once. Real encoders never do; such a grid would
// make the work done for that item (its properties, its bytes) count once for each name.
bool NamesAnItemTwice(std::vector<uint32_t> tiles) {
    std::sort(tiles.begin(), tiles.end());
    return std::adjacent_find(tiles.begin(), tiles.end()) != tiles.end();
}

// The grid's tiles, row by row: as many as its rows and columns say, each an AV1 item of its own
// inside the file of the first one's stored size, and all of them together no more bytes than the
// file (extents of different items may overlap). A tile that is itself a grid is refused, so no
// reference leads round in a loop.
bool ReadGridTiles(const TMeta& meta, uint32_t grid, size_t fileSize, TTiling& tiling) {
    const auto tiles = meta.Tiles.find(grid);
    if (tiles == meta.Tiles.end() || tiles->second.size() != static_cast<size_t>(tiling.Columns) * tiling.Rows ||
        NamesAnItemTwice(tiles->second))
        return false;
    size_t extents = 0;
    for (const uint32_t tile : tiles->second) {
        const auto type = meta.Types.find(tile);
        uint32_t width = 0, height = 0;
        TAv1Spans spans;
        if (type == meta.Types.end() || type->second != FourCc("av01") || !StoredSizeOf(meta, tile, width, height) ||
            !SpansOf(meta, tile, fileSize, spans))
            return false;
        if (tiling.Tiles.empty()) tiling.TileWidth = width, tiling.TileHeight = height, tiling.FirstTile = tile;
        extents += spans.size();
        const size_t bytes = BytesOf(spans);
        if (width != tiling.TileWidth || height != tiling.TileHeight || extents > MaxGridExtents ||
            bytes > fileSize - tiling.Bytes)
            return false;
        tiling.Bytes += bytes;
        tiling.Tiles.push_back(std::move(spans));
    }
    return true;
}

// The tiles cover the output, and every row and column of them shows some of it.
bool TilesFitOutput(const TTiling& tiling) {
    const uint64_t coveredWidth = static_cast<uint64_t>(tiling.Columns) * tiling.TileWidth;
    const uint64_t coveredHeight = static_cast<uint64_t>(tiling.Rows) * tiling.TileHeight;
    return tiling.Width > 0 && tiling.Height > 0 && tiling.TileWidth > 0 && tiling.TileHeight > 0 &&
           coveredWidth >= tiling.Width && coveredHeight >= tiling.Height && coveredWidth - tiling.TileWidth < tiling.Width &&
           coveredHeight - tiling.TileHeight < tiling.Height;
}

bool ReadGridItem(const uint8_t* data, const TMeta& meta, uint32_t item, size_t fileSize, TTiling& tiling) {
    TAv1Spans spans;
    return SpansOf(meta, item, fileSize, spans) && ReadImageGrid(data, spans, tiling) &&
           ReadGridTiles(meta, item, fileSize, tiling) && TilesFitOutput(tiling);
}

bool IsPictureItem(const TMeta& meta, uint32_t item) {
    const auto type = meta.Types.find(item);
    return type != meta.Types.end() && (type->second == FourCc("av01") || type->second == FourCc("grid"));
}

bool ReadTiling(const uint8_t* data, const TMeta& meta, uint32_t item, size_t fileSize, TTiling& tiling) {
    if (!IsPictureItem(meta, item)) return false;
    if (meta.Types.at(item) == FourCc("grid")) return ReadGridItem(data, meta, item, fileSize, tiling);
    return ReadAv1Item(meta, item, fileSize, tiling);
}

// Alpha is laid out as the colour is, tile for tile; an alpha item without a stored size is
// checked once decoded.
bool MatchesColour(const TTiling& alpha, const TTiling& colour) {
    if (alpha.Columns != colour.Columns || alpha.Rows != colour.Rows) return false;
    return alpha.Width == 0 || (alpha.Width == colour.Width && alpha.Height == colour.Height &&
                                alpha.TileWidth == colour.TileWidth && alpha.TileHeight == colour.TileHeight);
}

// The colour description of the item, or of its tiles when the grid itself has none.
TAvifColour ColourOf(const TMeta& meta, uint32_t item, uint32_t firstTile) {
    TAvifColour nclx;
    const std::vector<uint32_t>* colour = PropertyOf(meta, item, FourCc("colr"));
    if (!colour) colour = PropertyOf(meta, firstTile, FourCc("colr"));
    if (colour && colour->size() == 3) {
        nclx.Present = true;
        nclx.Matrix = static_cast<uint16_t>((*colour)[1]);
        nclx.FullRange = (*colour)[2] != 0;
    }
    return nclx;
}

TAvifLayout LayoutOfPrimaryItem(const uint8_t* data, const TMeta& meta, size_t fileSize) {
    TAvifLayout layout;
    TTiling colour;
    if (!ReadTiling(data, meta, meta.Primary, fileSize, colour)) return layout;
    layout.Width = colour.Width, layout.Height = colour.Height;
    layout.Columns = colour.Columns, layout.Rows = colour.Rows;
    layout.TileWidth = colour.TileWidth, layout.TileHeight = colour.TileHeight;
    layout.Nclx = ColourOf(meta, meta.Primary, colour.FirstTile);
    // A grid's turns apply to the whole picture; its tiles have none.
    const std::vector<uint32_t>* turn = PropertyOf(meta, meta.Primary, FourCc("irot"));
    const std::vector<uint32_t>* mirror = PropertyOf(meta, meta.Primary, FourCc("imir"));
    layout.Orientation = OrientationOfTurns(turn && turn->size() > 1 ? (*turn)[1] : 0,
                                            mirror && mirror->size() > 1 ? static_cast<int>((*mirror)[1]) : -1);
    for (const auto& auxiliary : meta.AuxiliaryOf) {
        if (auxiliary.second != meta.Primary || !IsPictureItem(meta, auxiliary.first) || !IsAlphaItem(meta, auxiliary.first))
            continue;
        // Alpha data outside the file, alpha tiles that do not match the colour's, or colour and
        // alpha of more bytes together than the file, is a damaged file, not a picture without alpha.
        TTiling alpha;
        if (!ReadTiling(data, meta, auxiliary.first, fileSize, alpha) || !MatchesColour(alpha, colour) ||
            alpha.Bytes > fileSize - colour.Bytes)
            return TAvifLayout();
        layout.Alpha = std::move(alpha.Tiles);
        break;
    }
    layout.Colour = std::move(colour.Tiles);
    layout.Found = true;
    return layout;
}

// An animation's first picture: the first sample of the first track that holds pictures.
bool FirstSampleOfTrack(TCursor track, size_t fileSize, TAv1Spans& spans) {
    // trak > mdia > (hdlr, minf > stbl > (stsd, stsz, stco/co64)); the first chunk starts with the
    // first sample.
    uint32_t handler = 0;
    uint64_t chunkOffset = 0, sampleSize = 0;
    bool haveChunk = false, haveSize = false, av1 = false;
    TBox box;
    TCursor levels[4] = {track};
    int depth = 0;
    while (depth >= 0) {
        if (!NextBox(levels[depth], box)) {
            if (!levels[depth].Ok) return false;
            --depth;
            continue;
        }
        TCursor& body = box.Body;
        if ((box.Type == FourCc("mdia") || box.Type == FourCc("minf") || box.Type == FourCc("stbl")) && depth < 3) {
            levels[++depth] = body;
        } else if (box.Type == FourCc("hdlr")) {
            body.Version();
            body.U32();
            handler = body.U32();
        } else if (box.Type == FourCc("stsd")) {
            body.Version();
            body.U32();
            TBox entry;
            av1 = NextBox(body, entry) && entry.Type == FourCc("av01");
        } else if (box.Type == FourCc("stsz")) {
            body.Version();
            sampleSize = body.U32();
            if (sampleSize == 0 && body.U32() > 0) sampleSize = body.U32();
            haveSize = body.Ok && sampleSize > 0;
        } else if (box.Type == FourCc("stco") || box.Type == FourCc("co64")) {
            body.Version();
            if (body.U32() > 0) chunkOffset = body.Read(box.Type == FourCc("co64") ? 8 : 4);
            haveChunk = body.Ok;
        }
    }
    if (!(handler == FourCc("pict") || handler == FourCc("vide")) || !av1 || !haveChunk || !haveSize) return false;
    if (chunkOffset > fileSize || sampleSize > fileSize - chunkOffset) return false;
    spans.push_back({static_cast<size_t>(chunkOffset), static_cast<size_t>(sampleSize)});
    return true;
}

TAvifLayout LayoutOfFirstTrack(TCursor movie, size_t fileSize) {
    TAvifLayout layout;
    TBox box;
    TAv1Spans sample;
    while (NextBox(movie, box)) {
        if (box.Type == FourCc("trak") && FirstSampleOfTrack(box.Body, fileSize, sample)) {
            layout.Colour.push_back(sample);
            layout.FromTrack = true;
            layout.Found = true;
            return layout;
        }
    }
    return layout;
}

bool NamesAvifBrand(uint32_t brand) { return brand == FourCc("avif") || brand == FourCc("avis"); }

}  // namespace

uint32_t OrientationOfTurns(uint32_t quarterTurns, int mirror) {
    // Rows: quarter turns anticlockwise 0 to 3; columns: no mirror, top to bottom, left to right.
    static const uint32_t orientations[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
    const int column = mirror == 0 ? 1 : mirror == 1 ? 2 : 0;
    return orientations[quarterTurns & 3][column];
}

bool IsAvifSignature(const uint8_t* bytes, size_t size) {
    // Read from the first bytes alone: the brands that fit in them count.
    TCursor box{bytes, 0, size};
    const uint32_t length = box.U32();
    if (box.U32() != FourCc("ftyp") || length < 16) return false;
    if (length < box.End) box.End = length;
    if (NamesAvifBrand(box.U32())) return true;
    box.U32();  // minor version
    while (box.Left() >= 4)
        if (NamesAvifBrand(box.U32())) return true;
    return false;
}

TAvifLayout ReadAvifLayout(const uint8_t* data, size_t size) {
    if (!IsAvifSignature(data, size)) return TAvifLayout();
    TCursor file{data, 0, size};
    TBox box;
    TMeta meta;
    bool haveMeta = false;
    TCursor movie;
    bool haveMovie = false;
    while (NextBox(file, box)) {
        if (box.Type == FourCc("meta")) haveMeta = ReadMeta(box.Body, meta);
        if (meta.Damaged) return TAvifLayout();
        if (box.Type == FourCc("moov")) movie = box.Body, haveMovie = true;
    }
    // A file that breaks off is refused even where what is left holds a whole first frame.
    if (!file.Ok) return TAvifLayout();
    if (haveMeta && meta.Primary != 0) return LayoutOfPrimaryItem(data, meta, size);
    if (haveMovie) return LayoutOfFirstTrack(movie, size);
    return TAvifLayout();
}
