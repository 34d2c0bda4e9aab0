#include "pagereader.h"

#include "inkmap.h"
#include "readerparts.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace TPScan
{

namespace
{
constexpr double InchesPerMetre = 0.0254;
constexpr double SkewLimit = 3.5;  // degrees: pages are laid up to 3 degrees turned
constexpr double CoarseDpi = 90.0; // enough to see bands and their tilt
constexpr double ScaleTolerance = 0.015;
// Scanners state their resolution; without it these are tried in turn.
constexpr double GuessedDpis[] = {600.0, 300.0, 1200.0};

constexpr int BytesPerPixel = 4;
constexpr int AllocationLimitMb = int(TPPageReader::MaxPixels * BytesPerPixel / (1024 * 1024)) + 1;

QImage Decode(QIODevice &device, ReadFailure *why)
{
    // The size is checked below against MaxPixels; Qt's own limit must not refuse first.
    if (QImageReader::allocationLimit() < AllocationLimitMb)
        QImageReader::setAllocationLimit(AllocationLimitMb);
    QImageReader reader(&device);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!reader.canRead()) {
        *why = ReadFailure::NotAnImage;
        return QImage();
    }
    if (size.isValid()) {
        if (size.width() > TPPageReader::MaxSide || size.height() > TPPageReader::MaxSide ||
            qint64(size.width()) * size.height() > TPPageReader::MaxPixels) {
            *why = ReadFailure::TooLarge;
            return QImage();
        }
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        *why = ReadFailure::NotAnImage;
        return QImage();
    }
    if (image.width() < TPPageReader::MinSide || image.height() < TPPageReader::MinSide) {
        *why = ReadFailure::TooSmall;
        return QImage();
    }
    *why = ReadFailure::None;
    return image;
}
} // namespace

QString FailureText(ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::None:
        return QString();
    case ReadFailure::CannotOpen:
        return QStringLiteral("The image file cannot be opened.");
    case ReadFailure::NotAnImage:
        return QStringLiteral("The file is not an image that can be read (PNG, JPEG or TIFF).");
    case ReadFailure::TooSmall:
        return QStringLiteral("The image is too small to read: scan the page at 300 dpi or more.");
    case ReadFailure::TooLarge:
        return QStringLiteral("The image is too large to read: scan the page at 1200 dpi or less.");
    case ReadFailure::NoPattern:
        return QStringLiteral("No adjustment pattern was found in the image.");
    case ReadFailure::WrongPattern:
        return QStringLiteral("The image shows another pattern than the one printed here.");
    case ReadFailure::TooBlurred:
        return QStringLiteral("The image is too blurred to tell the columns apart.");
    case ReadFailure::NoPaperEdge:
        return QStringLiteral("The paper's edge cannot be seen in the image: scan the sheet's "
                              "corner with the lid open or a dark sheet behind it.");
    case ReadFailure::UpsideDown:
        return QStringLiteral("The page lies upside down in the image: turn it round on the "
                              "scanner and scan it again.");
    }
    return QString();
}

QImage TPPageReader::LoadImageFile(const QString &path, ReadFailure *why)
{
    // Read whole first: a file that is cut short or vanishes while read is then just data.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = ReadFailure::CannotOpen;
        return QImage();
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *why = ReadFailure::CannotOpen;
        return QImage();
    }
    return LoadImageData(data, why);
}

QImage TPPageReader::LoadImageData(const QByteArray &data, ReadFailure *why)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return Decode(buffer, why);
}

TPPageReader::TPPageReader(const QImage &image) : image_(image)
{
    if (image_.isNull()) {
        imageFailure_ = ReadFailure::NotAnImage;
        return;
    }
    if (image_.width() < MinSide || image_.height() < MinSide) {
        imageFailure_ = ReadFailure::TooSmall;
        return;
    }
    if (image_.width() > MaxSide || image_.height() > MaxSide ||
        qint64(image_.width()) * image_.height() > MaxPixels) {
        imageFailure_ = ReadFailure::TooLarge;
        return;
    }
    const double stated = image_.dotsPerMeterX() * InchesPerMetre;
    if (stated >= MinDpi && stated <= MaxDpi)
        statedDpi_ = stated;
    // The tilt is found on a coarse copy: bands are wide enough to show it there.
    const double dpi = statedDpi_.value_or(GuessedDpis[0]);
    ink_ = std::make_unique<TPInkImage>(image_);
    const TPInkImage coarse = ink_->Shrunk(std::max(1, int(std::lround(dpi / CoarseDpi))));
    skew_ = FindSkew(coarse, SkewLimit);
}

TPPageReader::~TPPageReader() = default;

const TPInkMap &TPPageReader::Map(double dpi, bool upsideDown, bool keepSurroundings)
{
    if (!map_ || mapDpi_ != dpi || mapUpsideDown_ != upsideDown ||
        mapKeepsSurroundings_ != keepSurroundings) {
        map_.reset();
        // Average the image down towards the working resolution before sampling it, so that
        // fine scans lose their noise rather than alias it.
        const int shrink = std::max(1, int(dpi / WorkingDpi));
        if (shrink > 1)
            map_ = std::make_unique<TPInkMap>(ink_->Shrunk(shrink), dpi, skew_, upsideDown);
        else
            map_ = std::make_unique<TPInkMap>(*ink_, dpi, skew_, upsideDown);
        if (!keepSurroundings)
            map_->ClearSurroundings();
        mapDpi_ = dpi;
        mapUpsideDown_ = upsideDown;
        mapKeepsSurroundings_ = keepSurroundings;
    }
    return *map_;
}

PageReading TPPageReader::Read(const std::function<Attempt(const TPInkMap &)> &reader,
                               double scaleTolerance, bool keepSurroundings)
{
    PageReading reading;
    if (imageFailure_ != ReadFailure::None) {
        reading.failure = imageFailure_;
        return reading;
    }
    std::vector<double> dpis;
    if (statedDpi_)
        dpis.push_back(*statedDpi_);
    else
        dpis.assign(std::begin(GuessedDpis), std::end(GuessedDpis));
    ReadFailure failure = ReadFailure::NoPattern;
    for (double dpi : dpis) {
        bool upsideDown = false;
        Attempt attempt = reader(Map(dpi, upsideDown, keepSurroundings));
        if (attempt.outcome == Attempt::Outcome::UpsideDown) {
            upsideDown = true;
            attempt = reader(Map(dpi, upsideDown, keepSurroundings));
        }
        // A stated resolution may be rounded, a guessed one is only near: measure it.
        if (attempt.outcome == Attempt::Outcome::Read &&
            std::abs(attempt.scale - 1.0) > scaleTolerance) {
            dpi *= attempt.scale;
            if (dpi < MinDpi) {
                failure = ReadFailure::TooSmall;
                continue;
            }
            attempt = reader(Map(dpi, upsideDown, keepSurroundings));
        }
        if (attempt.outcome != Attempt::Outcome::Read) {
            if (attempt.failure != ReadFailure::NoPattern)
                failure = attempt.failure;
            continue;
        }
        reading.dpi = dpi;
        reading.skewDegrees = skew_;
        reading.upsideDown = upsideDown;
        reading.items = std::move(attempt.items);
        for (ItemReading &item : reading.items)
            if (!item.mark.isNull())
                item.mark = map_->ToImage(item.mark);
        return reading;
    }
    reading.failure = failure;
    return reading;
}

PageReading TPPageReader::ReadBid(const std::vector<BidPrinted> &printed)
{
    return Read([&printed](const TPInkMap &map) { return ReadBidMap(map, printed); },
                ScaleTolerance, false);
}

PageReading TPPageReader::ReadHeadAngular()
{
    return Read([](const TPInkMap &map) { return ReadHeadAngularMap(map); }, ScaleTolerance, false);
}

// Shared parts.

std::vector<Band> FindBands(const TPInkMap &map, int minRows, int rowGap)
{
    constexpr int MinInkedPixels = 3; // a speck of noise is no row of ink
    std::vector<Band> bands;
    int top = -1;
    int lastInked = -1;
    for (int y = 0; y <= map.Height() + rowGap; ++y) {
        bool inked = false;
        if (y < map.Height()) {
            const uint8_t *row = map.Row(y);
            int count = 0;
            for (int x = 0; x < map.Width() && count < MinInkedPixels; ++x)
                count += row[x] > InkedLevel ? 1 : 0;
            inked = count >= MinInkedPixels;
        }
        if (inked) {
            if (top < 0)
                top = y;
            lastInked = y;
        } else if (top >= 0 && y - lastInked > rowGap) {
            if (lastInked + 1 - top >= minRows)
                bands.push_back({top, lastInked + 1});
            top = -1;
        }
    }
    return bands;
}

std::vector<Span> FindColumns(const TPInkMap &map, const Band &band, int minRows, int maxGap,
                              int spread)
{
    std::vector<int> inkedRows(static_cast<size_t>(map.Width()), 0);
    std::vector<int> lastInked(static_cast<size_t>(map.Width()), -1000);
    const int last = std::min(map.Height() - 1, band.bottom - 1 + spread);
    for (int y = std::max(0, band.top - spread); y <= last; ++y) {
        const uint8_t *row = map.Row(y);
        for (int x = 0; x < map.Width(); ++x) {
            if (row[x] > InkedLevel)
                lastInked[static_cast<size_t>(x)] = y;
            // Row y - spread counts when any row up to y + ... lies within spread of ink.
            const int counted = y - spread;
            if (counted >= band.top && counted < band.bottom &&
                counted - lastInked[static_cast<size_t>(x)] <= spread)
                ++inkedRows[static_cast<size_t>(x)];
        }
    }
    std::vector<Span> columns;
    for (int x = 0; x < map.Width(); ++x) {
        if (inkedRows[static_cast<size_t>(x)] <= minRows)
            continue;
        if (!columns.empty() && x - columns.back().right <= maxGap + 1)
            columns.back().right = x;
        else
            columns.push_back({x, x});
    }
    return columns;
}

Band BarRowsOf(const TPInkMap &map, const Band &band, const Span &column)
{
    Band rows{-1, -1};
    for (int y = band.top; y < band.bottom; ++y) {
        const uint8_t *row = map.Row(y);
        int inked = 0;
        for (int x = column.left; x <= column.right; ++x)
            inked += row[x] > InkedLevel ? 1 : 0;
        if (3 * inked >= column.Width()) {
            rows.top = rows.top < 0 ? y : rows.top;
            rows.bottom = y + 1;
        }
    }
    return rows.top < 0 ? band : rows;
}

double InkCentreX(const TPInkMap &map, const Band &band)
{
    double weighted = 0.0;
    double total = 0.0;
    for (int y = band.top; y < band.bottom; ++y) {
        const uint8_t *row = map.Row(y);
        for (int x = 0; x < map.Width(); ++x) {
            if (row[x] > InkedLevel) {
                weighted += double(x) * row[x];
                total += row[x];
            }
        }
    }
    return total > 0.0 ? weighted / total : -1.0;
}

} // namespace TPScan
