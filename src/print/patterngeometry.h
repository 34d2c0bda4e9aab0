#pragma once

// Where the adjustment patterns put their bars, shared by the layouts that print them and the
// page reader that finds them again on a scan. Byte columns are four dots, 1/90 inch.
#include <array>

namespace TPPatternGeometry
{
constexpr int DotsPerByte = 4;
constexpr int BytesPerInch = 90;

// Bi-D block: byte columns of the seven columns of the middle row, left to right; the single
// column of the outer rows is the fourth. Neighbouring middle-row columns differ by ValueStep,
// the outer rows by one either side of the centre.
constexpr std::array<int, 7> BidGroupColumns = {92, 162, 246, 339, 439, 516, 579};
constexpr int BidCentreColumn = 3;
constexpr int BidValueStep = 2;
constexpr int BidOuterStep = 1;
constexpr int BidRows = 3;
constexpr int BidMiddleRow = 1;
constexpr int BidGroupBytes = 20; // the five bars of a column, forward and return together
constexpr int BidBarBytes = 4;
constexpr int BidBarLines = 27; // raster lines, 1/120 inch apart

// Head angular pattern: five groups, one every GroupPitch bytes from FirstGroupColumn; the
// comparison band repeats each shifted by ShiftStep/2880 inch more than the last, the middle
// one unshifted. Labels of the columns, left to right; the outer two ("NG") carry no value.
constexpr int HeadAngularGroups = 5;
constexpr int HeadAngularFirstGroupColumn = 270;
constexpr int HeadAngularGroupPitch = 36;
constexpr int HeadAngularShiftStep = 3;
constexpr int HeadAngularShiftUnitsPerInch = 2880;
constexpr int HeadAngularNoValue = 100;
constexpr std::array<int, HeadAngularGroups> HeadAngularLabels = {HeadAngularNoValue, -3, 0, 3,
                                                                  HeadAngularNoValue};

// First dot pattern: one dot at the very left of each of its first FirstDotMarkLines raster
// lines (LinesPerInch apart). Top margin pattern: one line of TopMarginLineBytes at the top of
// the printable area. The instructions ask for either mark to lie MarginAimMillimetres from
// the paper's edge.
constexpr int LinesPerInch = 120;
constexpr int FirstDotMarkLines = 29;
constexpr int TopMarginLineBytes = 106;
constexpr double MarginAimMillimetres = 3.0;
} // namespace TPPatternGeometry
