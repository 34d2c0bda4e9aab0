#include "bidcheckblock.h"

#include "rasterlines.h"

#include <vector>

using namespace checkprint;

namespace
{
constexpr int Width = 720;
constexpr int BlockLines = 90;
constexpr int BarLines = 27;
constexpr int GroupsPerSide = 8;
constexpr uint8_t Unit360 = 10;
constexpr uint8_t Unit720 = 5;
constexpr uint8_t Forward = 1;
constexpr uint8_t Return = 3;

struct ModeLook {
    int passes;
    uint8_t dots; // the bar byte D
};

bool LookOf(uint8_t mode, ModeLook *look)
{
    switch (mode) {
    case Vsd1:
    case Vsd2:
        *look = {1, 0xAA};
        return true;
    case Vsd3:
        *look = {3, 0x55};
        return true;
    case Eco:
        *look = {1, 0xFF};
        return true;
    default:
        return false;
    }
}

// The bar line: eight side groups, the centre group, eight side groups. Forward groups hold
// two bars, return groups three that fall between and beside them.
Line BarLine(uint8_t d, bool forward)
{
    // Forward: gap, bar, gap, bar, gap. Return: bar, gap, bar, gap, bar.
    const uint8_t outer = forward ? 0 : d;
    const uint8_t inner = forward ? d : 0;
    Line line = Line::Empty();
    auto group = [&line, outer, inner](int lead, int tail) {
        line.Add(lead, 0).Add(4, outer).Add(4, inner).Add(4, outer).Add(4, inner).Add(4, outer);
        line.Add(tail, 0);
    };
    for (int i = 0; i < GroupsPerSide; ++i)
        group(0, 22);
    group(3, 25); // the centre group
    for (int i = 0; i < GroupsPerSide; ++i)
        group(0, 22);
    return line;
}

uint16_t BeginDirection(TPRaster &raster, uint8_t mode, uint8_t colorMode, uint8_t direction)
{
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetDotSize(mode));
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetColorMode(colorMode));
    TP_STEP(raster.SetPrintDirection(direction));
    return raster.SetHorizontalPosition(0);
}

uint16_t BarBlock(TPRaster &raster, uint8_t ink, uint8_t d, bool forward)
{
    constexpr int MarkColumn = 339;
    constexpr int MarkWidth = 20;
    TP_STEP(BeginBlock(raster, ink, Width, BlockLines));
    TP_STEP(Line(Width).Set(0, 0x40).Write(raster)); // one dot at the left edge
    int lines = 1;
    if (forward) {
        // A solid mark above the centre group.
        TP_STEP(BlankLines(raster, Width, 14));
        const Line mark = Line::Empty()
                              .Add(MarkColumn, 0)
                              .Add(MarkWidth, 0xFF)
                              .Add(Width - MarkColumn - MarkWidth, 0);
        TP_STEP(Lines(raster, mark, 5));
        TP_STEP(BlankLines(raster, Width, 10));
        lines += 14 + 5 + 10;
    } else {
        TP_STEP(BlankLines(raster, Width, 29));
        lines += 29;
    }
    TP_STEP(Lines(raster, BarLine(d, forward), BarLines));
    lines += BarLines;
    TP_STEP(BlankLines(raster, Width, BlockLines - lines - 1));
    TP_STEP(Line(Width).Set(Width - 1, 0x01).Write(raster)); // one dot at the right edge
    return raster.SetHorizontalPosition(0);
}
} // namespace

uint16_t BidCheckBlock(TPRaster &raster, uint8_t mode, uint8_t first, uint8_t second, uint8_t third)
{
    ModeLook look{};
    if (!LookOf(mode, &look))
        return TPResult::RequestRefused;
    std::vector<uint8_t> inks;
    for (const uint8_t ink : {first, second, third}) {
        if (ink == NoInk)
            break;
        inks.push_back(ink);
    }
    const uint8_t colorMode = first == Black ? 1 : 0;
    for (int pass = 0; pass < look.passes; ++pass) {
        TP_STEP(raster.Reset());
        TP_STEP(BeginDirection(raster, mode, colorMode, Forward));
        for (const uint8_t ink : inks)
            TP_STEP(BarBlock(raster, ink, look.dots, true));
        TP_STEP(raster.Feed(0));
        TP_STEP(BeginDirection(raster, mode, colorMode, Return));
        for (const uint8_t ink : inks)
            TP_STEP(BarBlock(raster, ink, look.dots, false));
        TP_STEP(raster.SetUnit(Unit720));
        TP_STEP(raster.Feed(2));
        TP_STEP(raster.SetUnit(Unit360));
    }
    TP_STEP(raster.Feed(190));
    return raster.Reset();
}
