#pragma once

// A printed page as a flatbed scanner or a camera hands it back: resampled to the scan's
// resolution, laid slightly turned and shifted on the glass, softened, grainy, on paper that
// is not quite white, and stored as JPEG. The same seed gives the same scan.
#include <QByteArray>
#include <QImage>
#include <QRgb>

#include <cstdint>

namespace sim
{

struct ScanLook {
    double dpi = 600.0;
    double turnDegrees = 0.0; // clockwise as seen
    double shiftXInches = 0.0;
    double shiftYInches = 0.0;
    double blurPixels = 0.0; // box radius of a two-pass blur, in scan pixels
    double noise = 0.0;      // standard deviation, grey levels
    int jpegQuality = 90;
    QRgb paper = qRgb(255, 255, 255); // the paper's tint, multiplied into everything
    QRgb lid = qRgb(255, 255, 255);   // the scanner's lid beyond the sheet
    // Part of the page to scan, in the page's inches; an empty rectangle: the whole page. It
    // may reach beyond the sheet: the lid shows there.
    double cropLeft = 0.0, cropTop = 0.0, cropWidth = 0.0, cropHeight = 0.0;
};

// A look drawn from the ranges ordinary scans fall in: turned -2 to +2 degrees, shifted up
// to a tenth of an inch, a little blur, grain, JPEG quality 75 to 90, a tinted sheet.
ScanLook RandomScanLook(uint32_t seed, double dpi);

// The page laid on a dark grey sheet (the scanner's lid lined black, or a dark sheet behind
// the page) that shows for border inches all round: the pages measured from the paper's
// edges (first dot, top margin, PW sensor) are scanned so.
QImage OnDarkLid(const QImage &page, double pageDpi, double border = 0.4);

// The scan as an image (before JPEG), of a page printed at pageDpi.
QImage ScanImage(const QImage &page, double pageDpi, const ScanLook &look, uint32_t seed);
// The scan as a JPEG file's bytes, with its resolution stated.
QByteArray ScanJpeg(const QImage &page, double pageDpi, const ScanLook &look, uint32_t seed);

} // namespace sim
