// The first dot and top margin pages: each holds one thin mark along an edge of the paper, the
// first dot's a column of single dots near the left edge, the top margin's a line near the top
// edge. The reader finds the paper's edge where the scanner's lid or the table shows dark
// beyond it, measures the mark's ink-weighted centre from that edge in the image's own pixels
// (a turn or a blur moves neither), and turns the distance into the value that brings the
// mark to where the instructions want it.
#include "print/patterngeometry.h"
#include "readerparts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace TPScan
{

namespace
{
namespace G = TPPatternGeometry;
constexpr double Pi = 3.14159265358979323846;
constexpr double MmPerInch = 25.4;
constexpr double PrinterDpi = 360.0; // the printer's dots, across and down
constexpr double GuessedDpis[] = {600.0, 300.0, 1200.0};
constexpr int MinValue = -128;
constexpr int MaxValue = 127;

// The paper's edge.
constexpr int LidInk = 96;              // the lid or table beyond the sheet is this dark
constexpr double PaperRunInches = 0.02; // bare paper after the edge: no light spot in the lid
constexpr double MaxLidShare = 0.4;     // of the image's depth
constexpr double MinEdgeInches = 0.4;   // of edge seen
constexpr double MaxTurn = 0.07;        // tan of 4 degrees
constexpr double EdgeTolerance[] = {6.0, 3.0, 2.0}; // pixels off the line, fit by fit
constexpr double EdgeLinesPerInch = 150.0;          // lines looked at for the edge
constexpr double EdgeSigmaFloor = 0.02;             // pixels: what a straight fit cannot promise

// The strip along the edge where the mark lies, and the mark in it.
constexpr double StripStartDots = 3.0; // the edge's own blur stays outside
constexpr double StripEndInches = 11.0 / MmPerInch;
constexpr double MarkReachInches = 3.0;    // along the edge from the sheet's corner
constexpr double SheetMarginInches = 0.03; // from the sheet's other edges
constexpr int InkFloor = 24;               // a pixel this inked is part of the mark's outline
constexpr double MinMarkInk = 800.0;       // at the mark's distance, per pixel area
constexpr double RunInk = 50.0;            // in a line pitch of the mark, per pixel area
constexpr int RunGapDots = 5;
constexpr double LengthTolerance = 0.25;
constexpr double MaxThicknessDots = 5.0;
constexpr double CentreReachDots = 2.5;
constexpr double ChunkDots = 12.0;
constexpr int MinChunks = 3;
constexpr double SheetInkSpacingDpi = 400.0; // finer than a dot
constexpr int SheetInk = 48;
constexpr int SheetInkPixels = 20;

enum class Side { Left, Top, Right, Bottom };
constexpr int SideCount = 4;

// How one item's mark looks and how its value moves it.
struct MarkShape {
    const char *item = "";
    Side side = Side::Left;      // the edge it is measured from
    Side opposite = Side::Right; // where it lies when the page is turned half round
    double lengthDots = 0.0;
    double dotsPerStep = 1.0; // a step of the value moves the mark this far from the edge
    double sureSteps = 0.0;   // the reading's uncertainty within which a proposal is sure
    bool wholeSteps = false;  // steps of half a dot and more: a reading between two is unsure
};
MarkShape ShapeOf(MarginItem which)
{
    MarkShape shape;
    if (which == MarginItem::FirstDot) {
        shape.item = "First dot";
        shape.side = Side::Left;
        shape.opposite = Side::Right;
        shape.lengthDots = (G::FirstDotMarkLines - 1) * PrinterDpi / G::LinesPerInch + 1;
        shape.dotsPerStep = 0.25;
        shape.sureSteps = 0.6;
        shape.wholeSteps = false;
    } else {
        shape.item = "Top margin";
        shape.side = Side::Top;
        shape.opposite = Side::Bottom;
        shape.lengthDots = G::TopMarginLineBytes * G::DotsPerByte;
        shape.dotsPerStep = 0.5;
        shape.sureSteps = 0.12;
        shape.wholeSteps = true;
    }
    return shape;
}

// The image seen from one of its sides: s counts inwards from that side, t runs along it.
class SideView
{
public:
    SideView(const TPInkImage &ink, Side side) : ink_(ink), side_(side) {}
    bool Across() const { return side_ == Side::Left || side_ == Side::Right; }
    int Depth() const { return Across() ? ink_.Width() : ink_.Height(); }
    int Lines() const { return Across() ? ink_.Height() : ink_.Width(); }
    // Pixel i inwards on line j.
    int At(int i, int j) const
    {
        switch (side_) {
        case Side::Left:
            return ink_.At(i, j);
        case Side::Right:
            return ink_.At(ink_.Width() - 1 - i, j);
        case Side::Top:
            return ink_.At(j, i);
        case Side::Bottom:
            return ink_.At(j, ink_.Height() - 1 - i);
        }
        return 0;
    }
    // Between image points and (s, t), pixel centres at half values.
    QPointF FromImage(QPointF p) const
    {
        switch (side_) {
        case Side::Left:
            return p;
        case Side::Right:
            return {ink_.Width() - p.x(), p.y()};
        case Side::Top:
            return {p.y(), p.x()};
        case Side::Bottom:
            return {ink_.Height() - p.y(), p.x()};
        }
        return p;
    }
    QPointF ToImage(QPointF st) const
    {
        switch (side_) {
        case Side::Left:
            return st;
        case Side::Right:
            return {ink_.Width() - st.x(), st.y()};
        case Side::Top:
            return {st.y(), st.x()};
        case Side::Bottom:
            return {st.y(), ink_.Height() - st.x()};
        }
        return st;
    }

private:
    const TPInkImage &ink_;
    Side side_;
};

// The paper's edge as seen from one side: s = a + b t.
struct Edge {
    bool found = false;
    double a = 0.0;
    double b = 0.0;
    double sigma = 0.0; // how far its position may be off, pixels
    double norm = 1.0;  // the length of (1, b)
    double Norm() const { return norm; }
    double Distance(QPointF st) const { return (st.x() - a - b * st.y()) / Norm(); }
    double Along(QPointF st) const { return (st.y() + b * st.x()) / Norm(); }
};

struct EdgePoint {
    double t;
    double s;
};

// The line through the points, fitted again and again to those near it.
Edge FitEdge(const std::vector<EdgePoint> &points, int minPoints, double minSpan, int lineStep)
{
    Edge edge;
    if (int(points.size()) < minPoints)
        return edge;
    // A start that stray points cannot pull: the medians of either half.
    const size_t half = points.size() / 2;
    const auto median = [](std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    std::vector<double> s1, t1, s2, t2;
    for (size_t i = 0; i < points.size(); ++i) {
        (i < half ? s1 : s2).push_back(points[i].s);
        (i < half ? t1 : t2).push_back(points[i].t);
    }
    const double tA = median(t1), tB = median(t2);
    if (tB - tA <= 0.0)
        return edge;
    edge.b = (median(s2) - median(s1)) / (tB - tA);
    edge.a = median(s1) - edge.b * tA;
    int used = 0;
    double rms = 0.0;
    double first = 0.0, last = 0.0;
    for (double tolerance : EdgeTolerance) {
        double n = 0, st = 0, ss = 0, stt = 0, sts = 0, sum2 = 0;
        first = 1e18;
        last = -1e18;
        for (const EdgePoint &p : points) {
            const double off = p.s - edge.a - edge.b * p.t;
            if (std::abs(off) > tolerance)
                continue;
            n += 1;
            st += p.t;
            ss += p.s;
            stt += p.t * p.t;
            sts += p.t * p.s;
            first = std::min(first, p.t);
            last = std::max(last, p.t);
        }
        const double variance = stt - st * st / std::max(n, 1.0);
        if (n < minPoints || variance <= 0.0)
            return Edge{};
        edge.b = (sts - st * ss / n) / variance;
        edge.a = (ss - edge.b * st) / n;
        for (const EdgePoint &p : points) {
            const double off = p.s - edge.a - edge.b * p.t;
            if (std::abs(off) <= tolerance)
                sum2 += off * off;
        }
        used = int(n);
        rms = std::sqrt(sum2 / n);
    }
    if (used < minPoints || last - first < minSpan || std::abs(edge.b) > MaxTurn)
        return Edge{};
    edge.found = true;
    edge.norm = std::sqrt(1.0 + edge.b * edge.b);
    // Neighbouring lines share the scanner's blur: count them as one.
    edge.sigma = std::max(EdgeSigmaFloor, rms / std::sqrt(used / double(lineStep + 1)));
    return edge;
}

// Where the dark beyond the sheet gives way to paper, line by line, fitted with a line.
Edge FindEdge(const SideView &view, double dpi)
{
    const int run = std::max(2, int(std::lround(PaperRunInches * dpi)));
    const int lineStep = std::max(1, int(dpi / EdgeLinesPerInch));
    const int maxDepth = int(view.Depth() * MaxLidShare);
    std::vector<EdgePoint> points;
    for (int j = 0; j < view.Lines(); j += lineStep) {
        const int level = (view.At(0, j) + view.At(1, j) + view.At(2, j)) / 3;
        if (level < LidInk)
            continue;
        const double half = level / 2.0;
        for (int i = 3; i + run < maxDepth; ++i) {
            if (view.At(i, j) >= half)
                continue;
            int after = 0;
            for (int k = 0; k < run; ++k)
                after += view.At(i + k, j);
            if (4 * after > run * level)
                continue; // a light spot in the lid
            const double before = view.At(i - 1, j);
            const double at = view.At(i, j);
            points.push_back({j + 0.5, i - 0.5 + (before - half) / (before - at)});
            break;
        }
    }
    const int minPoints = int(MinEdgeInches * EdgeLinesPerInch / 2);
    return FitEdge(points, minPoints, MinEdgeInches * dpi, lineStep);
}

struct Sheet {
    std::array<Edge, SideCount> edges;
    std::array<SideView, SideCount> views;
    // Whether an image point lies on the paper, margin pixels inside every edge seen.
    bool Inside(QPointF p, double margin) const
    {
        for (int k = 0; k < SideCount; ++k) {
            if (edges[size_t(k)].found &&
                edges[size_t(k)].Distance(views[size_t(k)].FromImage(p)) < margin)
                return false;
        }
        return true;
    }
};

struct Mark {
    bool found = false;
    bool strayInk = false; // ink near the edge, but not of this mark's shape
    double fromEdge = 0.0; // pixels
    double sigma = 0.0;    // pixels
    double thicknessDots = 0.0;
    QRectF rect; // image pixels
};

struct InkPixel {
    double u; // from the edge, pixels
    double v; // along it, pixels
    double w; // ink above the strip's own
    QPointF image;
};

// The lines of the strip that reach from the sheet's corner as far as the marks can lie (the
// title runs further on): from the top edge down for the first dot, from the left edge across
// for the top margin, and from the same corners turned half round.
std::pair<int, int> CornerLines(const Sheet &sheet, Side side, double dpi)
{
    const int lines = sheet.views[size_t(side)].Lines();
    const int reach = int(MarkReachInches * dpi);
    const auto at = [&sheet](Side corner) {
        const Edge &edge = sheet.edges[size_t(corner)];
        return edge.found ? std::max(0, int(edge.a)) : 0;
    };
    switch (side) {
    case Side::Left:
        return {at(Side::Top), at(Side::Top) + reach};
    case Side::Top:
        return {at(Side::Left), at(Side::Left) + reach};
    case Side::Right:
        return {lines - at(Side::Bottom) - reach, lines - at(Side::Bottom)};
    case Side::Bottom:
        return {lines - at(Side::Right) - reach, lines - at(Side::Right)};
    }
    return {0, lines};
}

// Visits the pixels of the strip along the edge that lie from..to pixels from it, near the
// sheet's corner and on the sheet: visit(u, v, ink, image point).
template <typename Visit>
void ForStrip(const Sheet &sheet, Side side, double dpi, double from, double to, double margin,
              Visit visit)
{
    const SideView &view = sheet.views[size_t(side)];
    const Edge &edge = sheet.edges[size_t(side)];
    const std::pair<int, int> lines = CornerLines(sheet, side, dpi);
    for (int j = std::max(0, lines.first); j < std::min(view.Lines(), lines.second); ++j) {
        const double onEdge = edge.a + edge.b * (j + 0.5);
        const int first = std::max(0, int(std::floor(onEdge + from * edge.Norm())) - 1);
        const int last = std::min(view.Depth() - 1, int(std::ceil(onEdge + to * edge.Norm())) + 1);
        for (int i = first; i <= last; ++i) {
            const QPointF st(i + 0.5, j + 0.5);
            const double u = edge.Distance(st);
            if (u < from || u > to)
                continue;
            const QPointF image = view.ToImage(st);
            if (sheet.Inside(image, margin))
                visit(u, edge.Along(st), view.At(i, j), image);
        }
    }
}

struct Run {
    int first = 0;
    int last = -1;
    double ink = 0.0;
};

// The stretch along the edge, in dots, as long as the mark and holding the most ink of those.
Run MarkRun(const std::vector<double> &along, double threshold, double lengthDots)
{
    Run best;
    Run current{0, -1, 0.0};
    const auto judge = [&] {
        const double length = current.last - current.first + 1;
        if (current.last >= current.first &&
            std::abs(length - lengthDots) <= LengthTolerance * lengthDots && current.ink > best.ink)
            best = current;
    };
    int lastInked = -1000;
    for (int k = 0; k < int(along.size()); ++k) {
        if (along[size_t(k)] <= threshold)
            continue;
        if (k - lastInked > RunGapDots + 1) {
            judge();
            current = {k, k, 0.0};
        }
        current.last = k;
        current.ink += along[size_t(k)];
        lastInked = k;
    }
    judge();
    return best;
}

Mark MeasureMark(const Sheet &sheet, Side side, const MarkShape &shape, double dpi)
{
    Mark mark;
    const double pxPerDot = dpi / PrinterDpi;
    const double start = StripStartDots * pxPerDot;
    const double end = StripEndInches * dpi;
    const double margin = std::min(start, SheetMarginInches * dpi);

    // Across the strip: the mark's ink gathers at its distance, the paper's grain does not.
    std::vector<double> ink(size_t(StripEndInches * PrinterDpi) + 2, 0.0);
    std::vector<double> count(ink.size(), 0.0);
    ForStrip(sheet, side, dpi, start, end, margin, [&](double u, double, int value, QPointF) {
        const size_t bin = std::min(ink.size() - 1, size_t(u / pxPerDot));
        ink[bin] += value;
        count[bin] += 1;
    });
    std::vector<double> levels;
    for (size_t k = 0; k < ink.size(); ++k) {
        if (count[k] > 0)
            levels.push_back(ink[k] / count[k]);
    }
    if (levels.empty())
        return mark;
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    const double grain = levels[levels.size() / 2]; // a pixel's ink where no mark is
    std::vector<double> excess(ink.size(), 0.0);
    for (size_t k = 0; k < ink.size(); ++k)
        excess[k] = ink[k] - grain * count[k];
    const auto top = std::max_element(excess.begin(), excess.end());
    if (*top < MinMarkInk * pxPerDot * pxPerDot)
        return mark;
    mark.strayInk = true;
    mark.thicknessDots = double(
        std::count_if(excess.begin(), excess.end(), [&](double e) { return 2 * e >= *top; }));
    if (mark.thicknessDots > MaxThicknessDots)
        return mark;

    // Along the mark: where it starts and ends.
    const double centre = (double(top - excess.begin()) + 0.5) * pxPerDot;
    const double reach = CentreReachDots * pxPerDot + 1.5;
    std::vector<InkPixel> pixels;
    ForStrip(sheet, side, dpi, std::max(start, centre - reach), std::min(end, centre + reach),
             margin, [&](double u, double v, int value, QPointF image) {
                 pixels.push_back({u, v, value - grain, image});
             });
    if (pixels.empty())
        return mark;
    double lowest = pixels.front().v;
    double highest = lowest;
    for (const InkPixel &p : pixels) {
        lowest = std::min(lowest, p.v);
        highest = std::max(highest, p.v);
    }
    std::vector<double> perDot(size_t((highest - lowest) / pxPerDot) + 2, 0.0);
    for (const InkPixel &p : pixels)
        perDot[size_t((p.v - lowest) / pxPerDot)] += p.w;
    // Summed over a line pitch, so that the first dot's column of dots runs unbroken.
    std::vector<double> along(perDot.size(), 0.0);
    for (size_t k = 0; k < perDot.size(); ++k) {
        for (size_t n = k > 0 ? k - 1 : 0; n <= std::min(k + 1, perDot.size() - 1); ++n)
            along[k] += perDot[n];
    }
    const Run run = MarkRun(along, RunInk * pxPerDot * pxPerDot, shape.lengthDots);
    if (run.last < run.first)
        return mark;
    const double length = run.last - run.first + 1;

    // The centre of its ink, and how far that may be off: the spread of its parts' centres.
    const double from = lowest + run.first * pxPerDot;
    const double to = lowest + (run.last + 1) * pxPerDot;
    const int chunks = std::max(1, int(length / ChunkDots));
    std::vector<double> chunkW(size_t(chunks), 0.0), chunkU(size_t(chunks), 0.0);
    double w = 0.0, wu = 0.0;
    QRectF rect;
    for (const InkPixel &p : pixels) {
        if (p.v < from || p.v >= to)
            continue;
        w += p.w;
        wu += p.w * p.u;
        const size_t chunk =
            std::min(size_t(chunks - 1), size_t((p.v - from) / (to - from) * chunks));
        chunkW[chunk] += p.w;
        chunkU[chunk] += p.w * p.u;
        if (p.w > InkFloor)
            rect = rect.united(QRectF(p.image - QPointF(0.5, 0.5), QSizeF(1, 1)));
    }
    if (w <= 0.0)
        return mark;
    mark.fromEdge = wu / w;
    std::vector<double> centres;
    for (int c = 0; c < chunks; ++c) {
        if (chunkW[size_t(c)] > 0.0)
            centres.push_back(chunkU[size_t(c)] / chunkW[size_t(c)]);
    }
    if (int(centres.size()) < MinChunks) {
        mark.sigma = pxPerDot; // too short to judge: a dot
    } else {
        double spread = 0.0;
        for (double c : centres)
            spread += (c - mark.fromEdge) * (c - mark.fromEdge);
        mark.sigma = std::sqrt(spread / (centres.size() - 1) / centres.size());
    }
    mark.rect = rect;
    mark.found = true;
    return mark;
}

// Whether the paper away from its edges carries ink (another pattern, not a blank sheet).
bool SheetHasInk(const TPInkImage &ink, const Sheet &sheet, double dpi)
{
    const int spacing = std::max(1, int(dpi / SheetInkSpacingDpi));
    const double margin = StripStartDots * dpi / PrinterDpi;
    int inked = 0;
    for (int y = 0; y < ink.Height(); y += spacing) {
        for (int x = 0; x < ink.Width(); x += spacing) {
            if (ink.At(x, y) > SheetInk && sheet.Inside(QPointF(x + 0.5, y + 0.5), margin) &&
                ++inked >= SheetInkPixels)
                return true;
        }
    }
    return false;
}

ItemReading Propose(const MarkShape &shape, const Edge &edge, const Mark &mark, double dpi,
                    int printed)
{
    const double pxPerDot = dpi / PrinterDpi;
    const double aimDots = G::MarginAimMillimetres / MmPerInch * PrinterDpi;
    const double raw = (aimDots - mark.fromEdge / pxPerDot) / shape.dotsPerStep;
    const int steps = int(std::lround(raw));
    const double sigmaSteps = std::hypot(edge.sigma, mark.sigma) / pxPerDot / shape.dotsPerStep;
    const double between = shape.wholeSteps ? std::abs(raw - steps) : 0.0;
    ItemReading item;
    item.item = QString::fromLatin1(shape.item);
    item.mark = mark.rect;
    item.confidence =
        std::clamp(1.0 - std::max(sigmaSteps / (2 * shape.sureSteps), between), 0.0, 1.0);
    const int value = printed + steps;
    if (value < MinValue || value > MaxValue) {
        item.proposal = std::clamp(value, MinValue, MaxValue);
        item.printAgain = true;
        item.remark = QStringLiteral("the mark lies further off than the value reaches: input "
                                     "this, print again and read again");
        return item;
    }
    item.proposal = value;
    if (sigmaSteps > shape.sureSteps)
        item.remark = QStringLiteral("the mark is too faint or uneven to place exactly");
    else if (between > 0.3)
        item.remark = QStringLiteral("the mark lies between two values");
    else
        item.sure = true;
    return item;
}
} // namespace

PageReading ReadMarginImage(const TPInkImage &ink, std::optional<double> statedDpi,
                            MarginItem which, int printed)
{
    const MarkShape shape = ShapeOf(which);
    std::vector<double> dpis;
    if (statedDpi)
        dpis.push_back(*statedDpi);
    else
        dpis.assign(std::begin(GuessedDpis), std::end(GuessedDpis));
    PageReading reading;
    reading.failure = ReadFailure::NoPattern;
    for (double dpi : dpis) {
        Sheet sheet{{},
                    {SideView(ink, Side::Left), SideView(ink, Side::Top),
                     SideView(ink, Side::Right), SideView(ink, Side::Bottom)}};
        for (int k = 0; k < SideCount; ++k)
            sheet.edges[size_t(k)] = FindEdge(sheet.views[size_t(k)], dpi);
        const Edge &edge = sheet.edges[size_t(shape.side)];
        const Mark mark = edge.found ? MeasureMark(sheet, shape.side, shape, dpi) : Mark{};
        if (!mark.found) {
            if (sheet.edges[size_t(shape.opposite)].found &&
                MeasureMark(sheet, shape.opposite, shape, dpi).found) {
                reading.failure = ReadFailure::UpsideDown;
                return reading;
            }
            if (!edge.found)
                reading.failure = ReadFailure::NoPaperEdge;
            else if (mark.strayInk || SheetHasInk(ink, sheet, dpi))
                reading.failure = ReadFailure::WrongPattern;
            continue;
        }
        reading.failure = ReadFailure::None;
        reading.dpi = dpi;
        const double turn = std::atan(edge.b) * 180.0 / Pi;
        reading.skewDegrees = shape.side == Side::Left ? -turn : turn;
        reading.items.push_back(Propose(shape, edge, mark, dpi, printed));
        return reading;
    }
    return reading;
}

PageReading TPPageReader::ReadFirstDot(int printed)
{
    if (imageFailure_ != ReadFailure::None) {
        PageReading reading;
        reading.failure = imageFailure_;
        return reading;
    }
    return ReadMarginImage(*ink_, statedDpi_, MarginItem::FirstDot, printed);
}

PageReading TPPageReader::ReadTopMargin(int printed)
{
    if (imageFailure_ != ReadFailure::None) {
        PageReading reading;
        reading.failure = imageFailure_;
        return reading;
    }
    return ReadMarginImage(*ink_, statedDpi_, MarginItem::TopMargin, printed);
}

} // namespace TPScan
