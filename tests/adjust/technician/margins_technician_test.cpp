// The test technician adjusts the first dot and the top margin: prints the item's pattern,
// measures on the page how far its mark lies from the paper's edge, steps the setting by the
// difference with the up-down keys, writes it, and prints again to check.
#include "technicianfixture.h"

#include <QTest>
#include <cmath>
#include <optional>

using namespace technician;

namespace
{
// The full-resolution page is the sheet itself: A4, 2976 dots across at 360 dots per inch.
constexpr double PageDpi = 360.0;
constexpr int A4WidthDots = 2976;
constexpr double MmPerInch = 25.4;
constexpr int InkedLevel = 128; // a pixel at least this dark (0..255) carries ink

// What the how-to windows allow: "(Standard : 3±1.0mm from left edge)", and from the top.
constexpr double StandardMm = 3.0;
constexpr double StandardToleranceMm = 1.0;

struct MarginItem {
    int entry; // in AdjustRdoGrp
    const char *print;
    const char *printed; // the memo line when the pattern is out
    const char *input;
    const char *read;
    const char *edit;
    const char *upDown;
    const char *hidden; // the error's name in the mechanics file
    int address;        // where the printer keeps the value
    double stepInches;  // one step of the value; a higher value moves the mark away from the edge
    // The middle of the mark on a well-adjusted printer, from the edge, in inches.
    double aimInches;
    // What the page can resolve, in steps of the value: a dot is four first dot steps, and
    // how dark a pixel looks does not grow in proportion to the ink it holds, so a share of a
    // dot reads to within half a dot.
    int resolvableSteps;
    bool fromTop; // the mark's distance is measured from the top edge, else from the left
};

// The top margin line of a well-adjusted printer lies 3 mm from the top edge, as the how-to
// asks. Across, the virtual printer's printable area begins 48 dots (1/7.5 inch, 3.39 mm) in,
// which centres its 8-inch print width on A4: the middle of its first dot lies 48.5 dots in,
// inside the how-to's standard, and that is the mark a technician aims at on this printer.
const MarginItem FirstDot = {6,
                             "LandMarginPrintBtn",
                             "The first dot pattern print has been completed.",
                             "LandMarginInputBtn",
                             "LandMarginCheckBtn",
                             "LandMarginInputEdit",
                             "LandMarginInputUpDown",
                             "firstDot",
                             0x59,
                             1.0 / 1440.0,
                             48.5 / PageDpi,
                             2,
                             false};
const MarginItem TopMargin = {7,
                              "TopMarginPrintBtn",
                              "The top margin adjustment pattern print has been completed.",
                              "TopMarginInputValueBtn",
                              "TopMarginCheckValueBtn",
                              "TopMarginInputEdit",
                              "TopMarginInputUpDown",
                              "topMargin",
                              0x57,
                              1.0 / 720.0,
                              StandardMm / MmPerInch,
                              1,
                              true};

int Darkness(const QImage &page, int x, int y)
{
    return x < 0 || y < 0 || x >= page.width() || y >= page.height()
               ? 0
               : 255 - qGray(page.pixel(x, y));
}

// Distance in inches from the edge to the middle of the first dot: found at the first inked
// pixel line (the leftmost column or topmost row), then placed to a fraction of a pixel by how
// much ink the pixel lines at the mark's edge carry against a fully inked one (a dot that falls
// between two pixels shares its ink between them).
std::optional<double> MarkFromEdge(const QImage &page, bool fromTop)
{
    const int lines = fromTop ? page.height() : page.width();
    const int across = fromTop ? page.width() : page.height();
    const auto dark = [&](int line, int i) {
        return fromTop ? Darkness(page, i, line) : Darkness(page, line, i);
    };
    int first = -1;
    QVector<int> mark; // the pixels across the mark's first line that carry ink
    for (int line = 0; line < lines && first < 0; ++line) {
        for (int i = 0; i < across; ++i) {
            if (dark(line, i) >= InkedLevel)
                mark.append(i);
        }
        if (!mark.isEmpty())
            first = line;
    }
    if (first < 0)
        return std::nullopt;
    const auto mean = [&](int line) {
        double sum = 0;
        for (int i : mark)
            sum += dark(line, i);
        return sum / mark.size();
    };
    // A fully inked line lies within two lines of the first inked one; the lines before it
    // carry the share of the first dot's ink that fell short of it.
    const double full = std::max({mean(first), mean(first + 1), mean(first + 2)});
    int fullLine = first;
    while (mean(fullLine) < 0.95 * full)
        ++fullLine;
    double partial = 0;
    for (int line = first - 1; line < fullLine; ++line)
        partial += std::min(1.0, mean(line) / full);
    return (fullLine - partial + 0.5) / PageDpi;
}

class MarginTechnician : public TechnicianTest
{
protected:
    // Prints the pattern and measures its mark; nullopt when no page or no mark came out.
    std::optional<double> PrintAndMeasure(const MarginItem &item)
    {
        const QImage page = PrintPage(item.print, item.printed);
        EXPECT_EQ(page.width(), A4WidthDots) << "not a full-resolution A4 page";
        if (page.width() != A4WidthDots)
            return std::nullopt;
        return MarkFromEdge(page, item.fromTop);
    }

    // Moves the setting by a number of steps with the up-down's arrow keys and writes it.
    void StepAndWrite(const MarginItem &item, int steps)
    {
        auto *upDown = window->findChild<QWidget *>(QString::fromLatin1(item.upDown));
        ASSERT_NE(upDown, nullptr) << item.upDown;
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(upDown, steps > 0 ? Qt::Key_Up : Qt::Key_Down);
        Click(item.input);
        ASSERT_TRUE(WaitForEnabled(*window));
        EXPECT_TRUE(MemoLines(*window).value(0).endsWith("value has been written properly."))
            << MemoLines(*window).join(" / ").toStdString();
    }

    void Adjust(const MarginItem &item)
    {
        List(*window, "AdjustRdoGrp")->Button(item.entry)->click();
        Click(item.read);
        ASSERT_TRUE(WaitForEnabled(*window));
        bool numeric = false;
        const int before = Edit(item.edit)->text().toInt(&numeric);
        ASSERT_TRUE(numeric) << "Read left " << Edit(item.edit)->text().toStdString();

        // Closer to the edge than the aim: a higher value; farther: a lower one.
        const std::optional<double> first = PrintAndMeasure(item);
        ASSERT_TRUE(first) << "no mark on " << lastPage_.toStdString();
        const int steps =
            static_cast<int>(std::lround((item.aimInches - *first) / item.stepInches));
        ASSERT_NO_FATAL_FAILURE(StepAndWrite(item, steps));
        const int written = before + steps;
        EXPECT_EQ(Edit(item.edit)->text().toInt(), written);

        const std::optional<double> second = PrintAndMeasure(item);
        ASSERT_TRUE(second) << "no mark on " << lastPage_.toStdString();
        EXPECT_LE(std::abs(*second - item.aimInches), 0.5 / PageDpi)
            << "the mark is not where it was aimed, page " << lastPage_.toStdString();
        EXPECT_LE(std::abs(*second * MmPerInch - StandardMm), StandardToleranceMm);

        const int stored = int8_t(printer->Eeprom().at(item.address));
        EXPECT_EQ(stored, written);
        const int error = HiddenMechanics().value(item.hidden).toInt();
        EXPECT_LE(std::abs(stored - error), item.resolvableSteps)
            << item.hidden << " error " << error << ", first mark " << *first * PageDpi
            << " dots from the edge, page " << lastPage_.toStdString();
    }
};

TEST_P(MarginTechnician, FirstDotAndTopMarginMeasuredOnThePageCorrectThePrinter)
{
    ASSERT_NO_FATAL_FAILURE(OpenOutOfAdjustment());
    ASSERT_NO_FATAL_FAILURE(Adjust(FirstDot));
    ASSERT_NO_FATAL_FAILURE(Adjust(TopMargin));
}

INSTANTIATE_TEST_SUITE_P(ThreeSeeds, MarginTechnician, ::testing::Values(11, 2024, 77777));

} // namespace
