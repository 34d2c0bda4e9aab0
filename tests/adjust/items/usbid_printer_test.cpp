// "USB ID input" through the window against the virtual printer: the typed serial number and
// the stamp land at 0x5C-0x6D, the summary and "Read" show them, and refused inputs write
// nothing.
#include "adjust/items/usbid/usbidpanel.h"
#include "printerfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace adjusttest;

namespace
{
using UsbIdPrinterTest = PrinterFixture;

const QColor Red(255, 0, 0);

TEST_F(UsbIdPrinterTest, WritesSerialAndStampAndReadsThemBack)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(1)->click();
    auto *panel = window->findChild<TUsbIdPanel *>("USBIDInputPnl");
    ASSERT_NE(panel, nullptr);
    auto *edit = window->findChild<QLineEdit *>("USBIDInputEdit");
    ASSERT_EQ(window->focusWidget(), edit);

    // A refused serial number and a clock the stamp cannot express write nothing.
    QTest::keyClicks(edit, "HQ51 0ABC1");
    Click("USBIDInputOKBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"Parameter is only number & alphabet."}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    panel->UsbId().SetClock([] { return QDateTime(QDate(2035, 1, 1), QTime(0, 0)); });
    edit->clear();
    QTest::keyClicks(edit, "hq510abc12xyz"); // typed in lower case, and too long
    EXPECT_EQ(edit->text(), "HQ510ABC12");
    Click("USBIDInputOKBtn");
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_TRUE(EepromWrites().isEmpty());

    panel->UsbId().SetClock([] { return QDateTime(QDate(2010, 12, 31), QTime(9, 5, 8)); });
    Click("USBIDInputOKBtn");
    const QByteArray id("HQ510ABC12BCV95800");
    QList<QPair<int, int>> expected;
    for (int i = 0; i < id.size(); ++i)
        expected.append({0x5C + i, id[i]});
    EXPECT_EQ(EepromWrites(), expected);
    EXPECT_EQ(MemoLines(*window), QStringList({"The USB ID has been written in EEPROM properly."}));
    EXPECT_EQ(window->findChild<QLabel *>("ShowUSBIDPnl")->text(), id);

    Click("USBIDReadOutBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"USB ID = " + id}));

    // A stored lower-case letter is refused on reading.
    ASSERT_EQ(program->dll.ChanWriteEeprom(0x60, 'a'), 1);
    Click("USBIDReadOutBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"The USB ID is wrong."}));
    EXPECT_EQ(LineColour(*window, 0), Red);
}

TEST_F(UsbIdPrinterTest, PrinterErrorRefusesInputAndRead)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(1)->click();
    QTest::keyClicks(window->findChild<QLineEdit *>("USBIDInputEdit"), "HQ510ABC12");
    ASSERT_TRUE(printer->Control("paper-out"));
    for (const char *button : {"USBIDInputOKBtn", "USBIDReadOutBtn"}) {
        Click(button);
        EXPECT_EQ(MemoLines(*window).value(0), "Paper out error.") << button;
    }
    EXPECT_TRUE(EepromWrites().isEmpty());
    EXPECT_TRUE(printer->EventsOf("eeprom_read").isEmpty());
}
} // namespace
