// The main window against the virtual printer: the status on show, the item locks by printer
// state, and the market setting with its check, as the capture of the printer records them.
#include "printerfixture.h"

#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace adjusttest;
using novari_test::VirtualPrinter;

namespace
{
const QString CommError = QStringLiteral("Communication error occurred.");
const QString Advice = QStringLiteral("Check the I/F cable connection and power of printer.");
const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);

using PrinterTest = PrinterFixture;

const Visit UsEuroQ510 = {"q510", "us-euro", 1, "US/Euro"};

TEST_F(PrinterTest, ShowReportsAReadyPrinterWithItsInk)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    window->show();
    const QStringList lines = MemoLines(*window);
    ASSERT_EQ(lines.size(), 4) << lines.join('|').toStdString();
    EXPECT_EQ(lines[0], "Printer is ready.");
    EXPECT_EQ(lines[1], "Ink remaining amount;");
    const auto &level = program->status.Record().inkLevel;
    EXPECT_EQ(lines[2], QString(" Black:%1%, Cyan:%2%, Magenta:%3%, Yellow:%4%")
                            .arg(level[0])
                            .arg(level[1])
                            .arg(level[2])
                            .arg(level[3]));
    EXPECT_EQ(lines[3], QString(" Light Cyan:%1%, Light Magenta:%2%").arg(level[4]).arg(level[5]));
    EXPECT_TRUE(QRegularExpression("^ Black:\\d+%, Cyan:\\d+%").match(lines[2]).hasMatch());
    EXPECT_EQ(LineColour(*window, 0), Black);
    EXPECT_EQ(Locks(*window), QString(AllEnabled));
    EXPECT_EQ(window->findChild<QLabel *>("ModelNameLbl")->text(), "Halden Photo Q510");
}

TEST_F(PrinterTest, PaperOutLeavesOnlyTheErrorStateItems)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    ASSERT_TRUE(printer->Control("paper-out"));
    window->show();
    EXPECT_EQ(
        MemoLines(*window),
        QStringList({"Paper out error.", "Clear the error and click the [Get Status] button."}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_EQ(Locks(*window), QString(ErrorStateLocks));

    ASSERT_TRUE(printer->Control("clear"));
    Click("GetStatusBtn");
    EXPECT_EQ(MemoLines(*window).value(0), "Printer is ready.");
    EXPECT_EQ(Locks(*window), QString(AllEnabled));
}

TEST_F(PrinterTest, UnpluggedPrinterKeepsTheLocksAsTheyWere)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    ASSERT_TRUE(printer->Control("paper-out"));
    window->show();
    ASSERT_EQ(Locks(*window), QString(ErrorStateLocks));

    ASSERT_TRUE(printer->Control("unplug"));
    Click("GetStatusBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({CommError, Advice}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_EQ(Locks(*window), QString(ErrorStateLocks));
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(PrinterTest, MarketSettingWritesItsBytesInOrderAndRestartsAfterTheBox)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "Latin"}));
    window->show();
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    Click("DefaultSetOKBtn");

    const QList<QPair<int, int>> expected = {{0x2A, 0x03}, {0x30, 0x04}, {0x6F, 0x00},
                                             {0x6E, 0x00}, {0x5B, 0xBA}, {0xCD, 0x01}};
    EXPECT_EQ(EepromWrites(), expected);
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].caption, "Information");
    EXPECT_EQ(MessageBox::History()[0].icon, MessageBox::Information);
    EXPECT_EQ(MessageBox::History()[0].text, "Click the [OK] button to restart the printer.");
    EXPECT_TRUE(printer->WaitForEvents("reset"));
    EXPECT_GT(IndexOfLast("reset"), IndexOfLast("eeprom_write"));
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The specific EEPROM data has been written properly.",
                           "Click the [Check] button after printer initialization."}));

    // After the restart the check finds the market just written.
    Click("DestCheckBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"The market is LATIN.",
                                               "The present model name is Halden Photo Q510."}));
    EXPECT_EQ(LineColour(*window, 0), Black);
    EXPECT_TRUE(WaitForEnabled(*window));
}

TEST_F(PrinterTest, MarketSettingGoesOnWhileThePrinterReportsAnError)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    ASSERT_TRUE(printer->Control("paper-out"));
    window->show();
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    Click("DefaultSetOKBtn");
    EXPECT_EQ(EepromWrites().size(), 6);
    EXPECT_TRUE(printer->WaitForEvents("reset"));
    EXPECT_EQ(MemoLines(*window).value(1),
              "Click the [Check] button after printer initialization.");
}

TEST_F(PrinterTest, CheckNamesTheMarketAndTheModel)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    window->show();
    Click("DestCheckBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"The market is US / Euro.",
                                               "The present model name is Halden Photo Q510."}));
    const QList<QJsonObject> reads = printer->EventsOf("eeprom_read");
    ASSERT_EQ(reads.size(), 3);
    EXPECT_EQ(reads[0].value("address").toInt(), 0x6E);
    EXPECT_EQ(reads[1].value("address").toInt(), 0x5B);
    EXPECT_EQ(reads[2].value("address").toInt(), 0xCD);
    EXPECT_TRUE(EepromWrites().isEmpty());
}

TEST_F(PrinterTest, WrongMarketIsShownInRedWithTheAdviceAndTheModelName)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    ASSERT_EQ(program->dll.ChanWriteEeprom(0xCD, 0x01), 1); // the Latin byte
    window->show();
    Click("DestCheckBtn");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The present market setting value is wrong.",
                           "Click the [OK] button to write the market setting value in EEPROM.",
                           "The present model name is Halden Photo Q510."}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(PrinterTest, EalCheckDoesNotLookAtTheThirdByte)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q530", "eal", 2, "EAL"}));
    ASSERT_EQ(program->dll.ChanWriteEeprom(0xCD, 0x5A), 1);
    window->show();
    Click("DestCheckBtn");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The market is EAL.", "The present model name is Halden Photo Q530."}));
}

TEST_F(PrinterTest, AsiaCheckComparesTheThirdByte)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q530", "eal", 2, "Asia"}));
    ASSERT_EQ(program->dll.ChanWriteEeprom(0xCD, 0x00), 1);
    window->show();
    Click("DestCheckBtn");
    EXPECT_EQ(MemoLines(*window).value(0), "The present market setting value is wrong.");
}
} // namespace

namespace
{
TEST_F(PrinterTest, BusyAndUnchargedPrintersAreReportedWithEveryItemFree)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    ASSERT_TRUE(printer->Control("busy", 30));
    window->show();
    EXPECT_EQ(MemoLines(*window), QStringList({"Printer is busy."}));
    EXPECT_EQ(LineColour(*window, 0), Black);
    EXPECT_EQ(Locks(*window), QString(AllEnabled));

    ASSERT_TRUE(printer->Control("clear"));
    ASSERT_TRUE(printer->Control("no-ink-charge"));
    window->SetItemAvailability(TPLockLevel(2));
    Click("GetStatusBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"Printer is before initial ink charge."}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_EQ(Locks(*window), QString(AllEnabled));
}
} // namespace
