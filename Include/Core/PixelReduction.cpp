#include "Include/Core/PixelReduction.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Where a source pixel falls along one side: measured in units in which a source pixel is Side
// long and a target pixel SourceSide, both whole numbers, a source pixel is never longer than a
// target pixel, so it lies in Target for Weight units and in the next one for the rest.
struct TFall {
    int32_t Target;
    uint64_t Weight;
};

std::vector<TFall> FallsOf(int32_t sourceSide, int32_t side) {
    std::vector<TFall> falls(static_cast<size_t>(sourceSide));
    for (int32_t s = 0; s < sourceSide; ++s) {
        const uint64_t begin = static_cast<uint64_t>(s) * static_cast<uint64_t>(side);
        const uint64_t target = begin / static_cast<uint64_t>(sourceSide);
        const uint64_t targetEnd = (target + 1) * static_cast<uint64_t>(sourceSide);
        falls[static_cast<size_t>(s)] = {static_cast<int32_t>(target),
                                         std::min<uint64_t>(static_cast<uint64_t>(side), targetEnd - begin)};
    }
    return falls;
}

// A colour shown over black by its alpha: 0 to 255.
uint64_t OverBlack(uint32_t pixel, int shift) {
    const uint32_t alpha = pixel >> 24, colour = (pixel >> shift) & 0xFF;
    return alpha == 0xFF ? colour : (colour * alpha + 127) / 255;
}

// One source row reduced across into three sums per target pixel (and one spare pixel that takes
// the empty rest of the last), each a colour times the source width.
void ReduceRow(const uint32_t* row, const std::vector<TFall>& across, uint64_t side, std::vector<uint64_t>& sums) {
    std::fill(sums.begin(), sums.end(), 0);
    for (size_t x = 0; x < across.size(); ++x) {
        uint64_t* here = &sums[3 * static_cast<size_t>(across[x].Target)];
        const uint64_t weight = across[x].Weight, rest = side - weight;
        for (int c = 0; c < 3; ++c) {
            const uint64_t colour = OverBlack(row[x], 16 - 8 * c);
            here[c] += colour * weight;
            here[c + 3] += colour * rest;
        }
    }
}

void AddRow(const std::vector<uint64_t>& row, uint64_t weight, std::vector<uint64_t>& sums) {
    for (size_t k = 0; k < sums.size(); ++k) sums[k] += row[k] * weight;
}

void WriteRow(const std::vector<uint64_t>& sums, double scale, uint32_t* target, int32_t width) {
    for (int32_t x = 0; x < width; ++x) {
        uint32_t pixel = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            pixel |= static_cast<uint32_t>(static_cast<double>(sums[3 * static_cast<size_t>(x) + c]) * scale + 0.5)
                     << (16 - 8 * c);
        target[x] = pixel;
    }
}

}  // namespace

void ReducePixels(const uint32_t* Source, int32_t SourceWidth, int32_t SourceHeight, uint32_t* Target, int32_t Width,
                  int32_t Height) {
    if (Width < 1 || Height < 1 || Width > SourceWidth || Height > SourceHeight) return;
    const std::vector<TFall> across = FallsOf(SourceWidth, Width), down = FallsOf(SourceHeight, Height);
    const size_t sums = 3 * (static_cast<size_t>(Width) + 1);
    std::vector<uint64_t> row(sums), current(sums), next(sums);
    // Each sum is a colour times the source's width and height.
    const double scale = 1.0 / (static_cast<double>(SourceWidth) * static_cast<double>(SourceHeight));
    int32_t y = 0;
    for (int32_t sourceRow = 0; sourceRow < SourceHeight; ++sourceRow) {
        const TFall fall = down[static_cast<size_t>(sourceRow)];
        if (fall.Target > y) {
            WriteRow(current, scale, Target + static_cast<size_t>(y) * static_cast<size_t>(Width), Width);
            std::swap(current, next);
            std::fill(next.begin(), next.end(), 0);
            y = fall.Target;
        }
        ReduceRow(Source + static_cast<size_t>(sourceRow) * static_cast<size_t>(SourceWidth), across,
                  static_cast<uint64_t>(Width), row);
        AddRow(row, fall.Weight, current);
        AddRow(row, static_cast<uint64_t>(Height) - fall.Weight, next);
    }
    WriteRow(current, scale, Target + static_cast<size_t>(y) * static_cast<size_t>(Width), Width);
}
