#include "pagereader.h"

#include <algorithm>
#include <cmath>

namespace technician
{

namespace
{
constexpr int InkedThreshold = 40;  // darker than this counts as printed
constexpr int ColumnGap = 16;       // white pixel columns that separate two columns of bars
constexpr double Unevenness = 0.25; // share of the typical darkness a stripe differs by
constexpr double BarCover = 0.6;    // solid bars run the band's height, label text half of it
constexpr int BarLines = 8;         // bars printed line by line: many short runs down a column
constexpr int RowGap = 4;           // white rows between raster lines of the same bars
} // namespace

PageReader::PageReader(const QImage &page)
{
    if (page.isNull())
        return;
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    width_ = rgb.width();
    height_ = rgb.height();
    ink_.resize(static_cast<size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uint8_t *ink = ink_.data() + static_cast<size_t>(y) * width_;
        for (int x = 0; x < width_; ++x) {
            const QRgb pixel = line[x];
            // Yellow is pale to the eye but plain against blue: take the darkest channel.
            ink[x] =
                static_cast<uint8_t>(255 - std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}));
        }
    }
}

QVector<BarBand> PageReader::Bands(int minHeight) const
{
    QVector<BarBand> bands;
    int top = -1;
    int lastInked = -1;
    for (int y = 0; y <= height_ + RowGap; ++y) {
        bool inked = false;
        if (y < height_) {
            const uint8_t *row = Row(y);
            inked =
                std::any_of(row, row + width_, [](uint8_t ink) { return ink > InkedThreshold; });
        }
        if (inked) {
            if (top < 0)
                top = y;
            lastInked = y;
        } else if (top >= 0 && y - lastInked > RowGap) {
            if (lastInked + 1 - top >= minHeight)
                bands.append(BarBand{top, lastInked + 1, Columns(top, lastInked + 1)});
            top = -1;
        }
    }
    return bands;
}

QVector<BarColumn> PageReader::Columns(int top, int bottom) const
{
    // Row by row, each pixel column's total ink, inked rows and runs of inked rows.
    std::vector<double> profile(width_, 0.0);
    std::vector<int> inkedRows(width_, 0);
    std::vector<int> runs(width_, 0);
    for (int y = top; y < bottom; ++y) {
        const uint8_t *row = Row(y);
        const uint8_t *above = y > top ? Row(y - 1) : nullptr;
        for (int x = 0; x < width_; ++x) {
            profile[x] += row[x];
            const bool inked = row[x] > InkedThreshold;
            inkedRows[x] += inked ? 1 : 0;
            runs[x] += inked && !(above && above[x] > InkedThreshold) ? 1 : 0;
        }
    }
    std::vector<bool> bar(width_, false);
    for (int x = 0; x < width_; ++x) {
        profile[x] /= bottom - top;
        bar[x] = inkedRows[x] > BarCover * (bottom - top) || runs[x] >= BarLines;
    }
    QVector<BarColumn> columns;
    int left = -1;
    int lastInked = -ColumnGap - 1;
    for (int x = 0; x <= width_; ++x) {
        const bool inked = x < width_ && bar[x];
        if (inked) {
            if (left < 0)
                left = x;
            lastInked = x;
        } else if (left >= 0 && x - lastInked > ColumnGap) {
            columns.append(BarColumn{left, lastInked, Uneven(profile, left, lastInked)});
            left = -1;
        }
    }
    return columns;
}

// Pixel columns whose darkness differs from the column's typical darkness by more than a
// quarter: white stripes where the bars leave a gap, dark ones where they overlap.
int PageReader::Uneven(const std::vector<double> &profile, int left, int right) const
{
    std::vector<double> values(profile.begin() + left, profile.begin() + right + 1);
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    const double typical = values[values.size() / 2];
    int uneven = 0;
    for (int x = left; x <= right; ++x)
        uneven += std::abs(profile[x] - typical) > Unevenness * typical ? 1 : 0;
    return uneven;
}

int BestColumn(const BarBand &band)
{
    int best = 0;
    for (int i = 1; i < band.columns.size(); ++i) {
        if (band.columns[i].uneven < band.columns[best].uneven)
            best = i;
    }
    return best;
}

} // namespace technician
