#include "sheet.h"

#include <algorithm>
#include <cstring>

#include "inkmodel.h"

namespace sim
{

void Sheet::Load(int widthDots, int lengthDots)
{
    width_ = std::clamp(widthDots, 1, kMaxWidth);
    length_ = std::clamp(lengthDots, 1, kMaxLength);
    rows_.clear();
    rows_.resize(static_cast<size_t>(length_));
    blank_ = true;
}

uint16_t *Sheet::Row(int y)
{
    std::unique_ptr<uint16_t[]> &row = rows_[static_cast<size_t>(y)];
    if (!row) {
        row.reset(new uint16_t[static_cast<size_t>(width_)]());
    }
    return row.get();
}

void Sheet::LayDot(int x, int y, int ink, int level)
{
    uint16_t &pixel = Row(y)[x];
    const int shift = 2 * ink;
    const int now = std::min(3, ((pixel >> shift) & 3) + level);
    pixel = static_cast<uint16_t>((pixel & ~(3 << shift)) | (now << shift));
    blank_ = false;
}

int Sheet::Level(int x, int y, int ink) const
{
    if (!Contains(x, y) || !rows_[static_cast<size_t>(y)]) {
        return 0;
    }
    return (rows_[static_cast<size_t>(y)][x] >> (2 * ink)) & 3;
}

QImage Sheet::Render(int divisor) const
{
    divisor = std::max(1, divisor);
    const int outWidth = (width_ + divisor - 1) / divisor;
    const int outLength = (length_ + divisor - 1) / divisor;
    QImage image(outWidth, outLength, QImage::Format_RGB888);
    const uint32_t white = InkModel::PixelColor(0);
    std::vector<uint32_t> sums(static_cast<size_t>(outWidth) * 3);
    std::vector<uint32_t> counts(static_cast<size_t>(outWidth));
    for (int outY = 0; outY < outLength; ++outY) {
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        const int yEnd = std::min(length_, (outY + 1) * divisor);
        for (int y = outY * divisor; y < yEnd; ++y) {
            const uint16_t *row = rows_[static_cast<size_t>(y)].get();
            for (int x = 0; x < width_; ++x) {
                const uint32_t rgb = row ? InkModel::PixelColor(row[x]) : white;
                uint32_t *sum = &sums[static_cast<size_t>(x / divisor) * 3];
                sum[0] += rgb >> 16;
                sum[1] += (rgb >> 8) & 0xFF;
                sum[2] += rgb & 0xFF;
                ++counts[static_cast<size_t>(x / divisor)];
            }
        }
        uchar *line = image.scanLine(outY);
        for (int x = 0; x < outWidth; ++x) {
            const uint32_t n = std::max<uint32_t>(1, counts[static_cast<size_t>(x)]);
            for (int c = 0; c < 3; ++c) {
                line[3 * x + c] = static_cast<uchar>(sums[static_cast<size_t>(x) * 3 + c] / n);
            }
        }
    }
    return image;
}

} // namespace sim
