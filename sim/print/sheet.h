#pragma once

// One sheet of paper at 360 dots per inch both ways. Every pixel keeps a 2-bit drop level per
// ink in 16 bits; rows are allocated when first printed on, so a blank A4 sheet costs almost
// nothing and a fully printed one about 25 MB.

#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>

namespace sim
{

class Sheet
{
public:
    static constexpr int kDpi = 360;
    // The largest sheet the printer takes (13 x 19 inches): caps memory at about 64 MB.
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
    // Adds a drop of the given level (1-3) of an ink; levels add up to 3. x, y must be inside.
    void LayDot(int x, int y, int ink, int level);
    // The pixels of row y (0 <= y < Length()) for laying many dots at once; see LayDot.
    uint16_t *MutableRow(int y)
    {
        blank_ = false;
        return Row(y);
    }
    static void AddLevel(uint16_t &pixel, int ink, int level)
    {
        const int shift = 2 * ink;
        int now = ((pixel >> shift) & 3) + level;
        now = now > 3 ? 3 : now;
        pixel = static_cast<uint16_t>((pixel & ~(3 << shift)) | (now << shift));
    }
    // Drop level of an ink at a pixel (0 when outside or blank).
    int Level(int x, int y, int ink) const;
    // The picture, each output pixel the average of divisor x divisor sheet pixels.
    QImage Render(int divisor) const;

private:
    uint16_t *Row(int y);
    void RenderFull(QImage &image) const;

    int width_ = 0;
    int length_ = 0;
    bool blank_ = true;
    std::vector<std::unique_ptr<uint16_t[]>> rows_;
};

} // namespace sim
