#pragma once

#include "link/raster.h"
#include "link/resultcode.h"
#include "patternstep.h"

#include <cstdint>
#include <vector>

namespace checkprint
{
// Raster colour codes, in the order the layouts print them.
enum Ink : uint8_t {
    Black = 0,
    Cyan = 2,
    LightCyan = 18,
    Magenta = 1,
    LightMagenta = 17,
    Yellow = 4,
    NoInk = 255 // ends a colour list
};
constexpr Ink InkOrder[] = {Black, Cyan, LightCyan, Magenta, LightMagenta, Yellow};

// Dot-size modes.
enum DotSize : uint8_t { Vsd1 = 16, Vsd2 = 17, Vsd3 = 18, Eco = 19 };

// One raster line as runs of equal bytes; adjacent runs of one value are joined.
class Line
{
public:
    explicit Line(int width = 0) { Add(width, 0x00); }
    static Line Empty() { return Line(0); }

    Line &Add(int count, uint8_t value);
    // Puts a single byte at a byte column (the line keeps its width).
    Line &Set(int column, uint8_t value);
    // Puts a value-3 dot at a dot position (four dots a byte, the leftmost in the high bits).
    Line &Dot(int dot);
    int Width() const;

    // Run-length records of at most 120 copies each.
    uint16_t Write(TPRaster &raster) const;
    // Every byte as a one-byte literal record.
    uint16_t WriteLiteral(TPRaster &raster) const;

private:
    struct Run {
        int count;
        uint8_t value;
    };
    std::vector<uint8_t> Bytes() const;
    std::vector<Run> runs_;
};

// SetRasterResolution (360 base, lines 1/120 inch, dots 1/360 inch), then the raster header
// of a run-length block of width x lines in an ink, two bits a dot.
uint16_t BeginBlock(TPRaster &raster, uint8_t ink, uint16_t width, uint16_t lines);
// count blank lines of a width.
uint16_t BlankLines(TPRaster &raster, int width, int count);
// count copies of one line.
uint16_t Lines(TPRaster &raster, const Line &line, int count);
// A text with its terminating zero byte (withZero) or without it.
uint16_t AppendText(TPRaster &raster, const char *text, bool withZero = true);
// Raw command bytes that the stream has no operation for.
uint16_t AppendBytes(TPRaster &raster, std::initializer_list<uint8_t> bytes);
} // namespace checkprint
