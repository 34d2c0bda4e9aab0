#include "checklayouts.h"

#include "rasterlines.h"

#include <algorithm>

using namespace checkprint;

namespace TPCheckLayouts
{
namespace
{
constexpr uint8_t Unit360 = 10; // 1/360 inch
constexpr uint8_t Unit120 = 30; // 1/120 inch
constexpr uint8_t Forward = 1;  // unidirectional
constexpr uint8_t ColorModeOne = 1;
constexpr int PassLines = 90; // one pass of the 90-nozzle row
constexpr int FullWidth = 720;
constexpr int PassesPerBand = 3;

// Header and first line of a pass: graphics mode, 1/360 inch unit, forward, a dot size.
uint16_t BeginHeadCheck(TPRaster &raster, uint8_t dotSize)
{
    TP_STEP(raster.Reset());
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetPrintDirection(Forward));
    return raster.SetDotSize(dotSize);
}

// Carriage return to the left edge of the same band.
uint16_t SameBand(TPRaster &raster)
{
    TP_STEP(raster.SetUnit(Unit360));
    return raster.Feed(0);
}

// The next pass, 1/360 inch below.
uint16_t NextPass(TPRaster &raster, uint16_t feed = 1)
{
    TP_STEP(raster.SetUnit(Unit360));
    return raster.Feed(feed);
}

// One block of every line alike.
uint16_t UniformBlock(TPRaster &raster, uint8_t ink, const Line &line, int lines)
{
    TP_STEP(
        BeginBlock(raster, ink, static_cast<uint16_t>(line.Width()), static_cast<uint16_t>(lines)));
    return Lines(raster, line, lines);
}

// Dot alignment: one block per ink and dot size, each at its own absolute position.
uint16_t DotAlignmentHalf(TPRaster &raster, int half)
{
    constexpr uint8_t Sizes[] = {Vsd1, Vsd2};
    constexpr uint8_t Marks[] = {0xF0, 0x55};
    constexpr int ColumnStep = 160; // 1/360 inch between the inks' blocks
    constexpr int Width = 80;
    constexpr int Gap = 11;
    TP_STEP(raster.SetColorMode(ColorModeOne));
    TP_STEP(raster.SetDotSize(Sizes[half]));
    const uint8_t mark = Marks[half];
    const Line line = Line::Empty().Add(1, mark).Add(Gap, 0).Add(1, mark).Add(Width - 2 - Gap, 0);
    int index = 0;
    for (const Ink ink : InkOrder) {
        const int position = ColumnStep * (6 * half + index++);
        TP_STEP(AppendBytes(raster, {0x1B, 0x24, static_cast<uint8_t>(position & 0xFF),
                                     static_cast<uint8_t>(position >> 8)}));
        TP_STEP(UniformBlock(raster, ink, line, PassLines));
    }
    return SameBand(raster);
}

// Nozzle column shift: 11 dots of 0x55 in every ten bytes, in the upper or lower half.
uint16_t ColumnShiftBlock(TPRaster &raster, uint8_t ink, bool upperHalf)
{
    constexpr int Width = 110;
    constexpr int Half = PassLines / 2;
    Line marks = Line::Empty();
    for (int i = 0; i < 11; ++i)
        marks.Add(1, 0x55).Add(9, 0x00);
    TP_STEP(BeginBlock(raster, ink, Width, PassLines));
    TP_STEP(upperHalf ? Lines(raster, marks, Half) : BlankLines(raster, Width, Half));
    TP_STEP(upperHalf ? BlankLines(raster, Width, Half) : Lines(raster, marks, Half));
    return AppendBytes(raster, {0x1B, 0x5C, 0x32, 0x00}); // 50 units to the right
}

// The six ink patches side by side, each on its own stretch of the line.
uint16_t InkPatches(TPRaster &raster, uint8_t fill)
{
    constexpr int Stretch = 120;
    constexpr int Margin = 2;
    int index = 0;
    for (const Ink ink : InkOrder) {
        const int lead = index == 0 ? 0 : Stretch * index + Margin;
        const int length = index == 0 ? Stretch : Stretch - Margin;
        const Line line =
            Line::Empty().Add(lead, 0).Add(length, fill).Add(FullWidth - lead - length, 0);
        TP_STEP(UniformBlock(raster, ink, line, PassLines));
        if (++index < 6)
            TP_STEP(raster.Feed(0));
    }
    return TPResult::Ok;
}

// A black block 727 x 68, blank but for one line.
uint16_t EdgeLineBlock(TPRaster &raster, int lineIndex, const Line &line)
{
    constexpr int Width = 727;
    constexpr int BlockLines = 68;
    TP_STEP(raster.Reset());
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetColorMode(ColorModeOne));
    TP_STEP(raster.SetDotSize(Vsd1));
    TP_STEP(BeginBlock(raster, Black, Width, BlockLines));
    TP_STEP(BlankLines(raster, Width, lineIndex));
    TP_STEP(line.Write(raster));
    TP_STEP(BlankLines(raster, Width, BlockLines - lineIndex - 1));
    return raster.Feed(0);
}

// The inclined-head block: nine groups of bars in the middle, end dots on its first line.
uint16_t InclinedBlock(TPRaster &raster)
{
    constexpr int Side = 279;
    constexpr int BlockLines = 85;
    Line line(0);
    line.Add(Side, 0);
    for (int group = 0; group < 9; ++group)
        line.Add(1, 0xFF).Add(1, 0x0F).Add(1, 0xF0).Add(15, 0x00);
    line.Add(Side, 0);
    Line first = line;
    first.Set(0, 0x40).Set(FullWidth - 1, 0x01);
    TP_STEP(BeginBlock(raster, Black, FullWidth, BlockLines));
    TP_STEP(first.Write(raster));
    return Lines(raster, line, BlockLines - 1);
}

uint16_t BeginInclined(TPRaster &raster, uint8_t direction, uint16_t feed)
{
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetPrintDirection(direction));
    TP_STEP(raster.SetColorMode(ColorModeOne));
    TP_STEP(raster.SetDotSize(Vsd1));
    TP_STEP(raster.SetUnit(Unit360));
    return raster.FeedLong(feed);
}
} // namespace

int ClampEdgeOffset(int offset)
{
    return std::clamp(offset, MinEdgeOffset, MaxEdgeOffset);
}

uint16_t DotAlignmentPattern(TPRaster &raster)
{
    TP_STEP(raster.Reset());
    TP_STEP(AppendText(raster, "Dot mis-alignment(Horizontal)/BendLine(BK-C-LC-M-LM-Y)\r\n"));
    TP_STEP(AppendText(raster, "VSD1                      VSD2                    \r\n"));
    TP_STEP(AppendText(raster, "BK   C   LC  M   LM   Y   BK   C   LC   M   LM   Y\r\n"));
    TP_STEP(BeginHeadCheck(raster, Vsd1));
    constexpr int Bands = 2;
    constexpr uint16_t BandFeed = 267;
    for (int band = 0; band < Bands; ++band) {
        for (int pass = 0; pass < PassesPerBand; ++pass) {
            TP_STEP(DotAlignmentHalf(raster, 0));
            TP_STEP(DotAlignmentHalf(raster, 1));
            TP_STEP(NextPass(raster));
        }
        TP_STEP(NextPass(raster, BandFeed));
    }
    TP_STEP(raster.SetUnit(Unit120));
    TP_STEP(raster.Feed(6));
    TP_STEP(raster.Reset());
    return raster.Flush();
}

uint16_t NozzleColumnShiftPattern(TPRaster &raster)
{
    TP_STEP(raster.Reset());
    TP_STEP(AppendText(raster, "Nozzle Column Shift\r\n"));
    TP_STEP(
        AppendText(raster, "    B-C          B-LC          B-M          B-LM          B-Y \r\n"));
    TP_STEP(raster.Flush());
    TP_STEP(BeginHeadCheck(raster, Vsd3));
    constexpr int BlackColumns = 5;
    for (int pass = 0; pass < PassesPerBand; ++pass) {
        for (int column = 0; column < BlackColumns; ++column)
            TP_STEP(ColumnShiftBlock(raster, Black, true));
        TP_STEP(SameBand(raster));
        for (const Ink ink : {Cyan, LightCyan, Magenta, LightMagenta, Yellow})
            TP_STEP(ColumnShiftBlock(raster, ink, false));
        TP_STEP(NextPass(raster));
    }
    TP_STEP(raster.SetUnit(Unit120));
    TP_STEP(raster.Feed(90));
    TP_STEP(raster.Feed(6));
    TP_STEP(raster.Reset());
    return raster.Flush();
}

uint16_t VariableDotPattern(TPRaster &raster)
{
    TP_STEP(raster.Reset());
    TP_STEP(AppendText(raster, "VSD2\t Variable Dot\r\n"));
    TP_STEP(raster.Flush());
    TP_STEP(BeginHeadCheck(raster, Vsd2));
    TP_STEP(raster.SetColorMode(ColorModeOne));
    constexpr int Third = FullWidth / 3;
    const Line line = Line::Empty().Add(Third, 0xFF).Add(Third, 0xAA).Add(Third, 0x55);
    for (int pass = 0; pass < PassesPerBand; ++pass) {
        TP_STEP(UniformBlock(raster, Black, line, PassLines));
        TP_STEP(NextPass(raster));
    }
    TP_STEP(NextPass(raster, 284));
    TP_STEP(raster.Reset());
    return raster.Flush();
}

uint16_t BetaPattern(TPRaster &raster)
{
    TP_STEP(raster.Reset());
    TP_STEP(AppendText(raster, "BETA(BK-C-LC-M-LM-Y) / DOT(BK-C-LC-M-LM-Y)\r\n"));
    TP_STEP(raster.Flush());
    TP_STEP(BeginHeadCheck(raster, Vsd1));
    for (int pass = 0; pass < PassesPerBand; ++pass) {
        TP_STEP(InkPatches(raster, 0xFF));
        TP_STEP(NextPass(raster));
        TP_STEP(raster.SetUnit(Unit120));
    }
    return raster.Feed(89);
}

uint16_t DotSizePattern(TPRaster &raster)
{
    TP_STEP(raster.Reset());
    TP_STEP(AppendText(raster, "DOT(BK-C-LC-M-LM-Y) VSD1(L)-VSD3(S)\r\n"));
    TP_STEP(raster.Flush());
    TP_STEP(raster.Reset());
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetPrintDirection(Forward));
    struct Section {
        uint8_t dotSize;
        uint8_t fill;
    };
    constexpr int BandsPerSection = 2;
    for (const Section section : {Section{Vsd1, 0xFF}, Section{Vsd3, 0x55}}) {
        TP_STEP(raster.SetDotSize(section.dotSize));
        for (int band = 0; band < BandsPerSection; ++band) {
            TP_STEP(InkPatches(raster, section.fill));
            TP_STEP(raster.SetUnit(Unit120));
            TP_STEP(raster.Feed(PassLines));
            TP_STEP(raster.SetUnit(Unit360));
        }
        TP_STEP(raster.Feed(30));
    }
    return TPResult::Ok;
}

uint16_t TopEdgeLinePattern(TPRaster &raster, int offset)
{
    constexpr int Middle = 47;
    const Line line = Line::Empty().Add(42, 0xFF).Add(643, 0).Add(42, 0xFF);
    return EdgeLineBlock(raster, Middle + ClampEdgeOffset(offset), line);
}

uint16_t BottomEdgeLinePattern(TPRaster &raster, int offset)
{
    constexpr int Middle = 47;
    const Line line = Line::Empty().Add(5, 0).Add(42, 0xFF).Add(633, 0).Add(42, 0xFF).Add(5, 0);
    return EdgeLineBlock(raster, Middle - ClampEdgeOffset(offset), line);
}

uint16_t SideDotPattern(TPRaster &raster, int offset)
{
    constexpr int Width = 28;
    constexpr int Blank = 40;
    constexpr int Marked = 50;
    constexpr int FirstDot = 71;
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetColorMode(ColorModeOne));
    TP_STEP(raster.SetDotSize(Vsd1));
    TP_STEP(BeginBlock(raster, Black, Width, PassLines));
    TP_STEP(BlankLines(raster, Width, Blank));
    Line line(Width);
    line.Dot(FirstDot + 2 * ClampEdgeOffset(offset));
    for (int i = 0; i < Marked; ++i)
        TP_STEP(line.WriteLiteral(raster));
    TP_STEP(raster.Feed(0));
    return raster.Reset();
}

uint16_t CornerMarkPattern(TPRaster &raster)
{
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetPrintDirection(Forward));
    TP_STEP(raster.SetDotSize(Vsd1));
    TP_STEP(raster.SetColorMode(0));
    TP_STEP(raster.FeedLong(0));
    TP_STEP(BeginBlock(raster, Black, FullWidth, PassLines));
    TP_STEP(Line::Empty().Add(FullWidth, 0xFF).Write(raster));
    TP_STEP(Lines(raster, Line::Empty().Add(1, 0xC0).Add(FullWidth - 1, 0), 59));
    TP_STEP(BlankLines(raster, FullWidth, 30));
    TP_STEP(raster.FeedLong(0));
    TP_STEP(raster.Feed(24));
    TP_STEP(raster.Feed(120));
    return raster.Flush();
}

uint16_t AccumulatedPitchPattern(TPRaster &raster)
{
    TP_STEP(raster.Reset());
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnitsMixed());
    TP_STEP(raster.SetPrintDirection(Forward));
    TP_STEP(raster.SetDotSize(Vsd1));
    TP_STEP(raster.SetColorMode(0));
    TP_STEP(BeginBlock(raster, Black, FullWidth, PassLines));
    TP_STEP(BlankLines(raster, FullWidth, PassLines - 1));
    TP_STEP(Line::Empty().Add(FullWidth, 0xFF).Write(raster)); // the last nozzle
    TP_STEP(raster.Flush());
    TP_STEP(raster.Reset());
    TP_STEP(raster.Flush());
    TP_STEP(raster.NewLines(3));
    TP_STEP(AppendText(raster, "Accumulated pitch line\r"));
    return raster.Flush();
}

uint16_t InclinedHeadPattern(TPRaster &raster, uint8_t direction)
{
    TP_STEP(BeginInclined(raster, direction, 80));
    for (int pass = 0; pass < PassesPerBand; ++pass) {
        TP_STEP(raster.FeedLong(0));
        TP_STEP(raster.SetHorizontalPosition(0));
        TP_STEP(InclinedBlock(raster));
        TP_STEP(raster.Feed(1));
    }
    TP_STEP(raster.Reset());
    TP_STEP(AppendText(raster, " INCLINED PRINT HEAD\r", false));
    TP_STEP(BeginInclined(raster, direction, 252));
    for (int pass = 0; pass < PassesPerBand; ++pass) {
        TP_STEP(SameBand(raster));
        TP_STEP(raster.SetHorizontalPosition(0));
        TP_STEP(InclinedBlock(raster));
        TP_STEP(raster.Feed(1));
    }
    return NextPass(raster, 312);
}

uint16_t DiagonalBarPattern(TPRaster &raster, int form)
{
    const bool top = form == 1;
    TP_STEP(raster.Reset());
    TP_STEP(raster.EnterGraphicsMode());
    if (top)
        TP_STEP(raster.Flush());
    TP_STEP(raster.SetPrintDirection(Forward));
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetColorMode(top ? 0 : ColorModeOne));
    TP_STEP(raster.SetDotSize(top ? Vsd2 : Vsd1));
    if (!top)
        TP_STEP(raster.Flush());

    constexpr int BlockLines = 58;
    constexpr int Blank = 37;
    constexpr int Steps = 21;
    constexpr int Step = 34; // bytes to the right on every line
    constexpr int Bar = 32;
    TP_STEP(BeginBlock(raster, Black, FullWidth, BlockLines));
    TP_STEP(BlankLines(raster, FullWidth, Blank));
    for (int i = 0; i < Steps; ++i) {
        const int lead = Step * i + 1;
        TP_STEP(
            Line::Empty().Add(lead, 0).Add(Bar, 0xFF).Add(FullWidth - lead - Bar, 0).Write(raster));
    }
    TP_STEP(raster.Feed(0));
    TP_STEP(raster.Reset());
    return top ? raster.Flush() : TPResult::Ok;
}

uint16_t EdgeMarkRows(TPRaster &raster, int firstRow, uint8_t direction)
{
    if (firstRow < 0 || firstRow + RowsPerBand > EdgeRowCount)
        return TPResult::RequestRefused;
    constexpr int Width = 29;
    constexpr int MarkLines = 21;
    constexpr int FirstDot = 55;
    TP_STEP(raster.Reset());
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetPrintDirection(direction));
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetColorMode(0));
    TP_STEP(raster.SetDotSize(Vsd2));
    TP_STEP(BeginBlock(raster, Black, Width, PassLines));
    TP_STEP(BlankLines(raster, Width, 1));
    for (int row = firstRow; row < firstRow + RowsPerBand; ++row) {
        Line line(Width);
        line.Dot(FirstDot + 2 * row).Dot(FirstDot + 1 + 2 * row);
        for (int i = 0; i < MarkLines; ++i)
            TP_STEP(line.WriteLiteral(raster));
        TP_STEP(BlankLines(raster, Width, 1));
    }
    return BlankLines(raster, Width, 1);
}
} // namespace TPCheckLayouts
