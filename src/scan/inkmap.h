#pragma once

// A scanned page as ink: 0 where the paper is bare .. 255 fully inked, whatever the paper's
// tint. TPInkImage holds the image as it came; TPInkMap is the page straightened and
// resampled to a fixed working resolution, with the way back to the image's pixels.
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <vector>

namespace TPScan
{

constexpr double WorkingDpi = 360.0; // one printer dot a pixel

class TPInkImage
{
public:
    // The image's ink, pixel for pixel.
    explicit TPInkImage(const QImage &image);
    // The ink averaged over factor x factor pixel squares.
    TPInkImage Shrunk(int factor) const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Shrink() const { return shrink_; }
    uint8_t At(int x, int y) const { return ink_[static_cast<size_t>(y) * width_ + x]; }
    // Bilinear, 0 outside the image.
    double Sample(double x, double y) const;

private:
    TPInkImage() = default;
    int width_ = 0;
    int height_ = 0;
    int shrink_ = 1;
    std::vector<uint8_t> ink_;
};

// The angle (degrees) of the page's rows in the image, x towards y (clockwise as seen), found
// from how sharply the ink gathers into rows; searched within +-limit degrees.
double FindSkew(const TPInkImage &coarse, double limitDegrees);

class TPInkMap
{
public:
    // The image straightened by `skewDegrees`, turned half a turn when `upsideDown`, at the
    // working resolution for an image of `dpi`.
    TPInkMap(const TPInkImage &image, double dpi, double skewDegrees, bool upsideDown);
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint8_t At(int x, int y) const { return ink_[static_cast<size_t>(y) * width_ + x]; }
    const uint8_t *Row(int y) const { return ink_.data() + static_cast<size_t>(y) * width_; }
    // Where a working pixel lies in the original image (its pixels).
    QPointF ToImage(QPointF point) const;
    QRectF ToImage(const QRectF &rect) const;
    // Clears rows and columns that are inked nearly all along: the scanner's lid or the
    // table beyond the paper's edges, never part of a pattern.
    void ClearSurroundings();

private:
    int width_ = 0;
    int height_ = 0;
    double scale_ = 1.0; // image pixels per working pixel
    double cos_ = 1.0;
    double sin_ = 0.0;
    QPointF imageCentre_;
    QPointF mapCentre_;
    std::vector<uint8_t> ink_;
};

} // namespace TPScan
