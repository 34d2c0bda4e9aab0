// The test technician adjusts Bi-D: prints the pattern, picks the most evenly inked column of
// every item, types and writes the values, prints again to choose between the neighbours,
// writes again, and prints once more to see the written values' columns come out even.
#include "technicianfixture.h"

#include <QRadioButton>

using namespace technician;

namespace
{
constexpr int BidEntry = 4;
constexpr int ColumnsPerRow = 7;
constexpr int CentreColumn = 3;
constexpr int ValueStep = 2; // between neighbouring columns of the pattern

struct BidItem {
    const char *edit;
    const char *mode; // as in the mechanics file
    const char *ink;
};
// In the order the pattern prints them.
const BidItem BidItems[] = {
    {"BidVSD1BkInputEdit", "VSD1", "black"}, {"BidVSD1CLInputEdit", "VSD1", "color"},
    {"BidVSD2BkInputEdit", "VSD2", "black"}, {"BidVSD2CLInputEdit", "VSD2", "color"},
    {"BidVSD3BkInputEdit", "VSD3", "black"}, {"BidVSD3CLInputEdit", "VSD3", "color"},
    {"BidECOBkInputEdit", "ECO", "black"},   {"BidECOCLInputEdit", "ECO", "color"},
};

struct Gap {
    int index;        // in PGSelectRadioGrp / PGSelectInputRadioGrp
    const char *name; // in the mechanics file
    int items;        // PG- has no ECO items
    int storedBase;   // EEPROM address of ECO Black of the gap
};
const Gap Typical = {0, "typical", 8, 0x32};
const Gap PgMinus = {1, "narrow", 6, 0xD2};

// How unevenly an item's centre value and its two neighbours print: the single columns above
// and below the middle row are numbered one less and one more than its centre.
struct Neighbourhood {
    int above;
    int centre;
    int below;
};
Neighbourhood AroundCentre(const QVector<technician::BarBand> &item)
{
    return {item[0].columns[0].uneven, item[1].columns[CentreColumn].uneven,
            item[2].columns[0].uneven};
}

class BidTechnician : public TechnicianTest
{
protected:
    // Prints the pattern of every item of the gap and groups the bands of the page by item:
    // three rows each, the middle one with seven columns.
    QVector<QVector<technician::BarBand>> PrintBidPattern(const Gap &gap)
    {
        List(*window, "PGSelectRadioGrp")->Button(gap.index)->click();
        const technician::PageReader page(
            PrintPage("BidPrintOKBtn", "The Bi-D pattern print has been completed."));
        const QVector<technician::BarBand> bands = page.Bands();
        QVector<QVector<technician::BarBand>> items;
        for (int i = 0; i + 2 < bands.size(); ++i) {
            if (bands[i].columns.size() == 1 && bands[i + 1].columns.size() == ColumnsPerRow &&
                bands[i + 2].columns.size() == 1) {
                items.append({bands[i], bands[i + 1], bands[i + 2]});
                i += 2;
            }
        }
        EXPECT_EQ(items.size(), gap.items) << "bands on " << lastPage_.toStdString();
        return items;
    }

    // Goes to the input page and chooses the gap there. The page reads the stored values as
    // it opens and the window stays disabled until the printer answers a status poll; a
    // click on the greyed-out choice would be lost (the write would go to the typical gap).
    void ChooseInputGap(const Gap &gap)
    {
        Click("BidPrintShowInputBtn");
        ASSERT_TRUE(WaitForEnabled(*window));
        QRadioButton *choice = List(*window, "PGSelectInputRadioGrp")->Button(gap.index);
        ASSERT_TRUE(choice->isEnabled());
        choice->click();
        ASSERT_TRUE(choice->isChecked());
    }

    // Types the values on the input page of the gap and writes them.
    void WriteBid(const Gap &gap, const QVector<int> &values)
    {
        ASSERT_NO_FATAL_FAILURE(ChooseInputGap(gap));
        for (int i = 0; i < values.size(); ++i) {
            // Typed afresh, so that an unchanged value is checked and written too.
            Edit(BidItems[i].edit)->clear();
            Edit(BidItems[i].edit)->setText(QString::number(values[i]));
        }
        Click("BidInputOKBtn");
        ASSERT_TRUE(WaitForEnabled(*window));
        EXPECT_EQ(MemoLines(*window).value(0),
                  "The Bi-D adjustment value has been written properly.");
        Click("BidInputShowPrintBtn");
    }

    QVector<int> ReadBid(const Gap &gap)
    {
        ChooseInputGap(gap);
        EXPECT_TRUE(WaitForEnabled(*window));
        QVector<int> values;
        for (int i = 0; i < gap.items; ++i)
            values.append(Edit(BidItems[i].edit)->text().toInt());
        Click("BidInputShowPrintBtn");
        return values;
    }

    void AdjustBid(const Gap &gap)
    {
        // The pattern's columns are numbered from the stored values outwards. A best column at
        // either end may not be the best there is: write it and look again.
        QVector<int> chosen = ReadBid(gap);
        constexpr int MaxRounds = 4;
        bool atEnd = true;
        for (int round = 0; round < MaxRounds && atEnd; ++round) {
            const auto page = PrintBidPattern(gap);
            ASSERT_EQ(page.size(), gap.items);
            atEnd = false;
            for (int i = 0; i < gap.items; ++i) {
                const int best = BestColumn(page[i][1]);
                chosen[i] += ValueStep * (best - CentreColumn);
                atEnd = atEnd || best == 0 || best == ColumnsPerRow - 1;
            }
            ASSERT_NO_FATAL_FAILURE(WriteBid(gap, chosen));
        }
        EXPECT_FALSE(atEnd) << "the best columns keep lying at the end of the pattern";

        // Between the chosen value and its neighbours.
        const auto second = PrintBidPattern(gap);
        ASSERT_EQ(second.size(), gap.items);
        QVector<int> refined;
        for (int i = 0; i < gap.items; ++i) {
            const auto [above, centre, below] = AroundCentre(second[i]);
            const int offset = centre <= std::min(above, below) ? 0 : above < below ? -1 : 1;
            refined.append(chosen[i] + offset);
        }
        ASSERT_NO_FATAL_FAILURE(WriteBid(gap, refined));

        // As a technician checks the work: on the page printed now, every item's centre
        // column (the written value) is more even than the columns one less and one more.
        const auto check = PrintBidPattern(gap);
        ASSERT_EQ(check.size(), gap.items);
        for (int i = 0; i < gap.items; ++i) {
            const auto [above, centre, below] = AroundCentre(check[i]);
            EXPECT_LT(centre, std::min(above, below))
                << gap.name << " " << BidItems[i].edit << " page " << lastPage_.toStdString();
        }

        const QJsonObject errors =
            HiddenMechanics().value("bid").toObject().value(gap.name).toObject();
        const QByteArray eeprom = printer->Eeprom();
        for (int i = 0; i < gap.items; ++i) {
            const int error =
                errors.value(BidItems[i].mode).toObject().value(BidItems[i].ink).toInt();
            const int modeIndex = i / 2 == 3 ? 0 : i / 2 + 1;
            const int written = int8_t(eeprom.at(gap.storedBase + 2 * modeIndex + i % 2));
            EXPECT_EQ(written, refined[i]);
            EXPECT_LE(std::abs(written - error), 1)
                << gap.name << " " << BidItems[i].edit << " page " << lastPage_.toStdString();
        }
    }
};

TEST_P(BidTechnician, BidColumnsReadOffThePageCorrectEveryTypicalGapItem)
{
    ASSERT_NO_FATAL_FAILURE(OpenOutOfAdjustment());
    List(*window, "AdjustRdoGrp")->Button(BidEntry)->click();
    ASSERT_NO_FATAL_FAILURE(AdjustBid(Typical));
}

TEST_P(BidTechnician, BidColumnsReadOffThePageCorrectEveryNarrowGapItem)
{
    ASSERT_NO_FATAL_FAILURE(OpenOutOfAdjustment());
    List(*window, "AdjustRdoGrp")->Button(BidEntry)->click();
    ASSERT_NO_FATAL_FAILURE(AdjustBid(PgMinus));
}

INSTANTIATE_TEST_SUITE_P(ThreeSeeds, BidTechnician, ::testing::Values(11, 2024, 77777));

} // namespace
