// CR motor heat protection offset through the window against the virtual printer: the drive
// dispersion measurement with one drive time retried, and a printer that goes away during it.
#include "adjust/items/heatprotectoffset/heatprotectoffset.h"
#include "printerfixture.h"

#include <QCheckBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <algorithm>

using namespace adjusttest;

namespace
{
using HeatProtectPrinterTest = PrinterFixture;

const Visit Q510 = {"q510", "us-euro", 1, "US/Euro"};
constexpr int CrOffsetItem = 8;
constexpr int PreparationWaitMs = 30000;

void StartMeasurement(TFormAdjust &window)
{
    List(window, "AdjustRdoGrp")->Button(CrOffsetItem)->click();
    ASSERT_TRUE(WaitForEnabled(window));
    for (const char *part : {"ReplaceMainBoardCheckBox", "ReplaceCRMainShaftCheckBox"})
        window.findChild<QCheckBox *>(QString::fromLatin1(part))->setChecked(true);
    MessageBox::SetNextAnswer(QMessageBox::Ok);
}

// The drive times the printer left, in the order of its timing runs.
QList<int> DriveTimes(const VirtualPrinter &printer)
{
    static const QRegularExpression driveTime(QStringLiteral("drive time (\\d+)"));
    QList<int> times;
    for (const QJsonObject &event : printer.EventsOf(QStringLiteral("factory"))) {
        const auto match = driveTime.match(event.value("did").toString());
        if (match.hasMatch())
            times.append(match.captured(1).toInt());
    }
    return times;
}

TEST_F(HeatProtectPrinterTest,
       MeasurementRetriesAnOutOfRangeDriveTimeStoresTheOffsetAndWarnsOfTheSpread)
{
    ASSERT_NO_FATAL_FAILURE(Open(Q510));
    window->show();
    ASSERT_NO_FATAL_FAILURE(StartMeasurement(*window));
    ASSERT_TRUE(printer->Control("drive-time-out-of-range"));
    ASSERT_TRUE(printer->Control("drive-time-spread")); // the three runs after the spoilt one
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    Click("CRHeatProtectOffsetOKBtn");

    EXPECT_EQ(
        MemoLines(*window),
        QStringList({"A value for the CR motor drive dispersion has successfully registered."}));
    ASSERT_EQ(MessageBox::History().size(), 2);
    EXPECT_EQ(MessageBox::History()[0].caption, "Confirm");
    EXPECT_EQ(MessageBox::History()[1].caption, "Error!");
    EXPECT_EQ(MessageBox::History()[1].icon, MessageBox::Error);
    EXPECT_EQ(
        MessageBox::History()[1].text,
        QString::fromUtf8("CRばらつき実行時にエラーが発生しました。再度、実施してください。"));

    const QList<int> times = DriveTimes(*printer);
    ASSERT_EQ(times.size(), 7);
    EXPECT_EQ(times[0], 273); // refused once, run again
    const TPHeatProtect::Values slow = {times[1], times[2], times[3]};
    const TPHeatProtect::Values fast = {times[4], times[5], times[6]};
    EXPECT_TRUE(TPHeatProtect::SpreadTooWide(slow));
    const int offset = TPHeatProtect::OffsetFor(TPHeatProtect::Dispersion(slow, fast));
    EXPECT_EQ(EepromWrites(), (QList<QPair<int, int>>{{0x56, offset}}));
    EXPECT_EQ(uint8_t(printer->Eeprom()[0x56]), offset);

    // After the offset: 4C with it, 81, and the carriage back in place.
    const QList<QJsonObject> events = printer->Events();
    const int written = IndexOfLast("eeprom_write");
    QList<int> closing;
    for (int i = written + 1; i < events.size(); ++i) {
        if (events[i].value("op").toString() == "factory") {
            closing.append(events[i].value("code").toInt());
            EXPECT_EQ(events[i].value("result").toString(), "ok");
        }
    }
    EXPECT_EQ(closing, QList<int>({0x4C, 0x81, 0xC4, 0xC5, 0xC4}));
    // The printer settles 30 s before the timed runs.
    const auto settle = std::find(waits.asked.begin(), waits.asked.end(), PreparationWaitMs);
    ASSERT_NE(settle, waits.asked.end());
    EXPECT_NE(std::find(settle, waits.asked.end(), 2000), waits.asked.end());
}

TEST_F(HeatProtectPrinterTest, PrinterUnpluggedWhileSettlingEndsTheWaitWithAnError)
{
    ASSERT_NO_FATAL_FAILURE(Open(Q510));
    window->show();
    ASSERT_NO_FATAL_FAILURE(StartMeasurement(*window));
    int polls = 0;
    Wait::SetHandler([&](int ms) {
        if (ms == PreparationWaitMs)
            printer->Control("unplug");
        polls += ms == TPHeatProtect::ReadyPollMs;
    });
    Click("CRHeatProtectOffsetOKBtn");

    EXPECT_EQ(MemoLines(*window), QStringList({"The printer did not become ready.",
                                               "Check the printer and run the sequence again."}));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(Locks(*window), QString(AllLocked)); // every failed inquiry locked the items
    EXPECT_GT(polls, 0);
    EXPECT_TRUE(EepromWrites().isEmpty());
    EXPECT_TRUE(DriveTimes(*printer).isEmpty());
}

TEST_F(HeatProtectPrinterTest, WindowDoesNotCloseBetweenAFailedInquiryAndTheNext)
{
    ASSERT_NO_FATAL_FAILURE(Open(Q510));
    window->show();
    ASSERT_NO_FATAL_FAILURE(StartMeasurement(*window));
    QSignalSpy closed(window.get(), &TFormAdjust::Closed);
    int closesTriedEnabled = 0;
    Wait::SetHandler([&](int ms) {
        if (ms == PreparationWaitMs)
            printer->Control("unplug");
        // A failed inquiry has enabled the window again: the frame's close button works.
        if (ms == TPHeatProtect::ReadyPollMs && window->isEnabled()) {
            ++closesTriedEnabled;
            window->close();
        }
    });
    Click("CRHeatProtectOffsetOKBtn");

    EXPECT_GT(closesTriedEnabled, 0);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(MemoLines(*window).value(0), "The printer did not become ready.");
    // Once the measurement has ended, the window closes as ever.
    window->close();
    EXPECT_EQ(closed.count(), 1);
}
} // namespace
