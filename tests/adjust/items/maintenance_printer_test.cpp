// Head cleaning and the waste ink pad counter through the window against the virtual printer.
#include "printerfixture.h"

#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace adjusttest;

namespace
{
using MaintenancePrinterTest = PrinterFixture;

const Visit UsEuroQ510 = {"q510", "us-euro", 1, "US/Euro"};

void SelectMaintenance(TFormAdjust &window, int index)
{
    List(window, "MainteRdoGrp")->Button(index)->click();
}

TEST_F(MaintenancePrinterTest, CleaningWaitsForABusyPrinterAndReportsWhenItHasEnded)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    window->show();
    ASSERT_TRUE(printer->Control("busy", 0.3));
    SelectMaintenance(*window, 0);
    // The busy spell lasts real time, and the stream's resend wait gives up after a number of
    // tries: the waits pass at the printer's time scale.
    waits.PassAtScale(PrinterTimeScale);
    Click("CleaningOKBtn");

    EXPECT_FALSE(waits.asked.empty()); // it waited for the busy printer first
    const QList<QJsonObject> factory = printer->EventsOf("factory");
    ASSERT_EQ(factory.size(), 1);
    EXPECT_EQ(factory[0].value("code").toInt(), 0x84);
    EXPECT_EQ(factory[0].value("result").toString(), "ok");
    EXPECT_TRUE(factory[0].value("did").toString().startsWith("head cleaning"));
    const QByteArray packet("\x1B\x7C\x00\x06\x00\x5E\xA7\x84\x7B\x42\x02", 11);
    EXPECT_TRUE(printer->Data().contains(packet));
    // The done message came after the printer had finished cleaning.
    EXPECT_EQ(MemoLines(*window), QStringList({"The head cleaning has completed."}));
    ASSERT_EQ(program->status.ReadStatus(), 1);
    EXPECT_EQ(program->status.Record().state, TPStatusControl::StateReady);
}

TEST_F(MaintenancePrinterTest, CleaningRefusesAPrinterInAnErrorStateOrBeforeItsInkCharge)
{
    const struct {
        const char *fault;
        const char *line;
    } rows[] = {{"paper-out", "Paper out error."},
                {"no-ink-charge", "Printer is before initial ink charge."}};
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    window->show();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        ASSERT_TRUE(printer->Control("clear"));
        ASSERT_TRUE(printer->Control(row.fault));
        window->SetItemAvailability(TPLockLevel::All);
        SelectMaintenance(*window, 0);
        Click("CleaningOKBtn");
        EXPECT_TRUE(printer->EventsOf("factory").isEmpty());
        EXPECT_EQ(MemoLines(*window).value(0), row.line);
    }
}

TEST_F(MaintenancePrinterTest, InkChargeRunsOnAPrinterBeforeItsInitialInkCharge)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    ASSERT_TRUE(printer->Control("no-ink-charge"));
    window->show();
    Click("GetStatusBtn");
    ASSERT_EQ(MemoLines(*window), QStringList({"Printer is before initial ink charge."}));
    SelectMaintenance(*window, 1);
    waits.PassAtScale(PrinterTimeScale); // the charge keeps the printer busy in real time
    Click("InkChargeOKBtn");

    const QByteArray packet("\x1B\x7C\x00\x06\x00\x5E\xA7\x84\x7B\x42\x07", 11);
    EXPECT_TRUE(printer->Data().contains(packet));
    ASSERT_EQ(printer->EventsOf("factory").size(), 1);
    EXPECT_TRUE(printer->EventsOf("factory")[0].value("did").toString().startsWith("ink charge"));
    EXPECT_EQ(MemoLines(*window), QStringList({"The ink charge has completed."}));
    ASSERT_EQ(program->status.ReadStatus(), 1);
    EXPECT_EQ(program->status.Record().state, TPStatusControl::StateReady);
}

TEST_F(MaintenancePrinterTest, CounterReadAgainstTheLimitThenResetUntilThePrinterIsOff)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    TPDLLFunction &dll = program->dll;
    // Counter 46750 (B6 9E); A = 0, B = 50, C = 0 gives a limit of 45000.
    for (auto [address, value] :
         {std::pair{0x0C, 0xB6}, {0x0D, 0x9E}, {0x3F, 0}, {0x2B, 50}, {0x3E, 0}})
        ASSERT_EQ(dll.ChanWriteEeprom(address, value), 1);
    window->show();
    SelectMaintenance(*window, 2);
    auto *limit = window->findChild<QLineEdit *>("ProCounterEdit");
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(limit->text(), "45000");

    Click("ProCounterCheckBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"Waste ink pad counter value = 46750",
                                               "Waste ink pad usage rate: 104%"}));

    const qsizetype writesBefore = EepromWrites().size();
    MessageBox::SetNextAnswer(QMessageBox::Ok); // still on: asked again
    MessageBox::SetNextAnswer(QMessageBox::Ok, [this] { printer->Control("power-off"); });
    Click("ProCounterClearBtn");
    const QList<QPair<int, int>> zeroes = {{0x0D, 0}, {0x0C, 0}, {0x2B, 0}, {0x3E, 0}, {0x3F, 0}};
    EXPECT_EQ(EepromWrites().mid(writesBefore), zeroes);
    ASSERT_EQ(MessageBox::History().size(), 2);
    for (const MessageBox::Shown &box : MessageBox::History()) {
        EXPECT_EQ(box.caption, "Information");
        EXPECT_EQ(box.text, "Please turn off a printer.");
        EXPECT_EQ(box.icon, MessageBox::Information);
    }
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The waste ink pad coutner has been initialized properly.",
                           "Turn on a printer and click the [GetStatus] button and click the "
                           "[Read] button to check the waste ink pad counter value."}));
    EXPECT_EQ(window->findChild<QLabel *>("ShowProCounterPnl")->text(), "0");
    const QByteArray eeprom = printer->Eeprom();
    for (const auto &[address, value] : zeroes)
        EXPECT_EQ(eeprom[address], char(value)) << address;
}
} // namespace
