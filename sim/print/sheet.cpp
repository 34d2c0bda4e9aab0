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

Sheet::Pixel *Sheet::Row(int y)
{
    std::unique_ptr<Pixel[]> &row = rows_[static_cast<size_t>(y)];
    if (!row) {
        row.reset(new Pixel[static_cast<size_t>(width_)]());
    }
    return row.get();
}

void Sheet::LayDot(int x, int y, int ink, int picolitres)
{
    AddInk(Row(y)[x], ink, picolitres);
    blank_ = false;
}

int Sheet::Picolitres(int x, int y, int ink) const
{
    if (!Contains(x, y) || !rows_[static_cast<size_t>(y)]) {
        return 0;
    }
    return static_cast<int>((rows_[static_cast<size_t>(y)][x] >> (kBitsPerInk * ink)) &
                            kMaxPicolitres);
}

void Sheet::RenderFull(QImage &image) const
{
    const uint32_t white = InkModel::PixelColor(0);
    std::vector<uchar> blank(static_cast<size_t>(width_) * 3);
    for (int x = 0; x < width_; ++x) {
        blank[3 * x] = static_cast<uchar>(white >> 16);
        blank[3 * x + 1] = static_cast<uchar>(white >> 8);
        blank[3 * x + 2] = static_cast<uchar>(white);
    }
    for (int y = 0; y < length_; ++y) {
        uchar *line = image.scanLine(y);
        const Pixel *row = rows_[static_cast<size_t>(y)].get();
        if (!row) {
            std::memcpy(line, blank.data(), blank.size());
            continue;
        }
        Pixel last = 0;
        uint32_t rgb = white;
        for (int x = 0; x < width_; ++x) {
            if (row[x] != last) {
                last = row[x];
                rgb = InkModel::PixelColor(last);
            }
            line[3 * x] = static_cast<uchar>(rgb >> 16);
            line[3 * x + 1] = static_cast<uchar>(rgb >> 8);
            line[3 * x + 2] = static_cast<uchar>(rgb);
        }
    }
}

QImage Sheet::Render(int divisor) const
{
    divisor = std::max(1, divisor);
    const int outWidth = (width_ + divisor - 1) / divisor;
    const int outLength = (length_ + divisor - 1) / divisor;
    QImage image(outWidth, outLength, QImage::Format_RGB888);
    const uint32_t white = InkModel::PixelColor(0);
    if (divisor == 1) {
        RenderFull(image);
        return image;
    }
    const uint32_t whiteSum[3] = {(white >> 16) & 0xFF, (white >> 8) & 0xFF, white & 0xFF};
    std::vector<uint32_t> sums(static_cast<size_t>(outWidth) * 3);
    for (int outY = 0; outY < outLength; ++outY) {
        std::fill(sums.begin(), sums.end(), 0);
        const int yBegin = outY * divisor;
        const int yEnd = std::min(length_, yBegin + divisor);
        int blankRows = 0;
        for (int y = yBegin; y < yEnd; ++y) {
            const Pixel *row = rows_[static_cast<size_t>(y)].get();
            if (!row) {
                ++blankRows;
                continue;
            }
            Pixel last = 0;
            uint32_t rgb = white;
            for (int outX = 0; outX < outWidth; ++outX) {
                const int xEnd = std::min(width_, (outX + 1) * divisor);
                uint32_t *sum = &sums[static_cast<size_t>(outX) * 3];
                for (int x = outX * divisor; x < xEnd; ++x) {
                    if (row[x] != last) {
                        last = row[x];
                        rgb = InkModel::PixelColor(last);
                    }
                    sum[0] += rgb >> 16;
                    sum[1] += (rgb >> 8) & 0xFF;
                    sum[2] += rgb & 0xFF;
                }
            }
        }
        uchar *line = image.scanLine(outY);
        for (int outX = 0; outX < outWidth; ++outX) {
            const int columns = std::min(width_, (outX + 1) * divisor) - outX * divisor;
            const uint32_t count = static_cast<uint32_t>(columns * (yEnd - yBegin));
            for (int c = 0; c < 3; ++c) {
                const uint32_t total = sums[static_cast<size_t>(outX) * 3 + c] +
                                       whiteSum[c] * static_cast<uint32_t>(columns * blankRows);
                line[3 * outX + c] = static_cast<uchar>(total / count);
            }
        }
    }
    return image;
}

} // namespace sim
