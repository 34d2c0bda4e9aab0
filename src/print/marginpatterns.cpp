#include "marginpatterns.h"

#include "link/raster.h"
#include "link/resultcode.h"
#include "patterngeometry.h"

#include <functional>
#include <initializer_list>

namespace
{
using Step = std::function<uint16_t()>;

// Runs the steps in order and stops at the first one that does not give Ok.
uint16_t RunSteps(std::initializer_list<Step> steps)
{
    for (const Step &step : steps) {
        const uint16_t code = step();
        if (code != TPResult::Ok)
            return code;
    }
    return TPResult::Ok;
}

// Raster blocks: lines 1/120 inch apart (the nozzle pitch), 360 dots per inch across, two
// bits per dot, run-length encoded.
constexpr uint8_t ResolutionLow = 104; // 360 = 104 + 256
constexpr uint8_t ResolutionHigh = 1;
constexpr uint8_t LinesPerBase = 3;
constexpr uint8_t DotsPerBase = 1;
constexpr uint8_t RunLength = 1;
constexpr uint8_t TwoBitDots = 2;
constexpr uint8_t Black = 0;
constexpr uint16_t NozzleRow = 90; // lines of one pass

constexpr uint8_t UnitOf360 = 10; // u/3600 inch
constexpr uint8_t Unidirectional = 1;
constexpr uint8_t Vsd1 = 16;
constexpr uint8_t ColorModeBlack = 1;

// A4 in 1/360 inch, and the page format both patterns send.
constexpr uint32_t A4Width = 2976;
constexpr uint32_t A4LengthFirstDot = 4208;
constexpr uint32_t A4LengthTopMargin = 4209;
constexpr uint16_t PageTop = 42;
constexpr uint16_t PageBottom = 4167;
constexpr uint32_t PageLength = 4167;

uint8_t ByteOf(uint32_t value, int index)
{
    return static_cast<uint8_t>(value >> (8 * index));
}

uint16_t PaperSize(TPRaster &raster, uint32_t width, uint32_t length)
{
    return raster.SetPaperSize(ByteOf(width, 0), ByteOf(width, 1), ByteOf(width, 2),
                               ByteOf(width, 3), ByteOf(length, 0), ByteOf(length, 1),
                               ByteOf(length, 2), ByteOf(length, 3));
}

// "A block of W x L in color C".
uint16_t Block(TPRaster &raster, uint8_t color, uint16_t bytesPerLine, uint16_t lines)
{
    return RunSteps({
        [&] {
            return raster.SetRasterResolution(ResolutionLow, ResolutionHigh, LinesPerBase,
                                              DotsPerBase);
        },
        [&] { return raster.RasterHeader(color, RunLength, TwoBitDots, bytesPerLine, lines); },
    });
}

// A fixed text line with the zero byte that ends its template.
template <size_t N> uint16_t TextLine(TPRaster &raster, const char (&text)[N])
{
    return raster.Append(reinterpret_cast<const uint8_t *>(text), static_cast<int>(N));
}

// First dot block: 720 bytes a line; 29 lines with one value-3 dot at the very left, then
// blank lines to the end of the pass.
constexpr uint16_t FirstDotWidth = 720;
constexpr int FirstDotMarkedLines = TPPatternGeometry::FirstDotMarkLines;
constexpr uint8_t LeftLargeDot = 0xC0;

uint16_t FirstDotRaster(TPRaster &raster)
{
    for (int line = 0; line < FirstDotMarkedLines; ++line) {
        const uint16_t code = RunSteps({
            [&] { return raster.RepeatSend(1, LeftLargeDot); },
            [&] { return raster.RepeatSendSplit(FirstDotWidth - 1, 0); },
        });
        if (code != TPResult::Ok)
            return code;
    }
    return raster.RepeatSendSplit((NozzleRow - FirstDotMarkedLines) * FirstDotWidth, 0);
}

// Top margin block: 106 bytes a line; the first line solid, the rest of the pass blank.
constexpr uint16_t TopMarginWidth = TPPatternGeometry::TopMarginLineBytes;
constexpr uint8_t FourLargeDots = 0xFF;

uint16_t TopMarginRaster(TPRaster &raster)
{
    return RunSteps({
        [&] { return raster.RepeatSend(TopMarginWidth, FourLargeDots); },
        [&] { return raster.RepeatSendSplit((NozzleRow - 1) * TopMarginWidth, 0); },
    });
}
} // namespace

uint16_t FirstDotPattern(TPRaster &raster)
{
    return RunSteps({
        [&] { return raster.BeginGraphicsPage(UnitOf360, Unidirectional, Vsd1, ColorModeBlack); },
        [&] { return PaperSize(raster, A4Width, A4LengthFirstDot); },
        [&] { return raster.SetPageFormat(PageTop, PageBottom); },
        [&] { return Block(raster, Black, FirstDotWidth, NozzleRow); },
        [&] { return FirstDotRaster(raster); },
        [&] { return raster.Reset(); },
        [&] { return raster.Flush(); },
        [&] { return TextLine(raster, "    First dot adjustment"); },
        [&] { return raster.NewLines(1); },
        [&] { return raster.Flush(); },
        [&] { return raster.EndPage(); },
    });
}

uint16_t TopMarginPattern(TPRaster &raster)
{
    return RunSteps({
        [&] { return raster.Reset(); },
        [&] { return raster.EnterGraphicsMode(); },
        [&] { return PaperSize(raster, A4Width, A4LengthTopMargin); },
        [&] { return raster.SetPageFormat(PageTop, PageBottom); },
        [&] { return raster.SetPageLength(PageLength); },
        [&] { return raster.SetUnit(UnitOf360); },
        [&] { return raster.SetPrintDirection(Unidirectional); },
        [&] { return raster.SetDotSize(Vsd1); },
        [&] { return raster.SetColorMode(ColorModeBlack); },
        [&] { return Block(raster, Black, TopMarginWidth, NozzleRow); },
        [&] { return TopMarginRaster(raster); },
        [&] { return raster.Reset(); },
        [&] { return raster.Flush(); },
        [&] {
            return TextLine(raster,
                            "                                            Top Margin Adjustment");
        },
        [&] { return raster.NewLines(2); },
        [&] { return raster.Flush(); },
    });
}
