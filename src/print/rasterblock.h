#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

class TPRaster;

// One decoded raster line of the adjustment patterns (720 bytes: the full 8-inch width at four
// dots a byte) and the blocks made of such lines. A block is written as its resolution and
// header, then each line run-length encoded: every stretch of equal bytes becomes records of
// at most 120 copies.
namespace TPRasterBlock
{
constexpr uint16_t LineBytes = 720;
constexpr uint16_t BlockLines = 90; // one pass of the 90-nozzle row
using Line = std::array<uint8_t, LineBytes>;

// A stretch of identical lines inside a block.
struct Lines {
    int count;
    const Line *line;
};

// Copies bytes into line from byte column on.
void Place(Line &line, int column, std::initializer_list<uint8_t> bytes);
// Sets count bytes of value from column on.
void Fill(Line &line, int column, int count, uint8_t value);

uint16_t SendLine(TPRaster &raster, const Line &line);
// SetRasterResolution (104, 1, 3, 1), RasterHeader (color, 1, 2, 720, lines of the stretches)
// and the lines. The stretches must add up to BlockLines.
uint16_t SendBlock(TPRaster &raster, uint8_t color, std::initializer_list<Lines> stretches);
} // namespace TPRasterBlock
