#include "scanlook.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace sim
{

namespace
{
constexpr double MetresPerInch = 0.0254;
constexpr double Pi = 3.14159265358979323846;

// One box pass along rows (or columns) of a 32-bit image, all three channels.
void BoxPass(QImage &image, int radius, bool alongRows)
{
    const int length = alongRows ? image.width() : image.height();
    const int lines = alongRows ? image.height() : image.width();
    const int stride = image.bytesPerLine() / 4;
    auto *base = reinterpret_cast<QRgb *>(image.bits());
    std::vector<QRgb> line(static_cast<size_t>(length));
    const int window = 2 * radius + 1;
    for (int l = 0; l < lines; ++l) {
        QRgb *first = alongRows ? base + static_cast<qsizetype>(l) * stride : base + l;
        const qsizetype step = alongRows ? 1 : stride;
        for (int i = 0; i < length; ++i)
            line[static_cast<size_t>(i)] = first[i * step];
        int r = 0, g = 0, b = 0;
        auto at = [&](int i) { return line[static_cast<size_t>(std::clamp(i, 0, length - 1))]; };
        for (int i = -radius; i <= radius; ++i) {
            r += qRed(at(i));
            g += qGreen(at(i));
            b += qBlue(at(i));
        }
        for (int i = 0; i < length; ++i) {
            first[i * step] = qRgb(r / window, g / window, b / window);
            const QRgb out = at(i - radius);
            const QRgb in = at(i + radius + 1);
            r += qRed(in) - qRed(out);
            g += qGreen(in) - qGreen(out);
            b += qBlue(in) - qBlue(out);
        }
    }
}
} // namespace

ScanLook RandomScanLook(uint32_t seed, double dpi)
{
    std::mt19937 random(seed);
    auto uniform = [&random](double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random);
    };
    ScanLook look;
    look.dpi = dpi;
    look.turnDegrees = uniform(-2.0, 2.0);
    look.shiftXInches = uniform(-0.1, 0.1);
    look.shiftYInches = uniform(-0.1, 0.1);
    look.blurPixels = std::round(uniform(0.0, 1.4) * dpi / 600.0);
    look.noise = uniform(2.0, 8.0);
    look.jpegQuality = static_cast<int>(uniform(75.0, 90.99));
    const int warm = static_cast<int>(uniform(0.0, 30.0));
    look.paper = qRgb(255 - warm / 4, 252 - warm / 2, 250 - warm);
    return look;
}

QImage OnDarkLid(const QImage &page, double pageDpi, double border)
{
    constexpr QRgb LidGrey = 0xFF5A5A5A;
    const int pixels = static_cast<int>(border * pageDpi);
    QImage laid(page.width() + 2 * pixels, page.height() + 2 * pixels, QImage::Format_RGB32);
    laid.fill(LidGrey);
    laid.setDotsPerMeterX(page.dotsPerMeterX());
    laid.setDotsPerMeterY(page.dotsPerMeterY());
    QPainter(&laid).drawImage(pixels, pixels, page);
    return laid;
}

QImage ScanImage(const QImage &page, double pageDpi, const ScanLook &look, uint32_t seed)
{
    if (page.isNull() || pageDpi <= 0.0 || look.dpi <= 0.0)
        return QImage();
    QRectF source(0, 0, page.width(), page.height());
    if (look.cropWidth > 0.0 && look.cropHeight > 0.0)
        source = QRectF(look.cropLeft * pageDpi, look.cropTop * pageDpi, look.cropWidth * pageDpi,
                        look.cropHeight * pageDpi);
    const double scale = look.dpi / pageDpi;
    const QSize size(std::max(1, int(source.width() * scale)),
                     std::max(1, int(source.height() * scale)));
    // The sheet lies turned and shifted on the glass: beyond the part scanned it goes on, and
    // beyond the sheet the lid shows. A scanner's sensor averages over its pixel: what may turn
    // into view is scaled by area first, then laid turned.
    const double reach =
        std::abs(std::sin(look.turnDegrees * Pi / 180.0)) * (source.width() + source.height()) +
        (std::abs(look.shiftXInches) + std::abs(look.shiftYInches)) * pageDpi + 2.0;
    const QRect area =
        source.adjusted(-reach, -reach, reach, reach).toAlignedRect().intersected(page.rect());
    QImage scan(size, QImage::Format_RGB32);
    scan.fill(look.lid);
    if (!area.isEmpty()) {
        const QSize areaSize(std::max(1, int(std::lround(area.width() * scale))),
                             std::max(1, int(std::lround(area.height() * scale))));
        const QImage sized =
            page.copy(area).scaled(areaSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&scan);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(size.width() / 2.0 + look.shiftXInches * look.dpi,
                          size.height() / 2.0 + look.shiftYInches * look.dpi);
        painter.rotate(look.turnDegrees);
        painter.translate(-size.width() / 2.0, -size.height() / 2.0);
        painter.drawImage(QPointF((area.x() - source.x()) * scale, (area.y() - source.y()) * scale),
                          sized);
    }
    const int radius = static_cast<int>(std::lround(look.blurPixels));
    if (radius > 0) {
        for (int pass = 0; pass < 2; ++pass) {
            BoxPass(scan, radius, true);
            BoxPass(scan, radius, false);
        }
    }
    std::mt19937 random(seed);
    std::normal_distribution<double> grain(0.0, std::max(look.noise, 1e-9));
    const bool noisy = look.noise > 0.0;
    for (int y = 0; y < scan.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(scan.scanLine(y));
        for (int x = 0; x < scan.width(); ++x) {
            const QRgb pixel = line[x];
            const double shared = noisy ? grain(random) : 0.0;
            auto channel = [&](int value, int tint) {
                return std::clamp(static_cast<int>(std::lround(value * tint / 255.0 + shared)), 0,
                                  255);
            };
            line[x] = qRgb(channel(qRed(pixel), qRed(look.paper)),
                           channel(qGreen(pixel), qGreen(look.paper)),
                           channel(qBlue(pixel), qBlue(look.paper)));
        }
    }
    const int dotsPerMetre = static_cast<int>(std::lround(look.dpi / MetresPerInch));
    scan.setDotsPerMeterX(dotsPerMetre);
    scan.setDotsPerMeterY(dotsPerMetre);
    return scan;
}

QByteArray ScanJpeg(const QImage &page, double pageDpi, const ScanLook &look, uint32_t seed)
{
    const QImage scan = ScanImage(page, pageDpi, look, seed);
    QByteArray bytes;
    if (scan.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!scan.save(&buffer, "JPG", look.jpegQuality))
        bytes.clear();
    return bytes;
}

} // namespace sim
