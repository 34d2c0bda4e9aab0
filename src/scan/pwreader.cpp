// The PW sensor page: against each side edge a staircase of 28 short vertical marks (values
// -8 to 19, one row of the marks two dots further right per value), against the top and the
// bottom edge a staircase of 21 diagonal bars (values -10 to 10, one raster line further down
// per bar). For each edge the value is that of the mark or bar that lies 5 mm from the paper's
// edge, so the edge itself must be in the image: the lid beyond the sheet must be darker than
// the paper. Every mark of a staircase measures the same value (its own number less its
// distance from 5 mm in steps), so all of them are averaged.
#include "readerparts.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace TPScan
{

namespace
{
constexpr double EdgeDistanceDots = 5.0 / 25.4 * WorkingDpi; // 5 mm
constexpr double SideStepDots = 2.0;                         // 1/180 inch per value
constexpr double EndStepDots = 3.0;                          // one raster line, 1/120 inch
constexpr int SideMarks = 28;
constexpr int FirstSideValue = -8;
constexpr int Bars = 21;
constexpr double BarPitchDots = 34 * 4;   // each bar 34 byte columns right of the last
constexpr double BarLengthDots = 32 * 4;  // a bar is 32 byte columns long
constexpr double MarkPitchDots = 22 * 3;  // 21 raster lines of a mark and a blank line
constexpr double MarkHeightDots = 21 * 3; // the lines of one mark
constexpr double MarkInnerShare = 0.15;   // rows left out at each end of a mark (blur)

constexpr int ThinReach = 6;         // a bar or mark pixel has bare paper this far either side
constexpr int RunGap = 3;            // breaks bridged within a bar
constexpr int MarkInk = 60;          // over three rows
constexpr int InkFloor = 16;         // below this a pixel weighs nothing (paper noise)
constexpr int LidInk = 40;           // the lid beyond the sheet is at least this dark
constexpr int LidRun = 30;           // ... over this many pixels at the least
constexpr int LidShort = 8;          // or as far as the image goes, but at least this far
constexpr double EdgeReach = 1.2;    // inches walked from inside the sheet towards an edge
constexpr double MinEdgeShare = 0.3; // of the rows (or columns) tried must find the edge
constexpr double EdgeOutlier = 2.0;  // pixels off the fitted edge: left out
constexpr double MedianReach = 15.0; // ... first off the median: the sheet is straightened
constexpr double PitchTolerance = 0.15;
constexpr double MinScale = 0.6; // the pattern's size on a map of a guessed resolution
constexpr double MaxScale = 2.1;
constexpr double PwScaleTolerance = 0.01;
constexpr double SideStrip = 0.375; // inches in from a side edge where the marks lie
constexpr double StripStart = 0.03;
constexpr int ColumnBreak = 3;       // pixel columns without marks that still join the staircase
constexpr double BarClearance = 0.3; // inches between the bars and the marks' rows
constexpr double SideInside = 0.7;   // inches in from the bars' ends: beyond marks and labels

// Sure when the marks agree within this (steps, standard deviation) and their mean lies this
// near a value.
constexpr double SureSpread = 0.25;
constexpr double SureDistance = 0.3;

enum class Edge { Right, Left, Top, Bottom };

struct Bar {
    double left = 0.0;
    double right = 0.0;
    double y = 0.0; // the ink-weighted centre row
    int top = 0;
    int bottom = 0;
    double Centre() const { return (left + right) / 2.0; }
};

struct Line {
    double offset = 0.0; // position across the edge at 0 along it
    double slope = 0.0;
    double At(double along) const { return offset + slope * along; }
};

struct EdgeFit {
    std::optional<Line> line;
    bool outsideImage = false; // the walks left the image before they met the lid
};

struct Staircase {
    std::vector<double> across; // each mark's centre across the edge
    std::vector<double> along;  // ... and along it
    std::vector<QRectF> marks;
};

bool Thin(const TPInkMap &map, int x, int y, bool vertical)
{
    const int dx = vertical ? ThinReach : 0;
    const int dy = vertical ? 0 : ThinReach;
    if (x - dx < 0 || y - dy < 0 || x + dx >= map.Width() || y + dy >= map.Height())
        return false;
    return map.At(x, y) > InkedLevel && map.At(x - dx, y - dy) <= InkedLevel &&
           map.At(x + dx, y + dy) <= InkedLevel;
}

// A mark's pixel: the marks are printed a raster line in three, so three rows are taken
// together; bare paper lies ThinReach either side.
bool MarkPixel(const TPInkMap &map, int x, int y)
{
    if (x - ThinReach < 0 || y < 1 || x + ThinReach >= map.Width() || y + 1 >= map.Height())
        return false;
    const auto column = [&map, y](int at) {
        return map.At(at, y - 1) + map.At(at, y) + map.At(at, y + 1);
    };
    return column(x) > MarkInk && column(x - ThinReach) <= MarkInk &&
           column(x + ThinReach) <= MarkInk;
}

double Weight(const TPInkMap &map, int x, int y)
{
    return std::max(0, map.At(x, y) - InkFloor);
}

// Thin horizontal lines at least most of a bar long, joined row to row.
std::vector<Bar> FindBars(const TPInkMap &map)
{
    const int minRun = int(MinScale * 0.8 * BarLengthDots);
    const int maxRun = int(MaxScale * 1.2 * BarLengthDots);
    std::vector<Bar> open;
    std::vector<Bar> bars;
    for (int y = 0; y < map.Height(); ++y) {
        int start = -1;
        int last = -100;
        for (int x = 0; x <= map.Width(); ++x) {
            const bool inked = x < map.Width() && Thin(map, x, y, false);
            if (inked) {
                if (start < 0 || x - last > RunGap + 1)
                    start = x;
                last = x;
                continue;
            }
            if (start < 0 || x - last <= RunGap + 1)
                continue;
            const int length = last - start + 1;
            if (length >= minRun && length <= maxRun) {
                auto joined = std::find_if(open.begin(), open.end(), [&](const Bar &bar) {
                    return y - bar.bottom <= RunGap && start < bar.right && last > bar.left;
                });
                if (joined == open.end()) {
                    open.push_back({double(start), double(last), 0.0, y, y + 1});
                } else {
                    joined->left = std::min(joined->left, double(start));
                    joined->right = std::max(joined->right, double(last));
                    joined->bottom = y + 1;
                }
            }
            start = -1;
        }
        for (auto it = open.begin(); it != open.end();) {
            if (y - it->bottom > RunGap) {
                bars.push_back(*it);
                it = open.erase(it);
            } else {
                ++it;
            }
        }
    }
    bars.insert(bars.end(), open.begin(), open.end());
    for (Bar &bar : bars) {
        double weighted = 0.0;
        double total = 0.0;
        const int inset = int(0.1 * (bar.right - bar.left));
        for (int y = std::max(0, bar.top - 2); y < std::min(map.Height(), bar.bottom + 2); ++y)
            for (int x = int(bar.left) + inset; x <= int(bar.right) - inset; ++x) {
                weighted += y * Weight(map, x, y);
                total += Weight(map, x, y);
            }
        bar.y = total > 0.0 ? weighted / total : (bar.top + bar.bottom) / 2.0;
    }
    return bars;
}

// The 21 bars of one staircase among the bars of one half of the page, left to right; empty
// when they are not there.
std::vector<Bar> BarStaircase(std::vector<Bar> bars, double *pitch)
{
    std::sort(bars.begin(), bars.end(),
              [](const Bar &a, const Bar &b) { return a.Centre() < b.Centre(); });
    for (size_t first = 0; first + Bars <= bars.size(); ++first) {
        // The bar's own length tells the size the pattern has on the map.
        const double scale = (bars[first].right - bars[first].left + 1) / BarLengthDots;
        const double expected = BarPitchDots * scale;
        std::vector<Bar> chain{bars[first]};
        for (size_t i = first + 1; i < bars.size() && chain.size() < size_t(Bars); ++i) {
            const double gap = bars[i].Centre() - chain.back().Centre();
            const double rise = bars[i].y - chain.back().y;
            if (std::abs(gap - expected) < PitchTolerance * expected &&
                std::abs(rise - EndStepDots * scale) < 2.0 * scale + 1.0)
                chain.push_back(bars[i]);
        }
        if (chain.size() == size_t(Bars)) {
            *pitch = (chain.back().Centre() - chain.front().Centre()) / (Bars - 1);
            return chain;
        }
    }
    return {};
}

// A straight line through the points, refitted without those far off it.
std::optional<Line> FitLine(const std::vector<QPointF> &points, size_t wanted)
{
    if (points.size() < std::max<size_t>(wanted, 10))
        return std::nullopt;
    // Rows where a label or a speck was taken for the lid lie far off: the median first.
    std::vector<double> across;
    for (const QPointF &p : points)
        across.push_back(p.y());
    std::nth_element(across.begin(), across.begin() + across.size() / 2, across.end());
    const double median = across[across.size() / 2];
    std::vector<QPointF> kept;
    for (const QPointF &p : points)
        if (std::abs(p.y() - median) <= MedianReach)
            kept.push_back(p);
    Line line;
    for (int round = 0; round < 3; ++round) {
        if (kept.size() < std::max<size_t>(wanted, 10))
            return std::nullopt;
        double n = 0, sa = 0, sc = 0, saa = 0, sac = 0;
        for (const QPointF &p : kept) {
            n += 1;
            sa += p.x();
            sc += p.y();
            saa += p.x() * p.x();
            sac += p.x() * p.y();
        }
        const double variance = saa - sa * sa / n;
        line.slope = variance > 0.0 ? (sac - sa * sc / n) / variance : 0.0;
        line.offset = sc / n - line.slope * sa / n;
        std::vector<QPointF> next;
        for (const QPointF &p : kept)
            if (std::abs(p.y() - line.At(p.x())) <= EdgeOutlier)
                next.push_back(p);
        kept.swap(next);
    }
    return kept.size() >= wanted ? std::optional<Line>(line) : std::nullopt;
}

class EdgeFinder
{
public:
    EdgeFinder(const TPInkMap &map, const QSize &imageSize) : map_(map), imageSize_(imageSize) {}

    // Walks from inside the sheet (`from` across the edge) towards the edge, once for each
    // position along it, and fits the line where the lid begins. Along is y for the side
    // edges, x for the top and the bottom.
    EdgeFit Find(Edge edge, double from, int alongFirst, int alongLast) const
    {
        const bool side = edge == Edge::Right || edge == Edge::Left;
        const int direction = edge == Edge::Left || edge == Edge::Top ? -1 : 1;
        const int reach = int(EdgeReach * WorkingDpi);
        std::vector<QPointF> crossings;
        int tried = 0;
        int outside = 0;
        for (int along = alongFirst; along <= alongLast; ++along) {
            ++tried;
            bool left = false;
            const std::optional<double> at = Crossing(side, along, from, direction, reach, &left);
            outside += left ? 1 : 0;
            if (at)
                crossings.emplace_back(along, *at);
        }
        EdgeFit fit;
        fit.line = FitLine(crossings, size_t(MinEdgeShare * tried));
        fit.outsideImage = !fit.line && outside > tried / 2;
        return fit;
    }

private:
    bool Inside(double x, double y) const
    {
        const QPointF p = map_.ToImage(QPointF(x, y));
        return p.x() >= 0 && p.y() >= 0 && p.x() < imageSize_.width() - 1 &&
               p.y() < imageSize_.height() - 1;
    }
    int InkAt(bool side, int along, int across) const
    {
        return side ? map_.At(across, along) : map_.At(along, across);
    }
    bool InMap(bool side, int across) const
    {
        return across >= 0 && across < (side ? map_.Width() : map_.Height());
    }

    // Where the ink passes half the lid's darkness, or nothing when no lid follows.
    std::optional<double> Crossing(bool side, int along, double from, int direction, int reach,
                                   bool *leftImage) const
    {
        if (along < 0 || along >= (side ? map_.Height() : map_.Width()))
            return std::nullopt;
        const int start = int(std::lround(from));
        for (int step = 0; step < reach; ++step) {
            const int across = start + direction * step;
            const auto inside = [&](int a) {
                return InMap(side, a) && (side ? Inside(a, along) : Inside(along, a));
            };
            if (!inside(across)) {
                *leftImage = true;
                return std::nullopt;
            }
            if (InkAt(side, along, across) <= LidInk)
                continue;
            int run = 0;
            std::vector<int> levels;
            while (run < LidRun && inside(across + direction * run) &&
                   InkAt(side, along, across + direction * run) > LidInk) {
                levels.push_back(InkAt(side, along, across + direction * run));
                ++run;
            }
            const bool lid =
                run >= LidRun || (run >= LidShort && !inside(across + direction * run));
            if (!lid)
                continue;
            std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
            const double half = levels[levels.size() / 2] / 2.0;
            // Back to where the ink rises through half the lid's level, between two pixels.
            int a = across;
            while (inside(a - direction) && InkAt(side, along, a - direction) > half)
                a -= direction;
            if (!inside(a - direction))
                return std::nullopt; // lid as far as the image goes: no sheet met
            const int before = InkAt(side, along, a - direction);
            const int after = InkAt(side, along, a);
            const double share =
                after > before ? std::clamp((half - before) / double(after - before), 0.0, 1.0)
                               : 0.5;
            // Pixel a - direction lies below half, pixel a above it.
            return a - direction + direction * share;
        }
        return std::nullopt;
    }

    const TPInkMap &map_;
    QSize imageSize_;
};

// The 28 marks against a side edge: thin vertical ink in the strip along it, cut into marks
// by their pitch; each mark's centre across from the ink of its inner rows.
Staircase SideStaircase(const TPInkMap &map, Edge edge, const Line &line, double scale,
                        int firstRow, int lastRow)
{
    const int direction = edge == Edge::Left ? 1 : -1; // into the sheet
    double near = StripStart * WorkingDpi * scale;
    double far = SideStrip * WorkingDpi * scale;
    const auto stripOf = [&](int y) {
        const double a = line.At(y) + direction * near;
        const double b = line.At(y) + direction * far;
        return std::pair<int, int>(std::max(0, int(std::min(a, b))),
                                   std::min(map.Width() - 1, int(std::max(a, b))));
    };
    // The longest run of rows holding thin ink, short breaks bridged (specks stand alone).
    const int bridge = int(std::lround(2 * ThinReach * scale));
    int top = -1;
    int bottom = -1;
    int runTop = -1;
    int runLast = -1;
    for (int y = std::max(0, firstRow); y <= std::min(map.Height() - 1, lastRow) + bridge + 1;
         ++y) {
        bool inked = false;
        if (y <= std::min(map.Height() - 1, lastRow)) {
            const auto [from, to] = stripOf(y);
            for (int x = from; x <= to && !inked; ++x)
                inked = MarkPixel(map, x, y);
        }
        if (inked) {
            runTop = runTop < 0 || y - runLast > bridge ? y : runTop;
            runLast = y;
        } else if (runTop >= 0 && y - runLast > bridge) {
            if (runLast - runTop > bottom - top) {
                top = runTop;
                bottom = runLast;
            }
            runTop = -1;
        }
    }
    Staircase stairs;
    const double pitch = MarkPitchDots * scale;
    const double height = (SideMarks - 1) * pitch + MarkHeightDots * scale;
    if (top < 0 || std::abs(bottom - top + 1 - height) > PitchTolerance * height)
        return stairs;
    // The marks' columns run together from the edge inwards; the labels beside them stand
    // apart (their place moves with the first dot, not with the sensor).
    std::vector<int> counts(size_t(far) + 1, 0);
    for (int y = top; y <= bottom; ++y)
        for (int o = int(near); o <= int(far); ++o) {
            const int x = int(std::lround(line.At(y))) + direction * o;
            counts[size_t(o)] += x >= 0 && x < map.Width() && MarkPixel(map, x, y) ? 1 : 0;
        }
    const int enough = std::max(3, int(MarkHeightDots * scale / 4));
    int firstColumn = -1;
    int lastColumn = -1;
    for (int o = int(near); o <= int(far); ++o) {
        if (counts[size_t(o)] < enough)
            continue;
        if (firstColumn >= 0 && o - lastColumn > ColumnBreak)
            break;
        firstColumn = firstColumn < 0 ? o : firstColumn;
        lastColumn = o;
    }
    if (firstColumn < 0)
        return stairs;
    near = std::max(near, firstColumn - double(ColumnBreak));
    far = std::min(far, lastColumn + double(ColumnBreak));
    const double markTop = (top + bottom + 1 - height) / 2.0;
    for (int k = 0; k < SideMarks; ++k) {
        const double from = markTop + k * pitch;
        const int first = int(std::ceil(from + MarkInnerShare * MarkHeightDots * scale));
        const int last = int(std::floor(from + (1 - MarkInnerShare) * MarkHeightDots * scale));
        double weighted = 0.0;
        double total = 0.0;
        for (int y = first; y <= last; ++y) {
            const auto [x0, x1] = stripOf(y);
            for (int x = x0; x <= x1; ++x)
                if (MarkPixel(map, x, y) || MarkPixel(map, x - 1, y) || MarkPixel(map, x + 1, y)) {
                    weighted += x * Weight(map, x, y);
                    total += Weight(map, x, y);
                }
        }
        if (total <= 0.0)
            return {};
        const double x = weighted / total;
        stairs.across.push_back(x);
        stairs.along.push_back((first + last) / 2.0);
        stairs.marks.push_back(QRectF(x - 3 * scale, from, 6 * scale, MarkHeightDots * scale));
    }
    return stairs;
}

struct EdgeValue {
    double mean = 0.0;
    double spread = 0.0;
};

// Each mark's own number less how far it lies from 5 mm, in steps.
EdgeValue ValueOf(const std::vector<double> &distances, int firstValue, int valueStep, double step,
                  int sign)
{
    std::vector<double> values;
    for (size_t k = 0; k < distances.size(); ++k)
        values.push_back(firstValue + valueStep * int(k) +
                         sign * (distances[k] - EdgeDistanceDots) / step);
    EdgeValue value;
    for (double v : values)
        value.mean += v;
    value.mean /= values.size();
    for (double v : values)
        value.spread += (v - value.mean) * (v - value.mean);
    value.spread = std::sqrt(value.spread / std::max<size_t>(1, values.size() - 1));
    return value;
}

ItemReading Judge(const char *name, const EdgeValue &value, int minimum, int maximum)
{
    ItemReading reading;
    reading.item = QString::fromLatin1(name);
    const int nearest = int(std::lround(value.mean));
    const double distance = std::abs(value.mean - nearest);
    reading.confidence = std::clamp(
        1.0 - std::max(value.spread / (2 * SureSpread), distance / (2 * SureDistance)), 0.0, 1.0);
    if (nearest < minimum || nearest > maximum) {
        reading.remark = QStringLiteral("the line 5 mm from the edge lies beyond the printed "
                                        "lines (%1 to %2)")
                             .arg(minimum)
                             .arg(maximum);
        reading.confidence = 0.0;
        return reading;
    }
    reading.proposal = nearest;
    if (value.spread > SureSpread)
        reading.remark = QStringLiteral("the lines disagree about the distance from the edge");
    else if (distance > SureDistance)
        reading.remark = QStringLiteral("5 mm from the edge lies between two lines");
    else
        reading.sure = true;
    return reading;
}

ItemReading Unread(const char *name, const QString &remark)
{
    ItemReading reading;
    reading.item = QString::fromLatin1(name);
    reading.remark = remark;
    return reading;
}

QString NoEdge(const char *edge, bool outside)
{
    return outside ? QStringLiteral("the paper's %1 edge is not in the image").arg(edge)
                   : QStringLiteral("the paper's %1 edge does not stand out; scan "
                                    "with a dark lid or a dark sheet behind the page")
                         .arg(edge);
}

const char *NameOf(Edge edge)
{
    switch (edge) {
    case Edge::Right:
        return "Right";
    case Edge::Left:
        return "Left";
    case Edge::Top:
        return "Top";
    case Edge::Bottom:
        return "Bottom";
    }
    return "";
}

const char *WordOf(Edge edge)
{
    switch (edge) {
    case Edge::Right:
        return "right";
    case Edge::Left:
        return "left";
    case Edge::Top:
        return "top";
    case Edge::Bottom:
        return "bottom";
    }
    return "";
}

ItemReading ReadSide(const TPInkMap &map, const EdgeFinder &finder, Edge edge,
                     const std::vector<Bar> &top, const std::vector<Bar> &bottom, double scale)
{
    // Between the two staircases of bars (or the map's end where one is not in the image),
    // inside the sheet beyond the marks and their labels.
    const double clear = BarClearance * WorkingDpi * scale;
    const int firstRow = top.empty() ? 0 : int(top.back().y + clear);
    const int lastRow = bottom.empty() ? map.Height() - 1 : int(bottom.front().y - clear);
    const std::vector<Bar> &bars = top.empty() ? bottom : top;
    const double inside = edge == Edge::Left ? bars.front().left + SideInside * WorkingDpi * scale
                                             : bars.back().right - SideInside * WorkingDpi * scale;
    const EdgeFit fit = finder.Find(edge, inside, firstRow, lastRow);
    if (!fit.line)
        return Unread(NameOf(edge), NoEdge(WordOf(edge), fit.outsideImage));
    const Staircase stairs = SideStaircase(map, edge, *fit.line, scale, firstRow, lastRow);
    if (stairs.across.size() != size_t(SideMarks))
        return Unread(NameOf(edge), QStringLiteral("the 28 marks along the %1 edge "
                                                   "were not all found")
                                        .arg(WordOf(edge)));
    std::vector<double> distances;
    for (size_t k = 0; k < stairs.across.size(); ++k)
        distances.push_back(std::abs(stairs.across[k] - fit.line->At(stairs.along[k])) / scale);
    // Further values lie further from the left edge and nearer the right one.
    const int sign = edge == Edge::Left ? -1 : 1;
    ItemReading reading =
        Judge(NameOf(edge), ValueOf(distances, FirstSideValue, 1, SideStepDots, sign),
              FirstSideValue, FirstSideValue + SideMarks - 1);
    if (reading.proposal)
        reading.mark = stairs.marks[size_t(*reading.proposal - FirstSideValue)];
    return reading;
}

ItemReading ReadEnd(const EdgeFinder &finder, Edge edge, const std::vector<Bar> &bars, double scale)
{
    const bool topEdge = edge == Edge::Top;
    double inside = topEdge ? -1e9 : 1e9;
    for (const Bar &bar : bars)
        inside = topEdge ? std::max(inside, double(bar.bottom)) : std::min(inside, double(bar.top));
    inside += (topEdge ? 1 : -1) * 0.05 * WorkingDpi * scale;
    const EdgeFit fit = finder.Find(edge, inside, int(bars.front().left), int(bars.back().right));
    if (!fit.line)
        return Unread(NameOf(edge), NoEdge(WordOf(edge), fit.outsideImage));
    std::vector<double> distances;
    for (const Bar &bar : bars)
        distances.push_back(std::abs(bar.y - fit.line->At(bar.Centre())) / scale);
    // Left to right the bars read -10 to 10 at the top and 10 to -10 at the bottom; either
    // way a bar further from the edge stands for a smaller value.
    constexpr int Half = Bars / 2;
    const int firstValue = topEdge ? -Half : Half;
    const int valueStep = topEdge ? 1 : -1;
    ItemReading reading = Judge(
        NameOf(edge), ValueOf(distances, firstValue, valueStep, EndStepDots, -1), -Half, Half);
    if (reading.proposal) {
        const Bar &bar = bars[size_t((*reading.proposal - firstValue) * valueStep)];
        reading.mark =
            QRectF(bar.left, bar.top - 2, bar.right - bar.left + 1, bar.bottom - bar.top + 4);
    }
    return reading;
}

// Right way up the marks and their labels stand in the sheet's upper half, nearer the top
// staircase of bars.
bool LooksUpsideDown(const TPInkMap &map, const std::vector<Bar> &top,
                     const std::vector<Bar> &bottom)
{
    const int first = top.empty() ? 0 : int(top.back().y) + ThinReach;
    const int last = bottom.empty() ? map.Height() : int(bottom.front().y) - ThinReach;
    double weighted = 0.0;
    double total = 0.0;
    for (int y = std::max(0, first); y < std::min(map.Height(), last); ++y)
        for (int x = 0; x < map.Width(); ++x)
            if (MarkPixel(map, x, y)) {
                weighted += y;
                total += 1.0;
            }
    const double middle = top.empty() || bottom.empty() ? map.Height() / 2.0 : (first + last) / 2.0;
    return total > 0.0 && weighted / total > middle;
}

bool AnyThinInk(const TPInkMap &map)
{
    constexpr int Enough = 200;
    int count = 0;
    for (int y = 0; y < map.Height() && count < Enough; ++y)
        for (int x = 0; x < map.Width() && count < Enough; ++x)
            count += Thin(map, x, y, true) || Thin(map, x, y, false) ? 1 : 0;
    return count >= Enough;
}
} // namespace

Attempt ReadPwSensorMap(const TPInkMap &map, const QSize &imageSize)
{
    Attempt attempt;
    const std::vector<Bar> bars = FindBars(map);
    std::vector<Bar> upper;
    std::vector<Bar> lower;
    for (const Bar &bar : bars)
        (bar.y < map.Height() / 2.0 ? upper : lower).push_back(bar);
    double topPitch = 0.0;
    double bottomPitch = 0.0;
    const std::vector<Bar> top = BarStaircase(upper, &topPitch);
    const std::vector<Bar> bottom = BarStaircase(lower, &bottomPitch);
    if (top.empty() && bottom.empty()) {
        attempt.failure = AnyThinInk(map) ? ReadFailure::WrongPattern : ReadFailure::NoPattern;
        return attempt;
    }
    if (!top.empty() && !bottom.empty() &&
        std::abs(topPitch - bottomPitch) > PitchTolerance * topPitch) {
        attempt.failure = ReadFailure::WrongPattern;
        return attempt;
    }
    const double pitch = top.empty()      ? bottomPitch
                         : bottom.empty() ? topPitch
                                          : (topPitch + bottomPitch) / 2;
    attempt.scale = pitch / BarPitchDots;
    if (LooksUpsideDown(map, top, bottom)) {
        attempt.outcome = Attempt::Outcome::UpsideDown;
        return attempt;
    }
    const EdgeFinder finder(map, imageSize);
    for (Edge edge : {Edge::Right, Edge::Left})
        attempt.items.push_back(ReadSide(map, finder, edge, top, bottom, attempt.scale));
    for (const auto &[edge, bars] : {std::pair(Edge::Top, &top), std::pair(Edge::Bottom, &bottom)})
        attempt.items.push_back(bars->empty()
                                    ? Unread(NameOf(edge), QStringLiteral("the %1 bars are not "
                                                                          "all in the image")
                                                               .arg(WordOf(edge)))
                                    : ReadEnd(finder, edge, *bars, attempt.scale));
    attempt.outcome = Attempt::Outcome::Read;
    return attempt;
}

PageReading TPPageReader::ReadPwSensor()
{
    // The lid beyond the sheet is kept: the edges are measured against it.
    const QSize imageSize = image_.size();
    return Read([imageSize](const TPInkMap &map) { return ReadPwSensorMap(map, imageSize); },
                PwScaleTolerance, true);
}

} // namespace TPScan
