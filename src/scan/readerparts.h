#pragma once

// The parts the pattern readers share: bands of ink across the straightened page, the columns
// of a band, and one attempt at reading a pattern at an assumed resolution.
#include "inkmap.h"
#include "pagereader.h"

#include <optional>
#include <vector>

namespace TPScan
{

struct Band {
    int top = 0;
    int bottom = 0; // one past the last row
    int Height() const { return bottom - top; }
};

struct Span {
    int left = 0;
    int right = 0; // the last pixel column
    double Centre() const { return (left + right) / 2.0; }
    int Width() const { return right - left + 1; }
};

constexpr int InkedLevel = 40; // darker than this counts as printed

// Runs of rows holding ink, at least minRows tall; shorter breaks than rowGap are bridged.
std::vector<Band> FindBands(const TPInkMap &map, int minRows, int rowGap);
// Runs of pixel columns inked over more than minRows of the band's rows, breaks of up to
// maxGap bridged. A row counts as inked at a pixel column when it or one of its `spread`
// neighbours above and below is (bars printed line by line leave blank rows between lines).
std::vector<Span> FindColumns(const TPInkMap &map, const Band &band, int minRows, int maxGap,
                              int spread = 0);
// The rows of a band that hold the bars of a column (ink across a third of its width or more).
Band BarRowsOf(const TPInkMap &map, const Band &band, const Span &column);
// The ink-weighted centre x of the ink within a band, or a negative value when there is none.
double InkCentreX(const TPInkMap &map, const Band &band);

struct Attempt {
    enum class Outcome { Read, UpsideDown, Failed };
    Outcome outcome = Outcome::Failed;
    ReadFailure failure = ReadFailure::NoPattern;
    double scale = 1.0;             // the pattern's size on the map over its printed size
    std::vector<ItemReading> items; // marks in the map's pixels
};

Attempt ReadBidMap(const TPInkMap &map, const std::vector<BidPrinted> &printed);
Attempt ReadHeadAngularMap(const TPInkMap &map);
// The PW sensor page on a map that keeps what lies beyond the sheet (the edges are measured
// against it); imageSize bounds what the map shows of the image.
Attempt ReadPwSensorMap(const TPInkMap &map, const QSize &imageSize);

// The first dot and top margin pages: a mark along the paper's left or top edge, read in the
// image's own pixels (the paper's edge must show, so no straightened map is made).
enum class MarginItem { FirstDot, TopMargin };
PageReading ReadMarginImage(const TPInkImage &ink, std::optional<double> statedDpi, MarginItem item,
                            int printed);

} // namespace TPScan
