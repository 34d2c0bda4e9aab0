#include "bidpattern.h"

#include "link/factory.h"
#include "link/raster.h"
#include "link/statuscontrol.h"
#include "patterngeometry.h"
#include "patternstep.h"
#include "rasterblock.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

using namespace TPRasterBlock;

namespace
{
constexpr uint8_t BlackColor = 0;
constexpr uint8_t LightCyan = 18;
constexpr uint8_t LightMagenta = 17;
constexpr uint8_t Yellow = 4;
constexpr uint8_t KindBlack = 1;
constexpr uint8_t KindColor = 2;
constexpr uint8_t ColorModeBlack = 1;
constexpr uint8_t ColorModeColor = 0;
constexpr uint8_t Forward = 1;
constexpr uint8_t Return = 3;
constexpr uint8_t Unit360 = 10;
constexpr uint8_t Unit720 = 5;
constexpr uint16_t PassStep = 2; // 2/720 inch between the passes of a row
constexpr uint16_t RowFeed = 130;
constexpr int Rows = TPPatternGeometry::BidRows;
constexpr int MiddleRow = TPPatternGeometry::BidMiddleRow;
constexpr const auto &GroupColumns = TPPatternGeometry::BidGroupColumns;
constexpr int CentreColumn = TPPatternGeometry::BidCentreColumn;
constexpr int ValueStep = TPPatternGeometry::BidValueStep;

// Lines of a block: the first line with one dot at the left, 29 blank, 27 lines of bars,
// 33 blank.
constexpr int LeadBlank = 29;
constexpr int BarLines = TPPatternGeometry::BidBarLines;
constexpr int TailBlank = 33;

// Passes per row and the dot byte of the bars, by mode VSD1, VSD2, VSD3, ECO.
struct ModeLook {
    int passes;
    uint8_t dot;
};
constexpr std::array<ModeLook, 4> ModeLooks = {{{1, 0xAA}, {1, 0xAA}, {3, 0x55}, {1, 0xFF}}};

const char *const ModeLabels[] = {"VSD1 ", "VSD2 ", "VSD3 ", "ECO  "};

// Group A (forward): bars at byte 4 and 12; group B (return): bars at 0, 8 and 16, so that
// they fall beside and between the two of group A. Each bar is four bytes; a group is 54.
void PlaceGroupA(Line &line, int column, uint8_t dot)
{
    Fill(line, column + 4, 4, dot);
    Fill(line, column + 12, 4, dot);
}
void PlaceGroupB(Line &line, int column, uint8_t dot)
{
    Fill(line, column, 4, dot);
    Fill(line, column + 8, 4, dot);
    Fill(line, column + 16, 4, dot);
}

uint16_t AppendText(TPRaster &raster, const QByteArray &text, bool withZero)
{
    return raster.Append(reinterpret_cast<const uint8_t *>(text.constData()),
                         text.size() + (withZero ? 1 : 0));
}

// printf formatting of one row label (at most 81 bytes, the longest text line of a layout).
template <typename... Values> QByteArray Format(const char *format, Values... values)
{
    std::array<char, 96> text{};
    const int length = std::snprintf(text.data(), text.size(), format, values...);
    return QByteArray(text.data(), std::min(length, int(text.size()) - 1));
}

uint16_t SendBars(TPRaster &raster, uint8_t color, const Line &bars)
{
    Line first{};
    first.front() = 0x40;
    const Line blank{};
    return SendBlock(raster, color,
                     {{1, &first}, {LeadBlank, &blank}, {BarLines, &bars}, {TailBlank, &blank}});
}
} // namespace

// What every pass of one block shares.
struct TPBidPattern::Block {
    uint8_t mode;
    bool typicalGap;
    uint8_t kind;
    uint8_t colorMode;
    std::vector<uint8_t> colors;
    ModeLook look;
};

TPBidPattern::TPBidPattern(TPRaster &raster, TPStatusControl &status, TPFactory &factory)
    : raster_(raster), status_(status), factory_(factory)
{
}

uint16_t TPBidPattern::BidPage(uint8_t platenGap, uint8_t mode, int blackCentre, int colorCentre)
{
    if (mode < FirstMode || mode > LastMode)
        return TPResult::RequestRefused;
    TP_STEP(AppendText(raster_, ModeLabels[mode - FirstMode], true));
    const char *inkLabel = colorCentre == LeftOut   ? "Bi-D Black "
                           : blackCentre == LeftOut ? "Bi-D Color "
                                                    : "Bi-D Black/Color ";
    TP_STEP(AppendText(raster_, inkLabel, true));
    if (platenGap == NarrowGap)
        TP_STEP(AppendText(raster_, "PG-", true));
    TP_STEP(raster_.NewLines(1));
    TP_STEP(raster_.Flush());
    TP_STEP(AppendText(raster_, "\r", true));
    TP_STEP(raster_.Flush());
    if (blackCentre != LeftOut)
        TP_STEP(BidBlock(BlackColor, platenGap, mode, blackCentre, NoColor, NoColor));
    if (colorCentre != LeftOut)
        TP_STEP(BidBlock(LightCyan, platenGap, mode, colorCentre, LightMagenta, Yellow));
    return status_.WaitUntilReady(false, true);
}

uint16_t TPBidPattern::BidBlock(uint8_t firstColor, uint8_t platenGap, uint8_t mode, int centre,
                                uint8_t secondColor, uint8_t thirdColor)
{
    if (mode < FirstMode || mode > LastMode || firstColor == NoColor)
        return TPResult::RequestRefused;
    const bool black = firstColor == BlackColor;
    Block block{mode,
                platenGap == TypicalGap,
                black ? KindBlack : KindColor,
                black ? ColorModeBlack : ColorModeColor,
                {firstColor},
                ModeLooks[mode - FirstMode]};
    for (uint8_t color : {secondColor, thirdColor}) {
        if (color == NoColor)
            break;
        block.colors.push_back(color);
    }

    for (int row = 0; row < Rows; ++row) {
        for (int pass = 0; pass < block.look.passes; ++pass) {
            TP_STEP(ForwardPrint(block, row, centre));
            // Return prints right to left, each with its column's value.
            if (row == MiddleRow) {
                for (int column = int(GroupColumns.size()) - 1; column >= 0; --column)
                    TP_STEP(
                        ReturnPrint(block, column, centre + ValueStep * (column - CentreColumn)));
            } else {
                TP_STEP(ReturnPrint(block, CentreColumn, row == 0 ? centre - 1 : centre + 1));
            }
            TP_STEP(raster_.SetUnit(Unit720));
            TP_STEP(raster_.Feed(PassStep));
            TP_STEP(raster_.SetUnit(Unit360));
        }
        TP_STEP(raster_.Feed(RowFeed));
        TP_STEP(RowLabel(row, centre));
    }
    TP_STEP(raster_.Reset());
    TP_STEP(raster_.Flush());
    TP_STEP(status_.WaitUntilReady(false, true));
    return factory_.FactoryCommand00(block.mode, block.typicalGap, block.kind, centre);
}

uint16_t TPBidPattern::StartPass(const Block &block, int value, uint8_t direction)
{
    TP_STEP(raster_.Reset());
    TP_STEP(raster_.Flush());
    TP_STEP(status_.WaitUntilReady(false, true));
    TP_STEP(factory_.FactoryCommand00(block.mode, block.typicalGap, block.kind, value));
    TP_STEP(raster_.EnterGraphicsMode());
    TP_STEP(raster_.SetDotSize(block.mode));
    TP_STEP(raster_.SetUnit(Unit360));
    TP_STEP(raster_.SetColorMode(block.colorMode));
    TP_STEP(raster_.SetPrintDirection(direction));
    return raster_.SetHorizontalPosition(0);
}

// The bars of group A at every column of the row, printed with the centre value.
uint16_t TPBidPattern::ForwardPrint(const Block &block, int row, int centre)
{
    Line bars{};
    if (row == MiddleRow) {
        for (int column : GroupColumns)
            PlaceGroupA(bars, column, block.look.dot);
    } else {
        PlaceGroupA(bars, GroupColumns[CentreColumn], block.look.dot);
    }
    TP_STEP(StartPass(block, centre, Forward));
    for (uint8_t color : block.colors) {
        TP_STEP(SendBars(raster_, color, bars));
        TP_STEP(raster_.SetHorizontalPosition(0));
    }
    return TPResult::Ok;
}

// The bars of group B at one column, printed on the way back with that column's value.
uint16_t TPBidPattern::ReturnPrint(const Block &block, int column, int value)
{
    Line bars{};
    PlaceGroupB(bars, GroupColumns[static_cast<size_t>(column)], block.look.dot);
    TP_STEP(StartPass(block, value, Return));
    for (uint8_t color : block.colors) {
        TP_STEP(SendBars(raster_, color, bars));
        TP_STEP(raster_.SetHorizontalPosition(0));
    }
    return TPResult::Ok;
}

uint16_t TPBidPattern::RowLabel(int row, int centre)
{
    TP_STEP(raster_.Reset());
    TP_STEP(AppendText(raster_, "\r         ", false));
    TP_STEP(raster_.Reset());
    QByteArray label;
    if (row == 0) {
        label = Format("                                  %3d\r\r", centre - 1);
    } else if (row == MiddleRow) {
        label =
            Format("       %3d     %3d      %3d       %3d        %3d      %3d    %3d      \r",
                   centre - 6, centre - 4, centre - 2, centre, centre + 2, centre + 4, centre + 6);
    } else {
        label = Format("\r\r                                  %3d\r", centre + 1);
    }
    return AppendText(raster_, label, false);
}
