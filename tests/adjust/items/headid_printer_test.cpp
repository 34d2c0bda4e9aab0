// "Head ID input" through the window against the virtual printer: the typed ID lands in its
// eleven bytes, the summary and "Read" show it with its check character, refused IDs write
// nothing, and the print page feeds paper.
#include "printerfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace adjusttest;

namespace
{
using HeadIdPrinterTest = PrinterFixture;

const QColor Red(255, 0, 0);

TEST_F(HeadIdPrinterTest, WritesTheIdAndReadsItBack)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q530", "asia", 2, "Asia"}));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(2)->click();
    auto *edit = window->findChild<QLineEdit *>("HeadIDInputEdit");
    ASSERT_EQ(window->focusWidget(), edit);

    QTest::keyClicks(edit, "83007f-$:z9%uw4");
    Click("HeadIDInputOKBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"Check ID is wrong."}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_EQ(window->focusWidget(), edit);
    EXPECT_TRUE(EepromWrites().isEmpty());

    edit->backspace();
    QTest::keyClicks(edit, "3");
    Click("HeadIDInputOKBtn");
    const QList<QPair<int, int>> expected = {{0x42, 0x83}, {0x43, 0x00}, {0x44, 0x7F}, {0x49, 0x14},
                                             {0x4A, 0x45}, {0x4B, 0x46}, {0x4C, 0x37}, {0x4D, 0x42},
                                             {0x4E, 0x47}, {0x4F, 0x41}, {0x50, 0x32}};
    EXPECT_EQ(EepromWrites(), expected);
    EXPECT_EQ(MemoLines(*window), QStringList({"The head ID has been written properly."}));
    EXPECT_EQ(window->findChild<QLabel *>("ShowHeadIDLbl")->text(), "83007F-$:Z9%UW3");

    Click("HeadIDReadBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"Head ID = 83007F-$:Z9%UW3"}));

    ASSERT_EQ(program->dll.ChanWriteEeprom(0x50, 0x33), 1);
    Click("HeadIDReadBtn");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The read head ID is invalid.", "Restart the printer and try again."}));
    EXPECT_EQ(LineColour(*window, 0), Red);
}

TEST_F(HeadIdPrinterTest, PrintPageFeedsPaperAndPrintsOnlyForAReadyPrinter)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(2)->click();
    Click("HeadCheckPrintShowBtn");
    QWidget *printPage = window->findChild<QWidget *>("HeadCheckPrintPnl");
    ASSERT_TRUE(printPage->isVisible());

    Click("HeadCheckPaperFeedBtn");
    EXPECT_EQ(printer->Data(), QByteArray("\r\n").repeated(20));

    const int fedBytes = printer->Data().size();
    Click("HeadCheckPrintBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"The head check pattern print has completed."}));
    EXPECT_GT(printer->Data().size(), fedBytes + 1000); // the head check pattern went out

    ASSERT_TRUE(printer->Control("paper-out"));
    Click("HeadCheckPrintBtn");
    EXPECT_EQ(MemoLines(*window).value(0), "Paper out error.");

    Click("HeadIDInputShowBtn");
    EXPECT_FALSE(printPage->isVisible());
    EXPECT_EQ(window->focusWidget(), window->findChild<QLineEdit *>("HeadIDInputEdit"));
}
} // namespace
