#include "inkmap.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace TPScan
{

namespace
{
constexpr double Pi = 3.14159265358979323846;
constexpr int PaperPercentile = 80; // most of a pattern page is bare paper
constexpr int SkewInk = 24;         // coarse pixels this dark take part in the skew search
constexpr double SkewStep = 0.05;
constexpr double SkewFineStep = 0.01;
constexpr double SurroundingShare = 0.6;
constexpr int SurroundingInk = 96;

// The bare paper's lightness: darker pixels are ink in proportion.
int PaperLevel(const std::vector<uint8_t> &darkest)
{
    std::vector<int> histogram(256, 0);
    for (uint8_t value : darkest)
        ++histogram[value];
    const size_t wanted = darkest.size() * (100 - PaperPercentile) / 100;
    size_t seen = 0;
    for (int level = 255; level > 0; --level) {
        seen += static_cast<size_t>(histogram[level]);
        if (seen > wanted)
            return std::max(level, 32);
    }
    return 255;
}
} // namespace

TPInkImage::TPInkImage(const QImage &image)
{
    const bool grey = image.format() == QImage::Format_Grayscale8;
    const bool rgb =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    const QImage source = grey || rgb ? image : image.convertToFormat(QImage::Format_RGB32);
    if (source.isNull())
        return;
    width_ = source.width();
    height_ = source.height();
    // Yellow is pale to the eye but plain against blue: take the darkest channel.
    ink_.resize(static_cast<size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
        uint8_t *out = ink_.data() + static_cast<size_t>(y) * width_;
        if (grey) {
            std::copy_n(source.constScanLine(y), width_, out);
            continue;
        }
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < width_; ++x)
            out[x] =
                static_cast<uint8_t>(std::min({qRed(line[x]), qGreen(line[x]), qBlue(line[x])}));
    }
    const int paper = PaperLevel(ink_);
    std::array<uint8_t, 256> toInk{};
    for (int level = 0; level < 256; ++level)
        toInk[size_t(level)] =
            static_cast<uint8_t>(std::clamp((paper - level) * 255 / paper, 0, 255));
    for (uint8_t &value : ink_)
        value = toInk[value];
}

TPInkImage TPInkImage::Shrunk(int factor) const
{
    TPInkImage shrunk;
    shrunk.shrink_ = shrink_ * std::max(1, factor);
    factor = std::max(1, factor);
    shrunk.width_ = width_ / factor;
    shrunk.height_ = height_ / factor;
    shrunk.ink_.assign(static_cast<size_t>(shrunk.width_) * shrunk.height_, 0);
    std::vector<int> sums(static_cast<size_t>(shrunk.width_));
    const int area = factor * factor;
    for (int y = 0; y < shrunk.height_; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int dy = 0; dy < factor; ++dy) {
            const uint8_t *in = ink_.data() + static_cast<size_t>(y * factor + dy) * width_;
            for (int x = 0; x < shrunk.width_ * factor; ++x)
                sums[static_cast<size_t>(x / factor)] += in[x];
        }
        uint8_t *out = shrunk.ink_.data() + static_cast<size_t>(y) * shrunk.width_;
        for (int x = 0; x < shrunk.width_; ++x)
            out[x] = static_cast<uint8_t>(sums[static_cast<size_t>(x)] / area);
    }
    return shrunk;
}

double TPInkImage::Sample(double x, double y) const
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= width_ || y0 + 1 >= height_)
        return 0.0;
    const double fx = x - x0;
    const double fy = y - y0;
    const uint8_t *row = ink_.data() + static_cast<size_t>(y0) * width_ + x0;
    const uint8_t *below = row + width_;
    return (row[0] * (1 - fx) + row[1] * fx) * (1 - fy) +
           (below[0] * (1 - fx) + below[1] * fx) * fy;
}

double FindSkew(const TPInkImage &coarse, double limitDegrees)
{
    struct Point {
        double x, y, ink;
    };
    std::vector<Point> points;
    for (int y = 0; y < coarse.Height(); ++y)
        for (int x = 0; x < coarse.Width(); ++x)
            if (coarse.At(x, y) > SkewInk)
                points.push_back({double(x), double(y), double(coarse.At(x, y))});
    if (points.empty())
        return 0.0;
    const int bins = coarse.Width() + coarse.Height();
    std::vector<double> histogram(static_cast<size_t>(2 * bins));
    auto score = [&](double degrees) {
        const double angle = degrees * Pi / 180.0;
        const double s = std::sin(angle);
        const double c = std::cos(angle);
        std::fill(histogram.begin(), histogram.end(), 0.0);
        for (const Point &p : points) {
            // Shared between the two nearest bins, so that no angle gains from rounding.
            const double at = c * p.y - s * p.x + bins;
            const int bin = static_cast<int>(std::floor(at));
            const double share = at - bin;
            if (bin >= 0 && bin + 1 < int(histogram.size())) {
                histogram[static_cast<size_t>(bin)] += p.ink * (1.0 - share);
                histogram[static_cast<size_t>(bin + 1)] += p.ink * share;
            }
        }
        double total = 0.0;
        for (double ink : histogram)
            total += ink * ink;
        return total;
    };
    auto best = [&](double from, double to, double step) {
        double bestAngle = from;
        double bestScore = -1.0;
        for (double degrees = from; degrees <= to + 1e-9; degrees += step) {
            const double value = score(degrees);
            if (value > bestScore) {
                bestScore = value;
                bestAngle = degrees;
            }
        }
        return bestAngle;
    };
    const double rough = best(-limitDegrees, limitDegrees, SkewStep);
    return best(rough - SkewStep, rough + SkewStep, SkewFineStep);
}

TPInkMap::TPInkMap(const TPInkImage &image, double dpi, double skewDegrees, bool upsideDown)
{
    const double angle = (skewDegrees + (upsideDown ? 180.0 : 0.0)) * Pi / 180.0;
    cos_ = std::cos(angle);
    sin_ = std::sin(angle);
    scale_ = dpi / WorkingDpi;
    const double shrunkScale = scale_ / image.Shrink();
    const double w = image.Width() / shrunkScale;
    const double h = image.Height() / shrunkScale;
    const double turnedSin = std::abs(std::sin(skewDegrees * Pi / 180.0));
    width_ = static_cast<int>(w + h * turnedSin) + 1;
    height_ = static_cast<int>(h + w * turnedSin) + 1;
    imageCentre_ =
        QPointF(image.Width() * image.Shrink() / 2.0, image.Height() * image.Shrink() / 2.0);
    mapCentre_ = QPointF(width_ / 2.0, height_ / 2.0);
    ink_.assign(static_cast<size_t>(width_) * height_, 0);
    const double inv = 1.0 / image.Shrink();
    for (int v = 0; v < height_; ++v) {
        uint8_t *out = ink_.data() + static_cast<size_t>(v) * width_;
        for (int u = 0; u < width_; ++u) {
            const QPointF p = ToImage(QPointF(u, v));
            // Pixel centres: a shrunk pixel covers Shrink() image pixels.
            out[u] = static_cast<uint8_t>(
                image.Sample(p.x() * inv - 0.5 + 0.5 * inv, p.y() * inv - 0.5 + 0.5 * inv) + 0.5);
        }
    }
}

QPointF TPInkMap::ToImage(QPointF point) const
{
    const double du = (point.x() - mapCentre_.x()) * scale_;
    const double dv = (point.y() - mapCentre_.y()) * scale_;
    return {imageCentre_.x() + cos_ * du - sin_ * dv, imageCentre_.y() + sin_ * du + cos_ * dv};
}

QRectF TPInkMap::ToImage(const QRectF &rect) const
{
    const QPointF corners[] = {ToImage(rect.topLeft()), ToImage(rect.topRight()),
                               ToImage(rect.bottomLeft()), ToImage(rect.bottomRight())};
    QRectF bounds(corners[0], corners[0]);
    for (const QPointF &corner : corners)
        bounds = bounds.united(QRectF(corner, corner));
    return bounds;
}

void TPInkMap::ClearSurroundings()
{
    std::vector<int> columnInk(static_cast<size_t>(width_), 0);
    std::vector<int> rowInk(static_cast<size_t>(height_), 0);
    for (int y = 0; y < height_; ++y) {
        const uint8_t *row = Row(y);
        for (int x = 0; x < width_; ++x) {
            const int inked = row[x] > SurroundingInk ? 1 : 0;
            columnInk[static_cast<size_t>(x)] += inked;
            rowInk[static_cast<size_t>(y)] += inked;
        }
    }
    for (int y = 0; y < height_; ++y) {
        uint8_t *row = ink_.data() + static_cast<size_t>(y) * width_;
        const bool clearRow = rowInk[static_cast<size_t>(y)] > SurroundingShare * width_;
        for (int x = 0; x < width_; ++x)
            if (clearRow || columnInk[static_cast<size_t>(x)] > SurroundingShare * height_)
                row[x] = 0;
    }
}

} // namespace TPScan
