// Head angular adjustment through the window against the virtual printer: the print leaves
// the stored value as it was and prints a page; Input writes what the up-down shows; Read
// reads it back.
#include "printerfixture.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

using namespace adjusttest;

namespace
{
using HeadAngularPrinterTest = PrinterFixture;
constexpr int HeadAngularEntry = 3;

TEST_F(HeadAngularPrinterTest, PrintRestoresTheValueThenInputWritesAndReadShowsIt)
{
    QTemporaryDir pages;
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}, {"--pages", pages.path()}));
    ASSERT_EQ(program->dll.ChanWriteEeprom(0x75, 0xFD), 1);
    window->show();
    List(*window, "AdjustRdoGrp")->Button(HeadAngularEntry)->click();
    auto *edit = window->findChild<QLineEdit *>("HeadAngularInputEdit");
    EXPECT_TRUE(edit->text().isEmpty());

    Click("HeadAngularPrintBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    EXPECT_EQ(MemoLines(*window).value(0), "The head angular pattern print has been completed.");
    EXPECT_EQ(uint8_t(printer->Eeprom().at(0x75)), 0xFD);
    EXPECT_TRUE(printer->Data().contains("NG  -3   0   3  NG"));
    EXPECT_FALSE(QDir(pages.path()).entryList({"*.png"}).isEmpty());

    // Up from empty: 3; the up-down steps by 3 and stops at the end of the range.
    auto arrows =
        window->findChild<QWidget *>("HeadAngularAdjustUpDown")->findChildren<QToolButton *>();
    ASSERT_EQ(arrows.size(), 2);
    arrows[0]->click();
    arrows[0]->click();
    EXPECT_EQ(edit->text(), "3");
    Click("HeadAngularInputBtn");
    EXPECT_EQ(MemoLines(*window).value(0),
              "The head angular adjustment value has been written properly.");
    EXPECT_EQ(printer->Eeprom().at(0x75), 3);

    Click("HeadAngularReadBtn");
    EXPECT_EQ(edit->text(), "3");
    EXPECT_EQ(MemoLines(*window).value(0),
              "The head angular adjustment value has been read properly.");
}
} // namespace
