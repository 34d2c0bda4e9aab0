// The test technician adjusts the PW sensor's right and left edges: prints the PW sensor
// pattern, finds at each side edge the mark row that lies 5 mm from the paper's edge, types
// its number and writes it.
#include "technicianfixture.h"

#include <QCheckBox>

using namespace technician;

namespace
{
constexpr int PwSensorEntry = 5;
constexpr int MarkRows = 28;
constexpr int FirstRowValue = -8;
constexpr double A4WidthMm = 210.0;
constexpr double EdgeDistanceMm = 5.0;
constexpr int EdgeStrip = 200;    // pixels in from the edge where the marks print
constexpr int MaxMarkWidth = 4;   // a mark is two dots wide; text glyphs are wider
constexpr int MinMarkHeight = 40; // 21 raster lines; the diagonal bars are single lines
constexpr int MaxLineGap = 4;     // raster lines of one mark are 3 pixels apart

struct Side {
    const char *name; // in the mechanics file
    const char *checkBox;
    const char *edit;
    bool right;
    uint8_t first;
    uint8_t second;
};
const Side Sides[] = {
    {"right", "PWSensorHMXUCheckBox", "PWSensorHMXUEdit", true, 0x70, 0xCE},
    {"left", "PWSensorHMXDCheckBox", "PWSensorHMXDEdit", false, 0x72, 0xD0},
};

bool Black(QRgb pixel)
{
    constexpr int Dark = 128;
    return qRed(pixel) < Dark && qGreen(pixel) < Dark && qBlue(pixel) < Dark;
}

// The centre, in pixels from the left edge, of every mark row in the strip along one side
// edge, top to bottom.
QVector<double> MarkCentres(const QImage &page, bool right)
{
    const int from = right ? page.width() - EdgeStrip : 0;
    QVector<double> centres;
    int top = -1, last = -1, minX = 0, maxX = 0;
    double sumX = 0;
    int count = 0;
    auto close = [&] {
        if (top >= 0 && last - top >= MinMarkHeight && maxX - minX < MaxMarkWidth)
            centres.append(sumX / count + 0.5);
        top = -1;
    };
    for (int y = 0; y < page.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        bool inked = false;
        for (int x = from; x < from + EdgeStrip; ++x) {
            if (!Black(line[x]))
                continue;
            if (top < 0 || y - last > MaxLineGap) {
                close();
                top = y;
                minX = maxX = x;
                sumX = 0;
                count = 0;
            }
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            sumX += x;
            ++count;
            inked = true;
        }
        if (inked)
            last = y;
    }
    close();
    return centres;
}

class PwSensorTechnician : public TechnicianTest
{
protected:
    QImage PrintPwPattern()
    {
        Click("PWSensorPrintBtn");
        EXPECT_TRUE(WaitForEnabled(*window, 60000));
        EXPECT_EQ(MemoLines(*window).value(0),
                  "The PW sensor adjustment pattern print has been completed.");
        return NextPage().convertToFormat(QImage::Format_RGB32);
    }

    // The value of the mark row whose centre lies nearest 5 mm from the side's edge.
    int ReadSide(const QImage &page, const Side &side)
    {
        const QVector<double> centres = MarkCentres(page, side.right);
        EXPECT_EQ(centres.size(), MarkRows) << side.name << " marks on " << lastPage_.toStdString();
        const double pixelsPerMm = page.width() / A4WidthMm;
        int best = 0;
        double bestMiss = 1e9;
        for (int row = 0; row < centres.size(); ++row) {
            const double distance = side.right ? page.width() - centres[row] : centres[row];
            const double miss = std::abs(distance / pixelsPerMm - EdgeDistanceMm);
            if (miss < bestMiss) {
                bestMiss = miss;
                best = row;
            }
        }
        return FirstRowValue + best;
    }
};

TEST_P(PwSensorTechnician, SideEdgeMarksReadOffThePageCorrectTheSensor)
{
    ASSERT_NO_FATAL_FAILURE(OpenOutOfAdjustment());
    List(*window, "AdjustRdoGrp")->Button(PwSensorEntry)->click();
    ASSERT_TRUE(WaitForEnabled(*window));
    const QImage page = PrintPwPattern();
    ASSERT_FALSE(page.isNull()) << "no page came out";

    QVector<int> values;
    for (const Side &side : Sides) {
        values.append(ReadSide(page, side));
        Edit(side.edit)->setText(QString::number(values.last()));
        EXPECT_TRUE(window->findChild<QCheckBox *>(side.checkBox)->isChecked()) << side.name;
    }
    Click("PWSensorInputBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    EXPECT_EQ(MemoLines(*window).value(0),
              "The PW sensor adjustment value has been written properly.");

    const QJsonObject errors = HiddenMechanics().value("pwSensor").toObject();
    const QByteArray eeprom = printer->Eeprom();
    constexpr int SideFactor = 4;
    for (int i = 0; i < values.size(); ++i) {
        const Side &side = Sides[i];
        EXPECT_EQ(int8_t(eeprom.at(side.first)), values[i] * SideFactor) << side.name;
        EXPECT_EQ(eeprom.at(side.first), eeprom.at(side.second)) << side.name;
        EXPECT_LE(std::abs(values[i] - errors.value(side.name).toInt()), 1)
            << side.name << " page " << lastPage_.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(ThreeSeeds, PwSensorTechnician, ::testing::Values(11, 2024, 77777));

} // namespace
