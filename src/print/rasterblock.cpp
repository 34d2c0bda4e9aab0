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

uint16_t SendLine(TPRaster &raster, const Line &line)
{
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = start + 1;
        while (end < line.size() && line[end] == line[start])
            ++end;
        const uint16_t sent = raster.RepeatSendSplit(static_cast<int>(end - start), line[start]);
        if (sent != TPResult::Ok)
            return sent;
        start = end;
    }
    return TPResult::Ok;
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
    for (const Lines &stretch : stretches) {
        for (int i = 0; i < stretch.count && result == TPResult::Ok; ++i)
            result = SendLine(raster, *stretch.line);
    }
    return result;
}
} // namespace TPRasterBlock
