// Bi-D adjustment through the window against the virtual printer: the pattern print leaves the
// stored values as they were and prints a page; Input writes, Read reads back; a paper-out in
// the middle of the pattern is prompted for and the print goes on; a jam or a printer that
// stays busy puts the stored values back; an unplugged printer ends with a worded error.
#include "printerfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace adjusttest;

namespace
{
using BidPrinterTest = PrinterFixture;
const Visit UsEuroQ510 = {"q510", "us-euro", 1, "US/Euro"};
constexpr int BidEntry = 4;

// The stored Bi-D values (typical gap 32-39, narrow gap D2-D9); a printed page also counts
// in other bytes.
QByteArray BidValues(const VirtualPrinter &printer)
{
    const QByteArray eeprom = printer.Eeprom();
    return eeprom.mid(0x32, 8) + eeprom.mid(0xD2, 8);
}

QLineEdit *Edit(const TFormAdjust &window, const char *name)
{
    return window.findChild<QLineEdit *>(QString::fromLatin1(name));
}

TEST_F(BidPrinterTest, PrintKeepsTheStoredValuesThenInputWritesAndReadShowsThem)
{
    QTemporaryDir pages;
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510, {"--pages", pages.path()}));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(BidEntry)->click();
    const QByteArray before = printer->Eeprom();
    const QByteArray storedBefore = BidValues(*printer);

    Click("BidPrintOKBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    EXPECT_EQ(MemoLines(*window).value(0), "The Bi-D pattern print has been completed.");
    EXPECT_EQ(BidValues(*printer), storedBefore);
    EXPECT_TRUE(printer->Data().contains("Bi-D adjustment"));
    EXPECT_FALSE(QDir(pages.path()).entryList({"*.png"}).isEmpty());

    // The input page reads the stored values and leaves every box unchecked.
    Click("BidPrintShowInputBtn");
    EXPECT_EQ(Edit(*window, "BidVSD1BkInputEdit")->text(),
              QString::number(int8_t(before.at(0x34))));
    EXPECT_FALSE(window->findChild<QCheckBox *>("BidVSD1BkInputCheckBox")->isChecked());

    Edit(*window, "BidVSD1BkInputEdit")->setText("-10");
    Edit(*window, "BidECOBkInputEdit")->setText("10");
    Click("BidInputOKBtn");
    EXPECT_EQ(MemoLines(*window).value(0), "The Bi-D adjustment value has been written properly.");
    const QByteArray after = printer->Eeprom();
    EXPECT_EQ(uint8_t(after.at(0x34)), 0xF6);
    EXPECT_EQ(uint8_t(after.at(0x32)), 10);
    EXPECT_EQ(uint8_t(after.at(0xD2)), 5); // the derived narrow-gap ECO value
    EXPECT_TRUE(printer->Data().contains(QByteArray("\x01\x01\xF6\xFF", 4)));

    // A bad value further down: its message, the earlier item written, nothing for it.
    Edit(*window, "BidVSD1BkInputEdit")->setText("7");
    Edit(*window, "BidVSD2BkInputEdit")->setText("5x");
    Click("BidInputOKBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"VSD2 Black value is wrong."}));
    EXPECT_EQ(printer->Eeprom().at(0x34), 7);
    EXPECT_EQ(printer->Eeprom().at(0x36), before.at(0x36));
    EXPECT_TRUE(Edit(*window, "BidVSD2BkInputEdit")->hasFocus());

    // An emptied edit unchecks its item.
    Edit(*window, "BidVSD2BkInputEdit")->clear();
    EXPECT_FALSE(window->findChild<QCheckBox *>("BidVSD2BkInputCheckBox")->isChecked());
}

TEST_F(BidPrinterTest, PaperOutMidPatternIsPromptedAndThePrintGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(BidEntry)->click();
    const QByteArray storedBefore = BidValues(*printer);
    MessageBox::SetStandingAnswer(QMessageBox::Ok);
    // Reload the paper at the first resend wait after the prompt.
    Wait::SetHandler([&](int) {
        if (!MessageBox::History().isEmpty())
            printer->Control("reload-paper");
        QCoreApplication::processEvents();
    });
    bool fired = false;
    {
        Trigger paperOut(*printer, 20000, "paper-out");
        Click("BidPrintOKBtn");
        EXPECT_TRUE(WaitForEnabled(*window));
        fired = paperOut.Finish();
    }
    MessageBox::SetStandingAnswer(QMessageBox::NoButton);
    // The fault comes from another thread; on a loaded machine the print can be over first.
    if (!fired)
        GTEST_SKIP() << "the print ended before the paper ran out";
    ASSERT_FALSE(MessageBox::History().isEmpty());
    EXPECT_TRUE(MessageBox::History()[0].text.startsWith("Paper not loaded correctly."));
    EXPECT_EQ(MemoLines(*window).value(0), "The Bi-D pattern print has been completed.");
    EXPECT_EQ(BidValues(*printer), storedBefore);
}

TEST_F(BidPrinterTest, FailureMidPatternIsWordedAndPutsTheStoredValuesBack)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(BidEntry)->click();
    const QByteArray storedBefore = BidValues(*printer);
    const struct {
        const char *fault;
        const char *line;
    } cases[] = {{"jam", "Paper jam error."}, {"busy", "The printer did not become ready."}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        bool fired = false;
        {
            Trigger fault(*printer, printer->Data().size() + 20000, c.fault);
            Click("BidPrintOKBtn");
            EXPECT_TRUE(WaitForEnabled(*window));
            fired = fault.Finish();
        }
        // Clearing the fault drops what the printer holds of the pattern: the values stay.
        ASSERT_TRUE(printer->Control("clear"));
        const QByteArray storedAfter = BidValues(*printer);
        if (!fired)
            GTEST_SKIP() << "the print ended before the fault";
        const QStringList lines = MemoLines(*window);
        EXPECT_EQ(lines.value(0), c.line);
        EXPECT_TRUE(
            lines.contains("The stored Bi-D values were put back as they were before the print."))
            << lines.join('|').toStdString();
        EXPECT_EQ(storedAfter, storedBefore);
    }
}

TEST_F(BidPrinterTest, UnpluggedMidPatternEndsWithAWordedError)
{
    ASSERT_NO_FATAL_FAILURE(Open(UsEuroQ510));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(BidEntry)->click();
    QElapsedTimer clock;
    clock.start();
    {
        Trigger unplug(*printer, 3000, "unplug");
        Click("BidPrintOKBtn");
        ASSERT_TRUE(WaitForEnabled(*window));
        // The fault comes from another thread; on a loaded machine the print can be over first.
        if (!unplug.Finish())
            GTEST_SKIP() << "the print ended before the printer was unplugged";
    }
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(MemoLines(*window).value(0), "Communication error occurred.");
    EXPECT_TRUE(MemoLines(*window).join('\n').contains("these may have changed: VSD"));
    EXPECT_TRUE(window->isEnabled());
}
} // namespace
