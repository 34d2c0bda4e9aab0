// The test technician adjusts the PW sensor: prints the PW sensor pattern, finds at each side
// edge the mark row, and at the top and bottom edges the diagonal bar, that lies 5 mm from the
// paper's edge, types their numbers and writes them.
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
constexpr int Bars = 21;
constexpr int EndStrip = 400;     // pixel rows in from the top or bottom edge
constexpr int MinBarLength = 100; // a bar is 128 dots long; text glyphs are shorter

enum class Edge { Right, Left, Top, Bottom };
struct Side {
    const char *name; // in the mechanics file
    const char *checkBox;
    const char *edit;
    Edge edge;
    uint8_t first;
    uint8_t second;
    int factor;
};
const Side Sides[] = {
    {"right", "PWSensorHMXUCheckBox", "PWSensorHMXUEdit", Edge::Right, 0x70, 0xCE, 4},
    {"left", "PWSensorHMXDCheckBox", "PWSensorHMXDEdit", Edge::Left, 0x72, 0xD0, 4},
    {"top", "PWSensorHMYUCheckBox", "PWSensorHMYUEdit", Edge::Top, 0x71, 0xCF, 6},
    {"bottom", "PWSensorHMYDCheckBox", "PWSensorHMYDEdit", Edge::Bottom, 0x73, 0xD1, 6},
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

// The pixel row of every diagonal bar in the strip along the top or bottom edge, left to
// right.
QVector<int> BarRows(const QImage &page, bool top)
{
    const int from = top ? 0 : page.height() - EndStrip;
    QVector<QPair<int, int>> bars; // left end, row
    for (int y = from; y < from + EndStrip; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        for (int x = 0; x < page.width();) {
            int end = x;
            while (end < page.width() && Black(line[end]))
                ++end;
            if (end - x >= MinBarLength)
                bars.append({x, y});
            x = std::max(end, x + 1);
        }
    }
    std::sort(bars.begin(), bars.end());
    QVector<int> rows;
    for (const auto &bar : bars)
        rows.append(bar.second);
    return rows;
}

class PwSensorTechnician : public TechnicianTest
{
protected:
    QImage PrintPwPattern()
    {
        return PrintPage("PWSensorPrintBtn",
                         "The PW sensor adjustment pattern print has been completed.")
            .convertToFormat(QImage::Format_RGB32);
    }

    // The value of the mark row (side edges) or diagonal bar (top and bottom) whose centre
    // lies nearest 5 mm from the side's edge. The mark rows are numbered from -8 downwards;
    // the bars from -10 rightwards at the top and from 10 at the bottom.
    int ReadSide(const QImage &page, const Side &side)
    {
        QVector<double> distances;
        int firstValue = FirstRowValue;
        int valueStep = 1;
        if (side.edge == Edge::Right || side.edge == Edge::Left) {
            const QVector<double> centres = MarkCentres(page, side.edge == Edge::Right);
            EXPECT_EQ(centres.size(), MarkRows) << side.name << " marks on " << Page();
            for (double centre : centres)
                distances.append(side.edge == Edge::Right ? page.width() - centre : centre);
        } else {
            const bool top = side.edge == Edge::Top;
            const QVector<int> rows = BarRows(page, top);
            EXPECT_EQ(rows.size(), Bars) << side.name << " bars on " << Page();
            for (int row : rows)
                distances.append(top ? row + 0.5 : page.height() - row - 0.5);
            firstValue = top ? -(Bars / 2) : Bars / 2;
            valueStep = top ? 1 : -1;
        }
        const double pixelsPerMm = page.width() / A4WidthMm;
        int best = 0;
        for (int i = 1; i < distances.size(); ++i) {
            if (std::abs(distances[i] / pixelsPerMm - EdgeDistanceMm) <
                std::abs(distances[best] / pixelsPerMm - EdgeDistanceMm))
                best = i;
        }
        return firstValue + valueStep * best;
    }

    std::string Page() const { return lastPage_.toStdString(); }
};

TEST_P(PwSensorTechnician, EdgeMarksReadOffThePageCorrectTheSensorAtEveryEdge)
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
    for (int i = 0; i < values.size(); ++i) {
        const Side &side = Sides[i];
        EXPECT_EQ(int8_t(eeprom.at(side.first)), values[i] * side.factor) << side.name;
        EXPECT_EQ(eeprom.at(side.first), eeprom.at(side.second)) << side.name;
        EXPECT_LE(std::abs(values[i] - errors.value(side.name).toInt()), 1)
            << side.name << " page " << Page();
    }
}

INSTANTIATE_TEST_SUITE_P(ThreeSeeds, PwSensorTechnician, ::testing::Values(11, 2024, 77777));

} // namespace
