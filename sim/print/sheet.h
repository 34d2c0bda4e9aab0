#pragma once

// One sheet of paper at 360 dots per inch both ways. Every pixel keeps, per ink, the ink laid
// on it in picolitres (5 bits, up to 31) in 32 bits, so that the drops of the dot-size modes
// look different; rows are allocated when first printed on, so a blank A4 sheet costs almost
// nothing and a fully printed one about 50 MB.

#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>

#include "inkmodel.h"

namespace sim
{

class Sheet
{
public:
    static constexpr int kDpi = 360;
    // The largest sheet the printer takes (13 x 19 inches): caps memory at about 128 MB.
    static constexpr int kMaxWidth = 13 * kDpi;
    static constexpr int kMaxLength = 19 * kDpi;

    // A blank sheet of the given size in dots (clamped to 1 .. the maximum).
    void Load(int widthDots, int lengthDots);
    int Width() const { return width_; }
    int Length() const { return length_; }
    bool Blank() const { return blank_; }
    bool Contains(int64_t x, int64_t y) const
    {
        return x >= 0 && y >= 0 && x < width_ && y < length_;
    }
    using Pixel = uint32_t;
    static constexpr int kBitsPerInk = InkModel::kBitsPerInk;
    // More ink than this on one pixel changes nothing: the paper is soaked.
    static constexpr int kMaxPicolitres = (1 << kBitsPerInk) - 1;

    // Adds a drop of an ink (picolitres, 1 or more); drops add up to kMaxPicolitres. x, y
    // must be inside.
    void LayDot(int x, int y, int ink, int picolitres);
    // The pixels of row y (0 <= y < Length()) for laying many dots at once; see LayDot.
    Pixel *MutableRow(int y)
    {
        blank_ = false;
        return Row(y);
    }
    static void AddInk(Pixel &pixel, int ink, int picolitres)
    {
        const int shift = kBitsPerInk * ink;
        int now = static_cast<int>((pixel >> shift) & kMaxPicolitres) + picolitres;
        now = now > kMaxPicolitres ? kMaxPicolitres : now;
        pixel = (pixel & ~(static_cast<Pixel>(kMaxPicolitres) << shift)) |
                (static_cast<Pixel>(now) << shift);
    }
    // Picolitres of an ink at a pixel (0 when outside or blank).
    int Picolitres(int x, int y, int ink) const;
    // The picture, each output pixel the average of divisor x divisor sheet pixels.
    QImage Render(int divisor) const;

private:
    Pixel *Row(int y);
    void RenderFull(QImage &image) const;

    int width_ = 0;
    int length_ = 0;
    bool blank_ = true;
    std::vector<std::unique_ptr<Pixel[]>> rows_;
};

} // namespace sim
