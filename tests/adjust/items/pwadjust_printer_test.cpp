// PW sensor adjustment through the window against the virtual printer: Input writes both
// copies of the checked sides and commits, Read shows the first copies, bad input stops.
#include "printerfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace adjusttest;

namespace
{
using PwSensorPrinterTest = PrinterFixture;

const Visit Q510 = {"q510", "us-euro", 1, "US/Euro"};
constexpr int PwSensorItem = 5;
constexpr int CommitCode = 0x50;

QLineEdit *Edit(const TFormAdjust &window, const char *name)
{
    return window.findChild<QLineEdit *>(QString::fromLatin1(name));
}

QCheckBox *Box(const TFormAdjust &window, const char *name)
{
    return window.findChild<QCheckBox *>(QString::fromLatin1(name));
}

int Commits(const VirtualPrinter &printer)
{
    int commits = 0;
    for (const QJsonObject &event : printer.EventsOf(QStringLiteral("factory")))
        commits += event.value("code").toInt() == CommitCode;
    return commits;
}

TEST_F(PwSensorPrinterTest, InputWritesBothCopiesThenCommitsAndReadShowsTheFirstCopies)
{
    ASSERT_NO_FATAL_FAILURE(Open(Q510));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(PwSensorItem)->click();
    ASSERT_TRUE(WaitForEnabled(*window));

    Edit(*window, "PWSensorHMXUEdit")->setText("19");
    Edit(*window, "PWSensorHMYUEdit")->setText("-10");
    Edit(*window, "PWSensorHMXDEdit")->setText("3");
    Edit(*window, "PWSensorHMXDEdit")->clear(); // emptied again: Left is not written
    EXPECT_FALSE(Box(*window, "PWSensorHMXDCheckBox")->isChecked());
    EXPECT_TRUE(Box(*window, "PWSensorHMYUCheckBox")->isChecked());
    Click("PWSensorInputBtn");

    const QList<QPair<int, int>> written = {{0x70, 0x4C}, {0xCE, 0x4C}, {0x71, 0xC4}, {0xCF, 0xC4}};
    EXPECT_EQ(EepromWrites(), written);
    EXPECT_EQ(Commits(*printer), 1);
    EXPECT_GT(IndexOfLast("factory"), IndexOfLast("eeprom_write"));
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The PW sensor adjustment value has been written properly."}));
    EXPECT_EQ(window->findChild<QLabel *>("ShowPWHMXUPnl")->text(), "19");
    EXPECT_EQ(window->findChild<QLabel *>("ShowPWHMYUPnl")->text(), "-10");
    EXPECT_EQ(window->findChild<QLabel *>("ShowPWHMXDPnl")->text(), "");
    const QByteArray eeprom = printer->Eeprom();
    EXPECT_EQ(uint8_t(eeprom[0xCE]), 0x4C);
    EXPECT_EQ(uint8_t(eeprom[0xCF]), 0xC4);

    // A Left byte written by someone else, -30: shown truncated toward zero.
    ASSERT_EQ(program->dll.ChanWriteEeprom(0x72, 0xE2), 1);
    Click("PWSensorCheckBtn");
    EXPECT_EQ(Edit(*window, "PWSensorHMXUEdit")->text(), "19");
    EXPECT_EQ(Edit(*window, "PWSensorHMYUEdit")->text(), "-10");
    EXPECT_EQ(Edit(*window, "PWSensorHMXDEdit")->text(), "-7");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The PW sensor adjustment value has been read properly."}));
    for (const char *box : {"PWSensorHMXUCheckBox", "PWSensorHMXDCheckBox", "PWSensorHMYUCheckBox",
                            "PWSensorHMYDCheckBox"})
        EXPECT_FALSE(Box(*window, box)->isChecked()) << box;
    QList<int> readAddresses;
    for (const QJsonObject &event : printer->EventsOf(QStringLiteral("eeprom_read")))
        readAddresses.append(event.value("address").toInt());
    EXPECT_EQ(readAddresses, QList<int>({0x70, 0x72, 0x71, 0x73}));

    Click("PWSensorInputBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"Please select item."}));
    EXPECT_EQ(Commits(*printer), 1);

    // The pattern prints without correction: all eight bytes are 0 afterwards.
    Click("PWSensorPrintBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    EXPECT_EQ(MemoLines(*window).value(0),
              "The PW sensor adjustment pattern print has been completed.");
    const QByteArray afterPrint = printer->Eeprom();
    for (int address : {0x70, 0x71, 0x72, 0x73, 0xCE, 0xCF, 0xD0, 0xD1})
        EXPECT_EQ(uint8_t(afterPrint[address]), 0) << address;
    EXPECT_GT(printer->Data().size(), 10000);
    EXPECT_EQ(Commits(*printer), 2);
}

TEST_F(PwSensorPrinterTest, BadLeftValueStopsWithItsMessageAndFocus)
{
    ASSERT_NO_FATAL_FAILURE(Open(Q510));
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    List(*window, "AdjustRdoGrp")->Button(PwSensorItem)->click();
    ASSERT_TRUE(WaitForEnabled(*window));

    for (const char *bad : {"5x", "256", "-9", "\xEF\xBC\x95"}) { // the last: a full-width 5
        Edit(*window, "PWSensorHMXUEdit")->setText("1");
        Edit(*window, "PWSensorHMXDEdit")->setText(QString::fromUtf8(bad));
        Edit(*window, "PWSensorHMYDEdit")->setText("2");
        Click("PWSensorInputBtn");
        EXPECT_EQ(MemoLines(*window), QStringList({"A range of input value is -8 to 19."})) << bad;
        EXPECT_TRUE(Edit(*window, "PWSensorHMXDEdit")->hasFocus()) << bad;
        EXPECT_TRUE(window->isEnabled()) << bad;
    }
    // Right goes before Left and stays written; Bottom and the commit never follow.
    for (const auto &[address, value] : EepromWrites()) {
        EXPECT_TRUE(address == 0x70 || address == 0xCE) << address;
        EXPECT_EQ(value, 0x04);
    }
    EXPECT_EQ(Commits(*printer), 0);
}
TEST_F(PwSensorPrinterTest, PrintTellsTheValuesItCleared)
{
    ASSERT_NO_FATAL_FAILURE(Open(Q510));
    // Right 5, Left -3, Top -2, Bottom 1 in the pattern's units.
    for (const auto &[address, value] :
         {std::pair<uint8_t, int8_t>{0x70, 20}, {0x72, -12}, {0x71, -12}, {0x73, 6}})
        ASSERT_EQ(program->dll.ChanWriteEeprom(address, uint8_t(value)), 1);
    window->show();
    List(*window, "AdjustRdoGrp")->Button(PwSensorItem)->click();
    Click("PWSensorPrintBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The PW sensor adjustment pattern print has been completed.",
                           "The print cleared the stored PW sensor values; they were Right 5, "
                           "Left -3, Top -2, Bottom 1."}));
    EXPECT_EQ(printer->Eeprom().at(0x70), 0);
}
} // namespace
