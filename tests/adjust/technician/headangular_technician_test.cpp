// The test technician adjusts the head angle: prints the pattern, finds the column whose bars
// run straight from the reference band into the comparison band, sets that column's label with
// the up-down's arrow keys, writes it, and prints again.
#include "technicianfixture.h"

#include <QTest>

#include <cmath>
#include <optional>

using namespace technician;

namespace
{
constexpr int HeadAngularEntry = 3;
constexpr int Columns = 5;
// Labels of the columns, left to right; the outer two ("NG") are no value.
constexpr std::optional<int> ColumnValues[Columns] = {std::nullopt, -3, 0, 3, std::nullopt};
constexpr int ValueStep = 3; // one press of an arrow
constexpr int MinValue = -3;

// The page's ink, 0 (white) .. 255 (black), per pixel.
class InkMap
{
public:
    explicit InkMap(const QImage &page) : image_(page.convertToFormat(QImage::Format_Grayscale8)) {}
    bool IsNull() const { return image_.isNull(); }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    int At(int x, int y) const { return 255 - image_.constScanLine(y)[x]; }

private:
    QImage image_;
};

// Where a column of the pattern lies: its pixel columns and its rows, reference band on top.
struct PatternColumn {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// The pattern's columns: runs of pixel columns inked over most of both bands' height (the
// text lines and the single end dots are far shorter).
QVector<PatternColumn> FindColumns(const InkMap &ink)
{
    constexpr int Inked = 64;
    constexpr int MinRows = 300;   // both bands are 540 rows tall at 360 dpi
    constexpr int MaxInnerGap = 4; // between the two bars of one column
    QVector<int> rows(ink.Width(), 0);
    for (int y = 0; y < ink.Height(); ++y)
        for (int x = 0; x < ink.Width(); ++x)
            rows[x] += ink.At(x, y) > Inked;
    QVector<PatternColumn> columns;
    for (int x = 0; x < ink.Width(); ++x) {
        if (rows[x] < MinRows)
            continue;
        if (!columns.isEmpty() && x - columns.last().right <= MaxInnerGap + 1)
            columns.last().right = x;
        else
            columns.append({x, x, 0, 0});
    }
    for (PatternColumn &column : columns) {
        // The longest run of inked rows under the column: both bands, printed without a gap.
        int runTop = -1;
        for (int y = 0; y <= ink.Height(); ++y) {
            bool inked = false;
            for (int x = column.left; y < ink.Height() && x <= column.right && !inked; ++x)
                inked = ink.At(x, y) > Inked;
            if (inked && runTop < 0)
                runTop = y;
            if (!inked && runTop >= 0) {
                if (y - runTop > column.bottom - column.top) {
                    column.top = runTop;
                    column.bottom = y;
                }
                runTop = -1;
            }
        }
    }
    return columns;
}

// The ink-weighted centre of a column over some rows, in pixels (fractions count: a bar that
// falls between two sheet dots greys both).
double InkCentre(const InkMap &ink, const PatternColumn &column, int fromRow, int toRow)
{
    constexpr int Margin = 2;
    double weighted = 0.0;
    double total = 0.0;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = column.left - Margin; x <= column.right + Margin; ++x) {
            weighted += double(x) * ink.At(x, y);
            total += ink.At(x, y);
        }
    }
    return total > 0.0 ? weighted / total : 0.0;
}

// How far the bars step sideways where the reference band (the top half) meets the
// comparison band, in pixels.
double StepAtJoin(const InkMap &ink, const PatternColumn &column)
{
    constexpr int RowsEachSide = 6;
    const int join = (column.top + column.bottom) / 2;
    return std::abs(InkCentre(ink, column, join - RowsEachSide, join) -
                    InkCentre(ink, column, join, join + RowsEachSide));
}

class HeadAngularTechnician : public TechnicianTest
{
protected:
    // Prints the pattern and returns the index of the column that runs straightest.
    int PrintAndFindStraightColumn()
    {
        const InkMap ink(
            PrintPage("HeadAngularPrintBtn", "The head angular pattern print has been completed."));
        if (ink.IsNull())
            return -1;
        const QVector<PatternColumn> columns = FindColumns(ink);
        EXPECT_EQ(columns.size(), Columns) << lastPage_.toStdString();
        if (columns.size() != Columns)
            return -1;
        int straightest = 0;
        double steps[Columns];
        for (int i = 0; i < Columns; ++i) {
            steps[i] = StepAtJoin(ink, columns[i]);
            if (steps[i] < steps[straightest])
                straightest = i;
        }
        // The straight column must stand out from its neighbours, not win by a rounding.
        for (int i = 0; i < Columns; ++i) {
            if (i != straightest) {
                EXPECT_GT(steps[i] - steps[straightest], 0.15)
                    << "columns " << straightest << " and " << i << " on "
                    << lastPage_.toStdString();
            }
        }
        return straightest;
    }

    // Sets the value with the up-down's arrow keys, as the edit takes no typing.
    void SetValue(int value)
    {
        QLineEdit *edit = Edit("HeadAngularInputEdit");
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        for (int press = 0; press < 2; ++press)
            QTest::keyClick(edit, Qt::Key_Down);
        for (int press = 0; press < (value - MinValue) / ValueStep; ++press)
            QTest::keyClick(edit, Qt::Key_Up);
        EXPECT_EQ(edit->text(), QString::number(value));
    }
};

TEST_P(HeadAngularTechnician, StraightColumnReadOffThePageCorrectsTheHeadTilt)
{
    ASSERT_NO_FATAL_FAILURE(OpenOutOfAdjustment());
    List(*window, "AdjustRdoGrp")->Button(HeadAngularEntry)->click();
    ASSERT_TRUE(WaitForEnabled(*window));

    const int straight = PrintAndFindStraightColumn();
    ASSERT_GE(straight, 0);
    ASSERT_TRUE(ColumnValues[straight].has_value())
        << "an NG column is the straight one on " << lastPage_.toStdString();
    const int value = *ColumnValues[straight];
    ASSERT_NO_FATAL_FAILURE(SetValue(value));
    Click("HeadAngularInputBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    EXPECT_EQ(MemoLines(*window).value(0),
              "The head angular adjustment value has been written properly.");

    // The pattern always prints at angle 0, so it shows the head as it stands: the same column
    // again, and the value written survives the print.
    EXPECT_EQ(PrintAndFindStraightColumn(), straight);
    Click("HeadAngularReadBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    EXPECT_EQ(Edit("HeadAngularInputEdit")->text(), QString::number(value));

    const int stored = int8_t(printer->Eeprom().at(0x75));
    EXPECT_EQ(stored, value);
    const int tilt = HiddenMechanics().value("headTilt").toInt();
    EXPECT_LE(std::abs(stored - tilt), 1) << "page " << lastPage_.toStdString();
}

INSTANTIATE_TEST_SUITE_P(ThreeSeeds, HeadAngularTechnician, ::testing::Values(11, 2024, 77777));
// Of the three seeds only 11 tilts the head (by 3); seed 3 tilts it the other way.
INSTANTIATE_TEST_SUITE_P(TiltedLeft, HeadAngularTechnician, ::testing::Values(3));

} // namespace
