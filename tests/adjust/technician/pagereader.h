#pragma once

// Reads a printed adjustment page the way a technician looks at it: finds the bands of bars,
// the columns of each band, and how evenly each column is inked (gaps between the bars printed
// forwards and those printed back show as white stripes, overlaps as dark ones).
#include <QImage>
#include <QString>
#include <QVector>

#include <cstdint>
#include <vector>

namespace technician
{

// One column of bars: its pixel span and how many pixel columns in it are not evenly inked.
struct BarColumn {
    int left = 0;
    int right = 0;
    int uneven = 0;
};

// One band of bars across the page, top to bottom order.
struct BarBand {
    int top = 0;
    int bottom = 0;
    QVector<BarColumn> columns;
};

class PageReader
{
public:
    explicit PageReader(const QImage &page);
    bool IsNull() const { return ink_.empty(); }
    // The bands of bars at least minHeight pixels tall (text lines are shorter).
    QVector<BarBand> Bands(int minHeight = 15) const;

private:
    const uint8_t *Row(int y) const { return ink_.data() + static_cast<size_t>(y) * width_; }
    QVector<BarColumn> Columns(int top, int bottom) const;
    int Uneven(const std::vector<double> &profile, int left, int right) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> ink_; // 0 white .. 255 fully inked, per pixel, row by row
};

// The column of a band with the most even inking (the first of equals).
int BestColumn(const BarBand &band);

} // namespace technician
