#pragma once

// A virtual printer out of adjustment (random mechanics from a seed) and the program's own
// pattern prints sent to it without a window; hands back the printed page at full resolution.
// Shared by the page reader's tests and its benchmark.
#include "adjust/items/bid/bid.h"
#include "scan/pagereader.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

#include "mechanics.h"
#include "scanlook.h"

struct TPProgram;

namespace fake
{
class Waits;
class Window;
} // namespace fake

namespace novari_test
{
class RuntimeDir;
class VirtualPrinter;
} // namespace novari_test

namespace scantest
{

constexpr double PageDpi = 360.0; // the virtual printer's sheet

// The sheet laid on a dark lid, as the virtual printer's tray scans it for the pages measured
// from the paper's edges.
inline QImage OnDarkLid(const QImage &page, double border = 0.4)
{
    return sim::OnDarkLid(page, PageDpi, border);
}

class PatternPrinter
{
public:
    explicit PatternPrinter(uint32_t seed);
    ~PatternPrinter();
    PatternPrinter(const PatternPrinter &) = delete;
    PatternPrinter &operator=(const PatternPrinter &) = delete;

    // Starts the printer and opens the link; false and ErrorText() when it cannot.
    bool Start();
    QString ErrorText() const { return error_; }

    // The Bi-D pattern of the selected items with the stored values, and what was printed.
    QImage PrintBid(TPBid::Gap gap, const TPBid::Selection &selected,
                    std::vector<TPScan::BidPrinted> *printed);
    QImage PrintHeadAngular();
    QImage PrintFirstDot();
    QImage PrintTopMargin();
    // The PW sensor pattern (it clears the stored corrections first, so the marks show the
    // sensor's errors themselves).
    QImage PrintPwSensor();

    // Only for judging: the printer's hidden errors.
    const sim::Mechanics &Mechanics() const { return mechanics_; }
    int BidError(TPBid::Item item, TPBid::Gap gap) const;
    // A signed value the printer stores (first dot, top margin), as its pages print it; the
    // pages are printed with it.
    int StoredValue(uint8_t address);

private:
    QImage NextPage();

    sim::Mechanics mechanics_;
    uint32_t seed_;
    QTemporaryDir pages_;
    int pagesSeen_ = 0;
    QString error_;
    std::unique_ptr<novari_test::RuntimeDir> runtime_;
    std::unique_ptr<novari_test::VirtualPrinter> printer_;
    std::unique_ptr<fake::Waits> waits_;
    std::unique_ptr<fake::Window> window_;
    std::unique_ptr<TPProgram> program_;
};

// Only for judging: the value that puts the mark of a first dot or top margin page, printed
// with `printed`, at the instructions' distance from the edge, measured on the clean page (the
// sheet itself, its edge at pixel 0) by the centre of its darkness near the edge.
int MarginTruth(const QImage &page, bool fromTop, int printed);

} // namespace scantest
