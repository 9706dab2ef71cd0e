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
    uint32_t Weight;
};

std::vector<TFall> FallsOf(int32_t sourceSide, int32_t side) {
    std::vector<TFall> falls(static_cast<size_t>(sourceSide));
    for (int32_t s = 0; s < sourceSide; ++s) {
        const uint64_t begin = static_cast<uint64_t>(s) * static_cast<uint64_t>(side);
        const uint64_t target = begin / static_cast<uint64_t>(sourceSide);
        const uint64_t targetEnd = (target + 1) * static_cast<uint64_t>(sourceSide);
        falls[static_cast<size_t>(s)] = {
            static_cast<int32_t>(target),
            static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(side), targetEnd - begin))};
    }
    return falls;
}

// A pixel's red, green and blue shown over black by its alpha: 0 to 255 each.
struct TColour {
    uint64_t Red, Green, Blue;
};

TColour OverBlack(uint32_t pixel) {
    const uint32_t alpha = pixel >> 24, red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    if (alpha == 0xFF) return {red, green, blue};
    return {(red * alpha + 127) / 255, (green * alpha + 127) / 255, (blue * alpha + 127) / 255};
}

// Every sum is a whole number below 2 to the 53rd (255 times the source's pixels at most), which a
// double holds exactly: the rows' sums add and multiply as doubles, quicker and to the same result.
void Store(uint64_t red, uint64_t green, uint64_t blue, double* sums) {
    sums[0] = static_cast<double>(static_cast<int64_t>(red));
    sums[1] = static_cast<double>(static_cast<int64_t>(green));
    sums[2] = static_cast<double>(static_cast<int64_t>(blue));
}

// One source row reduced across into three sums per target pixel, each a colour times the source
// width. A source pixel reaches into the next target pixel at most, so the sums of the target pixel
// under way and of the next one stay in registers, and each is written once.
void ReduceRow(const uint32_t* row, const std::vector<TFall>& across, uint64_t side, double* sums) {
    uint64_t red = 0, green = 0, blue = 0, nextRed = 0, nextGreen = 0, nextBlue = 0;
    int32_t target = 0;
    for (size_t x = 0; x < across.size(); ++x) {
        if (across[x].Target != target) {
            Store(red, green, blue, sums + 3 * static_cast<size_t>(target));
            red = nextRed, green = nextGreen, blue = nextBlue;
            nextRed = nextGreen = nextBlue = 0;
            target = across[x].Target;
        }
        const TColour colour = OverBlack(row[x]);
        const uint64_t weight = across[x].Weight, rest = side - weight;
        red += colour.Red * weight, green += colour.Green * weight, blue += colour.Blue * weight;
        nextRed += colour.Red * rest, nextGreen += colour.Green * rest, nextBlue += colour.Blue * rest;
    }
    // The last source pixel ends where the last target pixel does: nothing is left for a next one.
    Store(red, green, blue, sums + 3 * static_cast<size_t>(target));
}

// The reduced row added to the target row it starts in by its weight and to the next by the rest.
void AddRow(const std::vector<double>& row, double weight, double rest, std::vector<double>& current,
            std::vector<double>& next) {
    for (size_t k = 0; k < row.size(); ++k) {
        current[k] += row[k] * weight;
        next[k] += row[k] * rest;
    }
}

uint32_t Channel(double sum, double scale) { return static_cast<uint32_t>(static_cast<int32_t>(sum * scale + 0.5)); }

void WriteRow(const std::vector<double>& sums, double scale, uint32_t* target, int32_t width) {
    for (int32_t x = 0; x < width; ++x) {
        const double* pixel = &sums[3 * static_cast<size_t>(x)];
        target[x] = 0xFF000000u | Channel(pixel[0], scale) << 16 | Channel(pixel[1], scale) << 8 |
                    Channel(pixel[2], scale);
    }
}

}  // namespace

void ReducePixels(const uint32_t* Source, int32_t SourceWidth, int32_t SourceHeight, uint32_t* Target, int32_t Width,
                  int32_t Height) {
    if (Width < 1 || Height < 1 || Width > SourceWidth || Height > SourceHeight) return;
    const std::vector<TFall> across = FallsOf(SourceWidth, Width), down = FallsOf(SourceHeight, Height);
    const size_t sums = 3 * static_cast<size_t>(Width);
    std::vector<double> row(sums), current(sums), next(sums);
    // Each sum is a colour times the source's width and height.
    const double scale = 1.0 / (static_cast<double>(SourceWidth) * static_cast<double>(SourceHeight));
    int32_t y = 0;
    for (int32_t sourceRow = 0; sourceRow < SourceHeight; ++sourceRow) {
        const TFall fall = down[static_cast<size_t>(sourceRow)];
        if (fall.Target > y) {
            WriteRow(current, scale, Target + static_cast<size_t>(y) * static_cast<size_t>(Width), Width);
            std::swap(current, next);
            std::fill(next.begin(), next.end(), 0.0);
            y = fall.Target;
        }
        ReduceRow(Source + static_cast<size_t>(sourceRow) * static_cast<size_t>(SourceWidth), across,
                  static_cast<uint64_t>(Width), row.data());
        AddRow(row, fall.Weight, static_cast<double>(Height) - fall.Weight, current, next);
    }
    WriteRow(current, scale, Target + static_cast<size_t>(y) * static_cast<size_t>(Width), Width);
}
