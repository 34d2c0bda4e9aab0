#include "rasterblock.h"

#include "link/raster.h"
#include "link/resultcode.h"

#include <cstddef>

namespace TPRasterBlock
{
namespace
{
constexpr uint8_t ResolutionLow = 104; // base 360
constexpr uint8_t ResolutionHigh = 1;
constexpr uint8_t LinePitch = 3; // lines 1/120 inch apart
constexpr uint8_t DotPitch = 1;  // 360 dots per inch
constexpr uint8_t RunLength = 1;
constexpr uint8_t TwoBitsPerDot = 2;
} // namespace

void Place(Line &line, int column, std::initializer_list<uint8_t> bytes)
{
    for (uint8_t byte : bytes)
        line[static_cast<std::size_t>(column++)] = byte;
}

void Fill(Line &line, int column, int count, uint8_t value)
{
    for (int i = 0; i < count; ++i)
        line[static_cast<std::size_t>(column + i)] = value;
}

namespace
{
struct Run {
    int count;
    uint8_t value;
};
// The stretches of equal bytes of a line (at most one per byte).
int RunsOf(const Line &line, std::array<Run, LineBytes> &runs)
{
    int used = 0;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = start + 1;
        while (end < line.size() && line[end] == line[start])
            ++end;
        runs[static_cast<std::size_t>(used++)] = {static_cast<int>(end - start), line[start]};
        start = end;
    }
    return used;
}

uint16_t SendRuns(TPRaster &raster, const std::array<Run, LineBytes> &runs, int used)
{
    for (int i = 0; i < used; ++i) {
        const Run &run = runs[static_cast<std::size_t>(i)];
        const uint16_t sent = raster.RepeatSendSplit(run.count, run.value);
        if (sent != TPResult::Ok)
            return sent;
    }
    return TPResult::Ok;
}
} // namespace

uint16_t SendLine(TPRaster &raster, const Line &line)
{
    std::array<Run, LineBytes> runs;
    return SendRuns(raster, runs, RunsOf(line, runs));
}

uint16_t SendBlock(TPRaster &raster, uint8_t color, std::initializer_list<Lines> stretches)
{
    int lines = 0;
    for (const Lines &stretch : stretches)
        lines += stretch.count;
    uint16_t result =
        raster.SetRasterResolution(ResolutionLow, ResolutionHigh, LinePitch, DotPitch);
    if (result == TPResult::Ok)
        result = raster.RasterHeader(color, RunLength, TwoBitsPerDot, LineBytes,
                                     static_cast<uint16_t>(lines));
    // Each stretch's line is scanned once and its runs sent for every line of the stretch.
    std::array<Run, LineBytes> runs;
    for (const Lines &stretch : stretches) {
        const int used = RunsOf(*stretch.line, runs);
        for (int i = 0; i < stretch.count && result == TPResult::Ok; ++i)
            result = SendRuns(raster, runs, used);
    }
    return result;
}
} // namespace TPRasterBlock
