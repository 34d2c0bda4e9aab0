#pragma once

// Reads a printed adjustment pattern from an image of the page (a scan or a photograph) and
// proposes, item by item, the value that the page shows, with how sure it is. It knows what
// the program printed (the pattern's geometry, the items and the values the print used) and
// finds the pattern from its own bars: no marks are added to the page for it.
#include <QImage>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace TPScan
{

class TPInkImage;
class TPInkMap;
struct Attempt;

enum class ReadFailure {
    None,
    CannotOpen,
    NotAnImage,
    TooSmall,
    TooLarge,
    NoPattern,
    WrongPattern,
    TooBlurred,
    NoPaperEdge,
    UpsideDown,
};
// The worded reason for the memo.
QString FailureText(ReadFailure failure);

struct ItemReading {
    QString item; // as the window names it ("VSD1 Black", "Head angular")
    std::optional<int> proposal;
    double confidence = 0.0; // 0 .. 1
    bool sure = false;       // confident enough to be typed in without a second look
    bool printAgain = false; // the value lies beyond the page: input the proposal, print again
    QString remark;          // why it is unsure or has no proposal
    QRectF mark;             // what was read, in the image's pixels
};

struct PageReading {
    ReadFailure failure = ReadFailure::None;
    double dpi = 0.0;
    double skewDegrees = 0.0;
    bool upsideDown = false;
    std::vector<ItemReading> items;
    bool Found() const { return failure == ReadFailure::None; }
};

// One Bi-D block the program printed: the item and the stored value its centre column shows.
struct BidPrinted {
    QString item;
    int centre = 0;
};

class TPPageReader
{
public:
    // Larger images are refused rather than read (an A4 sheet at 1200 dpi is within).
    static constexpr qint64 MaxPixels = 150'000'000;
    static constexpr int MaxSide = 30000;
    static constexpr int MinSide = 200;
    static constexpr double MinDpi = 250.0;
    static constexpr double MaxDpi = 1300.0;

    // Loads an image file for reading; a null image, and why, when it cannot be had.
    static QImage LoadImageFile(const QString &path, ReadFailure *why);
    // Reads an image file's bytes (the same checks as a file).
    static QImage LoadImageData(const QByteArray &data, ReadFailure *why);

    explicit TPPageReader(const QImage &image);
    ~TPPageReader();
    TPPageReader(const TPPageReader &) = delete;
    TPPageReader &operator=(const TPPageReader &) = delete;

    // The Bi-D page: the blocks in the order they were printed.
    PageReading ReadBid(const std::vector<BidPrinted> &printed);
    // The head angular page.
    PageReading ReadHeadAngular();
    // The first dot and top margin pages, printed with the stored value `printed`: the mark's
    // distance from the paper's left or top edge, which must show in the image.
    PageReading ReadFirstDot(int printed);
    PageReading ReadTopMargin(int printed);
    // The PW sensor page: items "Right", "Left", "Top", "Bottom"; each needs its paper edge
    // in the image, darker beyond the sheet than the paper.
    PageReading ReadPwSensor();

private:
    // Reads the page at the stated resolution or, without one, at each likely one, turned half
    // round when the reader finds it upside down; a reading scaled further off than
    // scaleTolerance is read again at the resolution it measured. keepSurroundings leaves the
    // lid beyond the sheet in the map (for pages measured from the paper's edges).
    PageReading Read(const std::function<Attempt(const TPInkMap &)> &reader, double scaleTolerance,
                     bool keepSurroundings);
    const TPInkMap &Map(double dpi, bool upsideDown, bool keepSurroundings);

    QImage image_;
    std::unique_ptr<TPInkImage> ink_;
    ReadFailure imageFailure_ = ReadFailure::None;
    std::optional<double> statedDpi_;
    double skew_ = 0.0;
    std::unique_ptr<TPInkMap> map_;
    double mapDpi_ = 0.0;
    bool mapUpsideDown_ = false;
    bool mapKeepsSurroundings_ = false;
};

} // namespace TPScan
