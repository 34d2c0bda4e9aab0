// The page reader against misadjusted virtual printers: for each seed, the Bi-D patterns of
// both platen gaps and the head angular pattern are printed at full resolution, each page is
// scanned as a flatbed would (600 and 300 dpi, turned -2 to +2 degrees, blur, grain, JPEG
// 75-90, tinted paper), read, and the proposals are compared with the printer's hidden errors.
// The PW sensor page is scanned on a dark lid (its values are measured from the sheet's edges).
// Targets at 600 dpi: 95 % exact and all within one step for Bi-D and head angular, no sure
// proposal wrong at any resolution, under 2 s a page.
// The first dot and top margin pages are scanned at their top left corner with the dark lid
// around it (300, 600 and 1200 dpi, turned up to 3 degrees) and compared with the value that
// puts the clean page's mark at 3 mm: the top margin exact (a sure one wrong when not), the
// first dot within two quarter-dot steps (a sure one wrong when further). The top margin is
// also compared with the printer's hidden error, which the page shows only to a dot (two
// steps).
// The PW sensor page is scanned on a dark lid (its values are measured from the sheet's edges).
//   bench-scan-reader [SEEDS] [PATTERN]   (default 20 seeds; PATTERN bid, head, pw or margins:
//   only it)
#include "adjust/items/firstdot/firstdot.h"
#include "adjust/items/topmargin/topmargin.h"
#include "patternprinter.h"
#include "scanlook.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

using namespace scantest;

namespace
{
constexpr int BidReach = 6; // the outer columns of the middle row, from its centre

struct Tally {
    int items = 0;
    int exact = 0;
    int withinOne = 0;
    int withinTwo = 0;
    int hiddenExact = 0; // top margin: the printer's hidden error itself
    int sure = 0;
    int sureWrong = 0;
    int beyond = 0;      // values off the printed columns: proposed to print again
    int beyondClose = 0; // ... within two steps
    int pages = 0;
    int unreadPages = 0;
    double seconds = 0.0;
    double cpuSeconds = 0.0;
};

std::map<std::string, Tally> tallies;

void Count(Tally &tally, const TPScan::ItemReading &item, int error, bool beyond)
{
    if (beyond) {
        ++tally.beyond;
        tally.beyondClose += item.proposal && std::abs(*item.proposal - error) <= 2 ? 1 : 0;
        tally.sureWrong += item.sure && item.proposal != error ? 1 : 0;
        return;
    }
    ++tally.items;
    const bool exact = item.proposal && *item.proposal == error;
    tally.exact += exact ? 1 : 0;
    tally.withinOne += item.proposal && std::abs(*item.proposal - error) <= 1 ? 1 : 0;
    tally.withinTwo += item.proposal && std::abs(*item.proposal - error) <= 2 ? 1 : 0;
    tally.sure += item.sure ? 1 : 0;
    tally.sureWrong += item.sure && !exact ? 1 : 0;
}

template <typename Read>
TPScan::PageReading Scan(const QImage &page, const sim::ScanLook &look, uint32_t seed, Tally &tally,
                         Read read)
{
    const QByteArray jpeg = sim::ScanJpeg(page, PageDpi, look, seed);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    TPScan::ReadFailure why = TPScan::ReadFailure::None;
    const QImage image = TPScan::TPPageReader::LoadImageData(jpeg, &why);
    TPScan::TPPageReader reader(image);
    const TPScan::PageReading reading = read(reader);
    tally.seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    tally.cpuSeconds += double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    ++tally.pages;
    tally.unreadPages += reading.Found() ? 0 : 1;
    return reading;
}

void BidPages(PatternPrinter &printer, TPBid::Gap gap, uint32_t seed)
{
    TPBid::Selection all;
    all.fill(true);
    std::vector<TPScan::BidPrinted> printed;
    const QImage page = printer.PrintBid(gap, all, &printed);
    if (page.isNull()) {
        std::fprintf(stderr, "seed %u: no Bi-D page: %s\n", seed, qPrintable(printer.ErrorText()));
        return;
    }
    std::vector<TPBid::Item> items;
    for (int i = 0; i < TPBid::ItemCount; ++i)
        if (TPBid::Exists(TPBid::Item(i), gap))
            items.push_back(TPBid::Item(i));
    for (double dpi : {600.0, 300.0}) {
        Tally &tally = tallies[std::string(gap == TPBid::Gap::Typ ? "Bi-D Typ" : "Bi-D PG-") +
                               (dpi > 400 ? "  600 dpi" : "  300 dpi")];
        const uint32_t scan = seed * 7 + int(dpi);
        const auto reading = Scan(page, sim::RandomScanLook(scan, dpi), scan, tally,
                                  [&](TPScan::TPPageReader &r) { return r.ReadBid(printed); });
        for (size_t k = 0; k < reading.items.size() && k < items.size(); ++k) {
            const int error = printer.BidError(items[k], gap);
            Count(tally, reading.items[k], error, std::abs(error - printed[k].centre) >= BidReach);
        }
    }
}

void HeadAngularPage(PatternPrinter &printer, uint32_t seed)
{
    const QImage page = printer.PrintHeadAngular();
    if (page.isNull()) {
        std::fprintf(stderr, "seed %u: no head angular page: %s\n", seed,
                     qPrintable(printer.ErrorText()));
        return;
    }
    for (double dpi : {600.0, 300.0}) {
        Tally &tally =
            tallies[std::string("Head angular") + (dpi > 400 ? "  600 dpi" : "  300 dpi")];
        const uint32_t scan = seed * 13 + int(dpi);
        const auto reading = Scan(page, sim::RandomScanLook(scan, dpi), scan, tally,
                                  [](TPScan::TPPageReader &r) { return r.ReadHeadAngular(); });
        for (const TPScan::ItemReading &item : reading.items)
            Count(tally, item, printer.Mechanics().headTilt, false);
    }
}
void MarginPages(PatternPrinter &printer, uint32_t seed)
{
    constexpr double MaxTurn = 3.0;
    constexpr double RandomTurn = 2.0; // what RandomScanLook turns at most
    const int firstDot = printer.StoredValue(TPFirstDot::Address);
    const int topMargin = printer.StoredValue(TPTopMargin::Address);
    const QImage pages[] = {printer.PrintFirstDot(), printer.PrintTopMargin()};
    for (int which = 0; which < 2; ++which) {
        const bool isTop = which == 1;
        if (pages[which].isNull()) {
            std::fprintf(stderr, "seed %u: no margin page: %s\n", seed,
                         qPrintable(printer.ErrorText()));
            return;
        }
        const int printed = isTop ? topMargin : firstDot;
        const int truth = MarginTruth(pages[which], isTop, printed);
        for (double dpi : {600.0, 300.0, 1200.0}) {
            char name[40];
            std::snprintf(name, sizeof name, "%s %5.0f dpi", isTop ? "Top margin" : "First dot",
                          dpi);
            Tally &tally = tallies[name];
            const uint32_t scan = seed * 17 + int(dpi) + which;
            sim::ScanLook look = sim::RandomScanLook(scan, dpi);
            look.turnDegrees *= MaxTurn / RandomTurn;
            look.lid = qRgb(30 + int(scan % 40), 30 + int(scan % 40), 34 + int(scan % 40));
            look.cropLeft = look.cropTop = -0.3;
            look.cropWidth = 4.0;
            look.cropHeight = 3.0;
            const auto reading =
                Scan(pages[which], look, scan, tally, [&](TPScan::TPPageReader &r) {
                    return isTop ? r.ReadTopMargin(printed) : r.ReadFirstDot(printed);
                });
            if (!reading.Found())
                std::fprintf(stderr, "seed %u, %s: %s\n", seed, name,
                             qPrintable(TPScan::FailureText(reading.failure)));
            for (const TPScan::ItemReading &item : reading.items) {
                const int off = item.proposal ? std::abs(*item.proposal - truth) : 1000;
                ++tally.items;
                tally.exact += off == 0 ? 1 : 0;
                tally.withinOne += off <= 1 ? 1 : 0;
                tally.withinTwo += off <= 2 ? 1 : 0;
                tally.sure += item.sure ? 1 : 0;
                tally.sureWrong += item.sure && off > (isTop ? 0 : 2) ? 1 : 0;
                tally.hiddenExact +=
                    isTop && item.proposal == printer.Mechanics().topMargin ? 1 : 0;
            }
        }
    }
}
// The PW sensor page laid on a dark lid, so that the sheet's edges show; the values are the
// sensor's errors at the four edges (the print clears the stored corrections first).
void PwSensorPage(PatternPrinter &printer, uint32_t seed)
{
    const QImage page = printer.PrintPwSensor();
    if (page.isNull()) {
        std::fprintf(stderr, "seed %u: no PW sensor page: %s\n", seed,
                     qPrintable(printer.ErrorText()));
        return;
    }
    const QImage laid = OnDarkLid(page);
    for (double dpi : {600.0, 300.0}) {
        Tally &tally = tallies[std::string("PW sensor") + (dpi > 400 ? "  600 dpi" : "  300 dpi")];
        const uint32_t scan = seed * 17 + int(dpi);
        const auto reading = Scan(laid, sim::RandomScanLook(scan, dpi), scan, tally,
                                  [](TPScan::TPPageReader &r) { return r.ReadPwSensor(); });
        for (size_t side = 0; side < reading.items.size(); ++side) {
            const TPScan::ItemReading &item = reading.items[side];
            Count(tally, item, printer.Mechanics().pwSensor[side], false);
            if (!item.sure)
                std::fprintf(stderr, "seed %u, %g dpi, %s: %s\n", seed, dpi, qPrintable(item.item),
                             qPrintable(item.remark));
        }
    }
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seeds = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::string only = argc > 2 ? argv[2] : "";
    const auto wanted = [&only](const char *pattern) { return only.empty() || only == pattern; };
    for (int s = 1; s <= seeds; ++s) {
        const uint32_t seed = uint32_t(1000 + s);
        PatternPrinter printer(seed);
        if (!printer.Start()) {
            std::fprintf(stderr, "bench-scan-reader: %s\n", qPrintable(printer.ErrorText()));
            return 1;
        }
        if (wanted("bid")) {
            BidPages(printer, TPBid::Gap::Typ, seed);
            BidPages(printer, TPBid::Gap::PgMinus, seed);
        }
        if (wanted("head"))
            HeadAngularPage(printer, seed);
        if (wanted("pw"))
            PwSensorPage(printer, seed);
        if (wanted("margins"))
            MarginPages(printer, seed);
        std::fprintf(stderr, "seed %d of %d done\n", s, seeds);
    }
    std::printf("%d seeds; items whose value lies off the printed columns are counted apart "
                "(\"beyond\": proposed to input and print again)\n",
                seeds);
    std::printf("%-22s %6s %8s %10s %10s %7s %10s %8s %8s %9s %9s\n", "pattern", "items", "exact",
                "within 1", "within 2", "sure", "sure wrong", "beyond", "b. +-2", "s/page",
                "cpu s/p");
    for (const auto &[name, t] : tallies) {
        const double n = std::max(1, t.items);
        std::printf("%-22s %6d %7.1f%% %9.1f%% %9.1f%% %6.1f%% %10d %8d %8d %9.2f %9.2f%s\n",
                    name.c_str(), t.items, 100.0 * t.exact / n, 100.0 * t.withinOne / n,
                    100.0 * t.withinTwo / n, 100.0 * t.sure / n, t.sureWrong, t.beyond,
                    t.beyondClose, t.seconds / std::max(1, t.pages),
                    t.cpuSeconds / std::max(1, t.pages),
                    t.unreadPages ? "  (some pages not read)" : "");
    }
    for (const auto &[name, t] : tallies) {
        if (name.rfind("Top margin", 0) == 0)
            std::printf("%s: %.1f%% equal to the printer's hidden error\n", name.c_str(),
                        100.0 * t.hiddenExact / std::max(1, t.items));
    }
    return 0;
}
