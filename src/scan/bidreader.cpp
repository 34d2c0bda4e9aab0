// The Bi-D page: per block three rows of bars, one column, seven, one; each column printed
// once forwards and once back with its own value, so that the column whose value matches the
// printer's error is evenly inked and the others show stripes as wide as they are off.
#include "print/patterngeometry.h"
#include "readerparts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace TPScan
{

namespace
{
namespace G = TPPatternGeometry;
constexpr int Columns = int(G::BidGroupColumns.size());
constexpr double BarRows = G::BidBarLines * WorkingDpi / 120.0; // raster lines 1/120 inch
constexpr int TextRowGap = 4;
constexpr int ColumnGap = 16;     // wider than any stripe of a column
constexpr double BarCover = 0.75; // of the bars' rows: label text is shorter
constexpr int LineSpread = 2;     // blank rows between the raster lines of a bar
constexpr int EdgeDots = 4;       // the ends of a column move with its error: left out
constexpr double InnerRows = 0.2; // of the band, left out top and bottom (blur, passes)
// A value is proposed as sure when the next best fits this much worse than the best, in
// units of the best fit's own scatter, and the columns differ by at least MinSlope stripe
// dots a step.
constexpr double SureSeparation = 12.0;
constexpr double MinSlope = 0.6;
constexpr int Reach = G::BidValueStep * G::BidCentreColumn; // the middle row's outer columns

// Where a column's bars lie, centre of the group, in dots from the first column's centre.
double ExpectedOffset(int column)
{
    return (G::BidGroupColumns[size_t(column)] - G::BidGroupColumns[0]) * G::DotsPerByte;
}
constexpr double ExpectedSpan =
    (G::BidGroupColumns.back() - G::BidGroupColumns.front()) * double(G::DotsPerByte);

// How unevenly a column is inked: the stripes' total width in dots of full contrast.
double Unevenness(const TPInkMap &map, const Band &rowBand, const Span &column)
{
    const Band band = BarRowsOf(map, rowBand, column);
    const int inner = int(band.Height() * InnerRows);
    const int top = band.top + inner;
    const int bottom = band.bottom - inner;
    const int left = column.left + EdgeDots;
    const int right = column.right - EdgeDots;
    if (right - left < EdgeDots || bottom <= top)
        return 0.0;
    std::vector<double> profile;
    for (int x = left; x <= right; ++x) {
        double sum = 0.0;
        for (int y = top; y < bottom; ++y)
            sum += map.At(x, y);
        profile.push_back(sum / (bottom - top));
    }
    std::vector<double> sorted = profile;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double typical = std::max(sorted[sorted.size() / 2], 1.0);
    double uneven = 0.0;
    for (double value : profile)
        uneven += std::abs(value - typical);
    return uneven / typical;
}

struct Point {
    int value;
    double uneven;
};

struct Fit {
    int value = 0;
    double error = std::numeric_limits<double>::max();
    double slope = 0.0;
    double floor = 0.0;
};

// The V that the columns' unevenness makes around the matching value, fitted by least
// squares for a trial value: unevenness = floor + slope * |column value - trial|.
Fit FitAt(const std::vector<Point> &points, int trial)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Point &p : points) {
        const double x = std::abs(p.value - trial);
        n += 1;
        sx += x;
        sy += p.uneven;
        sxx += x * x;
        sxy += x * p.uneven;
    }
    const double det = n * sxx - sx * sx;
    Fit fit;
    fit.value = trial;
    if (det <= 0.0)
        return fit;
    fit.slope = (n * sxy - sx * sy) / det;
    const double floor = (sy - fit.slope * sx) / n;
    fit.floor = floor;
    if (fit.slope <= 0.0)
        return fit;
    double error = 0.0;
    for (const Point &p : points) {
        const double d = p.uneven - floor - fit.slope * std::abs(p.value - trial);
        error += d * d;
    }
    fit.error = error;
    return fit;
}

struct Verdict {
    ItemReading reading;
    Fit fit;
    bool atEnd = false;
};

Verdict Judge(const BidPrinted &printed, const std::vector<Point> &points)
{
    Verdict verdict;
    ItemReading &reading = verdict.reading;
    reading.item = printed.item;
    std::vector<Fit> fits;
    for (int trial = printed.centre - Reach - 3; trial <= printed.centre + Reach + 3; ++trial)
        fits.push_back(FitAt(points, trial));
    std::sort(fits.begin(), fits.end(),
              [](const Fit &a, const Fit &b) { return a.error < b.error; });
    const Fit &best = fits[0];
    const Fit &second = fits[1];
    verdict.fit = best;
    if (best.error == std::numeric_limits<double>::max()) {
        reading.remark = QStringLiteral("all columns look alike");
        return verdict;
    }
    reading.proposal = best.value;
    const double scatter =
        std::max(best.error / double(points.size() - 2), 0.01 * best.slope * best.slope);
    const double separation = (second.error - best.error) / scatter;
    reading.confidence = std::clamp(separation / (2.0 * SureSeparation), 0.0, 1.0);
    if (best.slope < MinSlope) {
        reading.confidence = std::min(reading.confidence, 0.2);
        reading.remark = QStringLiteral("the columns differ too little to be sure");
    } else if (std::abs(best.value - printed.centre) >= Reach) {
        verdict.atEnd = true;
    } else if (separation < SureSeparation) {
        reading.remark = QStringLiteral("two values fit nearly as well");
    } else {
        reading.sure = true;
    }
    return verdict;
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The most even column lies at an end of the row: the value lies there or beyond. How far
// beyond is told by how uneven that end column is, against how the page's other items grow
// more uneven a step away from their even column.
void ReachBeyond(Verdict &verdict, const BidPrinted &printed, const std::vector<Point> &points,
                 double floor, double slope)
{
    const bool right = verdict.fit.value > printed.centre;
    const int end = printed.centre + (right ? Reach : -Reach);
    double uneven = 0.0;
    for (const Point &p : points)
        if (p.value == end)
            uneven = p.uneven;
    const int beyond = slope > 0.0 ? int(std::lround(std::max(0.0, uneven - floor) / slope)) : 0;
    ItemReading &reading = verdict.reading;
    reading.proposal = std::clamp(end + (right ? beyond : -beyond), -35, 35);
    reading.confidence = std::min(reading.confidence, 0.3);
    reading.sure = false;
    reading.printAgain = true;
    reading.remark = QStringLiteral("the most even column lies at the end of the pattern: "
                                    "input this value and print again");
}

// A row of bars, with the labels printed beside them.
bool IsBarBand(const Band &band)
{
    return band.Height() > 0.75 * BarRows && band.Height() < 2.2 * BarRows;
}

std::vector<Span> BarColumns(const TPInkMap &map, const Band &band)
{
    return FindColumns(map, band, int(BarCover * BarRows), ColumnGap, LineSpread);
}

// How well the middle row's columns stand where the layout puts them, upright or turned.
double SpacingMisfit(const std::vector<Span> &columns, bool turned)
{
    const double span = columns.back().Centre() - columns.front().Centre();
    double misfit = 0.0;
    for (int i = 0; i < Columns; ++i) {
        const double measured = (columns[size_t(i)].Centre() - columns.front().Centre()) / span;
        const int column = turned ? Columns - 1 - i : i;
        const double expected = turned ? 1.0 - ExpectedOffset(column) / ExpectedSpan
                                       : ExpectedOffset(column) / ExpectedSpan;
        misfit += (measured - expected) * (measured - expected);
    }
    return misfit;
}

struct Block {
    Band rows[G::BidRows];
    std::vector<Span> middle;
    Span above;
    Span below;
};
} // namespace

Attempt ReadBidMap(const TPInkMap &map, const std::vector<BidPrinted> &printed)
{
    Attempt attempt;
    std::vector<Band> bands;
    const std::vector<Band> inked = FindBands(map, int(0.75 * BarRows), TextRowGap);
    for (const Band &band : inked)
        if (IsBarBand(band))
            bands.push_back(band);
    std::vector<Block> blocks;
    bool otherBars = false;
    for (size_t i = 0; i + 2 < bands.size(); ++i) {
        const auto above = BarColumns(map, bands[i]);
        const auto middle = BarColumns(map, bands[i + 1]);
        const auto below = BarColumns(map, bands[i + 2]);
        if (above.size() == 1 && middle.size() == size_t(Columns) && below.size() == 1) {
            blocks.push_back({{bands[i], bands[i + 1], bands[i + 2]}, middle, above[0], below[0]});
            i += 2;
        } else if (!middle.empty()) {
            otherBars = true;
        }
    }
    if (blocks.empty()) {
        attempt.failure =
            otherBars || !inked.empty() ? ReadFailure::WrongPattern : ReadFailure::NoPattern;
        return attempt;
    }
    double upright = 0.0;
    double turned = 0.0;
    for (const Block &block : blocks) {
        upright += SpacingMisfit(block.middle, false);
        turned += SpacingMisfit(block.middle, true);
    }
    if (turned < upright) {
        attempt.outcome = Attempt::Outcome::UpsideDown;
        return attempt;
    }
    if (blocks.size() != printed.size()) {
        attempt.failure = ReadFailure::WrongPattern;
        return attempt;
    }
    double span = 0.0;
    for (const Block &block : blocks)
        span += block.middle.back().Centre() - block.middle.front().Centre();
    attempt.scale = span / blocks.size() / ExpectedSpan;
    int flat = 0;
    std::vector<Verdict> verdicts;
    std::vector<std::vector<Point>> measured;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const Block &block = blocks[b];
        const int centre = printed[b].centre;
        std::vector<Point> points;
        for (int i = 0; i < Columns; ++i)
            points.push_back({centre + G::BidValueStep * (i - G::BidCentreColumn),
                              Unevenness(map, block.rows[1], block.middle[size_t(i)])});
        points.push_back({centre - G::BidOuterStep, Unevenness(map, block.rows[0], block.above)});
        points.push_back({centre + G::BidOuterStep, Unevenness(map, block.rows[2], block.below)});
        verdicts.push_back(Judge(printed[b], points));
        measured.push_back(points);
    }
    std::vector<double> floors;
    std::vector<double> slopes;
    for (const Verdict &verdict : verdicts) {
        if (verdict.reading.sure) {
            floors.push_back(verdict.fit.floor);
            slopes.push_back(verdict.fit.slope);
        }
    }
    for (size_t b = 0; b < blocks.size(); ++b) {
        const Block &block = blocks[b];
        const int centre = printed[b].centre;
        if (verdicts[b].atEnd)
            ReachBeyond(verdicts[b], printed[b], measured[b], floors.empty() ? 0.0 : Median(floors),
                        slopes.empty() ? 0.0 : Median(slopes));
        ItemReading &reading = verdicts[b].reading;
        // Mark the middle-row column nearest the proposal.
        const int nearest =
            std::clamp(G::BidCentreColumn +
                           int(std::lround(double(reading.proposal.value_or(centre) - centre) /
                                           G::BidValueStep)),
                       0, Columns - 1);
        const Span &column = block.middle[size_t(nearest)];
        reading.mark =
            QRectF(column.left, block.rows[1].top, column.Width(), block.rows[1].Height());
        flat += reading.remark.startsWith(QStringLiteral("the columns differ")) ? 1 : 0;
        attempt.items.push_back(reading);
    }
    if (flat == int(blocks.size())) {
        attempt.failure = ReadFailure::TooBlurred;
        attempt.items.clear();
        return attempt;
    }
    attempt.outcome = Attempt::Outcome::Read;
    return attempt;
}

} // namespace TPScan
