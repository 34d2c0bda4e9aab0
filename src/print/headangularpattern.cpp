#include "headangularpattern.h"

#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/raster.h"
#include "link/statuscontrol.h"
#include "patterngeometry.h"
#include "patternstep.h"
#include "rasterblock.h"

using namespace TPRasterBlock;

namespace
{
constexpr uint8_t Black = 0;
constexpr uint8_t UnitHalfTenth = 20; // 1/180 inch
constexpr uint8_t UnitFine = 10;      // 1/360 inch
constexpr uint8_t UnitCoarse = 30;    // 1/120 inch
constexpr uint8_t Unidirectional = 1;
constexpr uint8_t Vsd1 = 16;
constexpr uint8_t ColorMode = 1;
constexpr int Passes = 3;
constexpr int Groups = TPPatternGeometry::HeadAngularGroups;
constexpr int FirstGroupColumn = TPPatternGeometry::HeadAngularFirstGroupColumn;
constexpr int GroupPitch = TPPatternGeometry::HeadAngularGroupPitch;   // 0.4 inch
constexpr uint8_t ShiftStep = TPPatternGeometry::HeadAngularShiftStep; // 1/2880 inch a column
constexpr uint8_t ReferencePosition = ShiftStep * (Groups / 2);
constexpr uint16_t TopFeed = 90;
constexpr uint16_t BandGap = 89;
constexpr uint16_t LabelFeed = 100;

const char Title[] = "Head angular adjustment\r\n";
const char Labels[] = "                             NG  -3   0   3  NG";

// A line with the given groups (FF 0F F0 at the start of each) and, for the first line of a
// pass, a single dot at each end.
Line GroupLine(int firstGroup, int lastGroup, bool endDots)
{
    Line line{};
    for (int group = firstGroup; group <= lastGroup; ++group)
        Place(line, FirstGroupColumn + GroupPitch * group, {0xFF, 0x0F, 0xF0});
    if (endDots) {
        line.front() = 0x40;
        line.back() = 0x01;
    }
    return line;
}

uint16_t AppendText(TPRaster &raster, const char *text, size_t lengthWithZero)
{
    return raster.Append(reinterpret_cast<const uint8_t *>(text), static_cast<int>(lengthWithZero));
}
} // namespace

TPHeadAngularPattern::TPHeadAngularPattern(TPDLLFunction &dll, TPRaster &raster, TPFactory &factory,
                                           TPStatusControl &status)
    : dll_(dll), raster_(raster), factory_(factory), status_(status)
{
}

uint16_t TPHeadAngularPattern::HeadAngularPattern()
{
    putBack_.Clear();
    uint8_t stored = 0;
    TP_STEP(dll_.ChanReadEeprom(ValueAddress, &stored));
    const uint16_t printed = PrintAtAngleZero(stored);
    if (printed != TPResult::Ok)
        PutStoredValueBack(stored, printed);
    return printed;
}

// The EEPROM byte first, which the printer takes in an error state too; then, when it takes
// data, the head angular command and the commit, so that the value is in force at once and
// no 0 is left waiting for a later commit.
void TPHeadAngularPattern::PutStoredValueBack(uint8_t stored, uint16_t failure)
{
    putBack_.Keep(ValueAddress, stored, QStringLiteral("head angular"));
    if (putBack_.Run(dll_, raster_, failure) != TPResult::Ok)
        return;
    if (status_.ReadStatus() == TPResult::Ok &&
        status_.Record().state == TPStatusControl::StateReady)
        WriteAngle(stored);
}

uint16_t TPHeadAngularPattern::PrintAtAngleZero(uint8_t stored)
{
    TP_STEP(WriteAngle(0));
    TP_STEP(AppendText(raster_, Title, sizeof Title));
    TP_STEP(raster_.BeginGraphicsPage(UnitHalfTenth, Unidirectional, Vsd1, ColorMode));
    TP_STEP(raster_.Feed(TopFeed));
    TP_STEP(ReferenceBand());
    TP_STEP(raster_.SetUnit(UnitCoarse));
    TP_STEP(raster_.Feed(BandGap));
    TP_STEP(ComparisonBand());
    TP_STEP(raster_.SetUnit(UnitCoarse));
    TP_STEP(raster_.Feed(LabelFeed));
    TP_STEP(raster_.Reset());
    TP_STEP(AppendText(raster_, Labels, sizeof Labels));
    TP_STEP(raster_.Flush());
    return WriteAngle(stored);
}

uint16_t TPHeadAngularPattern::WriteAngle(uint8_t value)
{
    TP_STEP(factory_.FactoryCommand05(value));
    return factory_.FactoryCommand50();
}

// Three passes 1/360 inch apart, each with all five groups.
uint16_t TPHeadAngularPattern::ReferenceBand()
{
    const Line first = GroupLine(0, Groups - 1, true);
    const Line other = GroupLine(0, Groups - 1, false);
    for (int pass = 0; pass < Passes; ++pass) {
        TP_STEP(raster_.SetUnitsFine());
        TP_STEP(raster_.SetHorizontalPosition(ReferencePosition));
        TP_STEP(SendBlock(raster_, Black, {{1, &first}, {BlockLines - 1, &other}}));
        TP_STEP(raster_.SetUnit(UnitFine));
        TP_STEP(raster_.Feed(1));
    }
    return TPResult::Ok;
}

// Three passes; in each, group l alone is overprinted from position 3 l, so column l lands
// 3 l - 6 units of 1/2880 inch off its reference.
uint16_t TPHeadAngularPattern::ComparisonBand()
{
    for (int pass = 0; pass < Passes; ++pass) {
        for (int group = 0; group < Groups; ++group) {
            const Line first = GroupLine(group, group, true);
            const Line other = GroupLine(group, group, false);
            TP_STEP(raster_.SetUnitsFine());
            TP_STEP(raster_.SetHorizontalPosition(static_cast<uint8_t>(ShiftStep * group)));
            TP_STEP(SendBlock(raster_, Black, {{1, &first}, {BlockLines - 1, &other}}));
            TP_STEP(raster_.SetUnit(UnitFine));
            TP_STEP(raster_.Feed(0));
        }
        TP_STEP(raster_.SetUnit(UnitFine));
        TP_STEP(raster_.Feed(1));
    }
    return TPResult::Ok;
}
