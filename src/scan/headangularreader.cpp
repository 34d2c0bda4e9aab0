// The head angular page: one tall band, the reference bars on top and the comparison bars
// below, in five columns. Where the two halves meet, each column's bars step sideways by the
// head's tilt less the column's shift; the column whose shift matches the tilt runs straight.
#include "print/patterngeometry.h"
#include "readerparts.h"

#include <algorithm>
#include <cmath>

namespace TPScan
{

namespace
{
namespace G = TPPatternGeometry;
constexpr double PassRows = 90 * WorkingDpi / 120.0; // one pass of the head: 90 lines
constexpr double BandRows = 2 * PassRows;            // reference and comparison
constexpr double Pitch = G::HeadAngularGroupPitch * G::DotsPerByte;
constexpr double UnitsPerDot = G::HeadAngularShiftUnitsPerInch / WorkingDpi;
constexpr int TextRowGap = 6;
constexpr int BarGap = 4; // inside a group: two bars two dots apart
constexpr double BarCover = 0.5;
constexpr int EdgeRows = 8;  // band ends, where passes start and stop
constexpr int JoinRows = 3;  // either side of the join, where blur mixes the halves
constexpr int Margin = 4;    // pixel columns beside a column's bars that still count
constexpr int InkFloor = 16; // below this a pixel weighs nothing (paper noise)
constexpr double TextReach = 0.7 * WorkingDpi; // where the title and the labels lie
// Sure when the columns agree on the tilt within this and it lies this near a value.
constexpr double SureSpread = 1.0;
constexpr double SureDistance = 1.0;

struct ColumnStep {
    double step = 0.0; // units of 1/2880 inch, reference half right of the comparison half
    bool measured = false;
};

// The bars' sideways step at the join: the ink-weighted centre of every row, fitted with one
// slope (the tilt within a pass, and what is left of the page's turn) and one offset per half.
ColumnStep StepAtJoin(const TPInkMap &map, const Band &band, const Span &column, double join)
{
    double n[2] = {}, sy[2] = {}, sc[2] = {}, syy[2] = {}, syc[2] = {};
    for (int y = band.top + EdgeRows; y < band.bottom - EdgeRows; ++y) {
        if (std::abs(y - join) < JoinRows)
            continue;
        double weighted = 0.0;
        double total = 0.0;
        for (int x = std::max(0, column.left - Margin);
             x <= std::min(map.Width() - 1, column.right + Margin); ++x) {
            const double ink = std::max(0, map.At(x, y) - InkFloor);
            weighted += x * ink;
            total += ink;
        }
        if (total <= 0.0)
            continue;
        const int half = y < join ? 0 : 1;
        const double c = weighted / total;
        const double dy = y - join;
        n[half] += 1;
        sy[half] += dy;
        sc[half] += c;
        syy[half] += dy * dy;
        syc[half] += dy * c;
    }
    ColumnStep result;
    if (n[0] < 10 || n[1] < 10)
        return result;
    double covariance = 0.0;
    double variance = 0.0;
    for (int half = 0; half < 2; ++half) {
        covariance += syc[half] - sy[half] * sc[half] / n[half];
        variance += syy[half] - sy[half] * sy[half] / n[half];
    }
    const double slope = variance > 0.0 ? covariance / variance : 0.0;
    const double atJoin[2] = {sc[0] / n[0] - slope * sy[0] / n[0],
                              sc[1] / n[1] - slope * sy[1] / n[1]};
    result.step = (atJoin[0] - atJoin[1]) * UnitsPerDot;
    result.measured = true;
    return result;
}

// Whether the page lies turned: the labels stand under the columns, the title further left.
bool LooksUpsideDown(const TPInkMap &map, const Band &band, double columnsCentre)
{
    double above = -1.0;
    double below = -1.0;
    for (const Band &text : FindBands(map, 3, TextRowGap)) {
        if (text.bottom <= band.top && band.top - text.bottom < TextReach)
            above = InkCentreX(map, text);
        if (text.top >= band.bottom && text.top - band.bottom < TextReach && below < 0.0)
            below = InkCentreX(map, text);
    }
    const auto offCentre = [columnsCentre](double x) {
        return x < 0.0 ? -1.0 : std::abs(x - columnsCentre);
    };
    const double a = offCentre(above);
    const double b = offCentre(below);
    if (a >= 0.0 && b >= 0.0)
        return a < b;
    if (a >= 0.0)
        return a < Pitch;
    if (b >= 0.0)
        return b > Pitch;
    return false;
}
} // namespace

Attempt ReadHeadAngularMap(const TPInkMap &map)
{
    Attempt attempt;
    const Band *found = nullptr;
    const std::vector<Band> bands = FindBands(map, int(0.6 * BandRows), TextRowGap);
    std::vector<Span> columns;
    for (const Band &band : bands) {
        if (band.Height() > 1.4 * BandRows)
            continue;
        columns = FindColumns(map, band, int(BarCover * band.Height()), BarGap);
        if (columns.size() == size_t(G::HeadAngularGroups)) {
            found = &band;
            break;
        }
    }
    if (!found) {
        const bool anyBars = !FindBands(map, int(0.15 * BandRows), TextRowGap).empty();
        attempt.failure = anyBars ? ReadFailure::WrongPattern : ReadFailure::NoPattern;
        return attempt;
    }
    const Band band = *found;
    double pitch = 0.0;
    for (size_t i = 1; i < columns.size(); ++i) {
        const double gap = columns[i].Centre() - columns[i - 1].Centre();
        if (gap < 0.8 * Pitch || gap > 1.25 * Pitch) {
            attempt.failure = ReadFailure::WrongPattern;
            return attempt;
        }
        pitch += gap;
    }
    attempt.scale = pitch / (columns.size() - 1) / Pitch;
    const double columnsCentre = (columns.front().Centre() + columns.back().Centre()) / 2.0;
    if (LooksUpsideDown(map, band, columnsCentre)) {
        attempt.outcome = Attempt::Outcome::UpsideDown;
        return attempt;
    }

    // Each column's step, plus its own shift, is the head's tilt.
    const double join = (band.top + band.bottom) / 2.0;
    std::vector<double> tilts;
    for (int i = 0; i < G::HeadAngularGroups; ++i) {
        const ColumnStep step = StepAtJoin(map, band, columns[size_t(i)], join);
        if (step.measured)
            tilts.push_back(step.step / attempt.scale +
                            G::HeadAngularShiftStep * (i - G::HeadAngularGroups / 2));
    }
    ItemReading reading;
    reading.item = QStringLiteral("Head angular");
    if (tilts.size() < 3) {
        attempt.failure = ReadFailure::TooBlurred;
        return attempt;
    }
    double mean = 0.0;
    for (double tilt : tilts)
        mean += tilt;
    mean /= tilts.size();
    double spread = 0.0;
    for (double tilt : tilts)
        spread += (tilt - mean) * (tilt - mean);
    spread = std::sqrt(spread / (tilts.size() - 1));
    int straightest = 0;
    for (int i = 1; i < G::HeadAngularGroups; ++i) {
        const double shift = G::HeadAngularShiftStep * (i - G::HeadAngularGroups / 2);
        const double best = G::HeadAngularShiftStep * (straightest - G::HeadAngularGroups / 2);
        if (std::abs(mean - shift) < std::abs(mean - best))
            straightest = i;
    }
    const int label = G::HeadAngularLabels[size_t(straightest)];
    const double distance =
        std::abs(mean - G::HeadAngularShiftStep * (straightest - G::HeadAngularGroups / 2));
    const Span &column = columns[size_t(straightest)];
    reading.mark =
        QRectF(column.left - Margin, band.top, column.Width() + 2 * Margin, band.Height());
    reading.confidence = std::clamp(
        1.0 - std::max(spread / (2 * SureSpread), distance / (2 * SureDistance)), 0.0, 1.0);
    if (label == G::HeadAngularNoValue) {
        reading.remark = QStringLiteral("the straight column is an NG column: the head is "
                                        "tilted more than the value corrects");
    } else {
        reading.proposal = label;
        if (spread > SureSpread)
            reading.remark = QStringLiteral("the columns disagree about the tilt");
        else if (distance > SureDistance)
            reading.remark = QStringLiteral("the tilt lies between two columns");
        else
            reading.sure = true;
    }
    attempt.items.push_back(reading);
    attempt.outcome = Attempt::Outcome::Read;
    return attempt;
}

} // namespace TPScan
