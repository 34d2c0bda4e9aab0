// First dot adjustment through the window against the virtual printer: the pattern printed
// on a page, a value moved on the gauges, written and committed, and read back.
#include "printerfixture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace adjusttest;

namespace
{
class FirstDotPrinterTest : public PrinterFixture
{
protected:
    // A movement button, once the window takes clicks again.
    void Press(const char *name)
    {
        auto *button = window->findChild<QToolButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(WaitForEnabled(*window));
        button->click();
    }
};

constexpr int FirstDotEntry = 6;
constexpr int FirstDotAddress = 0x59;

bool WaitForFile(const QString &path, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(path) && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return QFile::exists(path);
}

TEST_F(FirstDotPrinterTest, PrintsMovesWritesAndReadsTheFirstDot)
{
    QTemporaryDir pages;
    ASSERT_NO_FATAL_FAILURE(
        Open({"q510", "us-euro", 1, "US/Euro"}, {QStringLiteral("--pages"), pages.path()}));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(FirstDotEntry)->click();
    auto *edit = window->findChild<QLineEdit *>("LandMarginInputEdit");
    ASSERT_NE(edit, nullptr);

    Click("LandMarginPrintBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"The first dot pattern print has been completed."}));
    EXPECT_TRUE(printer->Data().contains(QByteArray("    First dot adjustment\0", 25)));
    EXPECT_TRUE(WaitForFile(pages.filePath("page-0001.png")));

    // Left edge, then one step right: -124, written with the first dot command and committed.
    Press("GotoLeftEdgeBitBtn");
    Press("SteptoRightBitBtn");
    EXPECT_EQ(edit->text(), "-124");
    EXPECT_EQ(window->findChild<QProgressBar *>("LeftMarginGauge")->value(), 2);
    EXPECT_EQ(window->findChild<QLabel *>("LandMarginInputRealValuePnl")->text(), "-2.1874 mm");
    Click("LandMarginInputBtn");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The first dot adjustment value has been written properly."}));
    EXPECT_EQ(uint8_t(printer->Eeprom().at(FirstDotAddress)), 0x84);
    EXPECT_EQ(window->findChild<QLabel *>("ShowFirstDotPnl")->text(), "-124");

    // Bad text is refused before anything is sent.
    const int factoryPackets = printer->EventsOf("factory").size();
    for (const char *bad : {"5x", "--5", "128", "-129", "12345", "\xd9\xa5"}) {
        edit->setText(QString::fromUtf8(bad));
        Click("LandMarginInputBtn");
        EXPECT_EQ(MemoLines(*window), QStringList({"A range of input value is -128 to 127."}))
            << bad;
    }
    EXPECT_EQ(printer->EventsOf("factory").size(), factoryPackets);

    Press("CenteringBitBtn");
    EXPECT_EQ(edit->text(), "0");
    Click("LandMarginCheckBtn");
    EXPECT_EQ(edit->text(), "-124");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The first dot adjustment value has been read properly."}));

    // A failed Read leaves the edit empty; a step then does nothing and Input refuses.
    ASSERT_TRUE(printer->Control("unplug"));
    Click("LandMarginCheckBtn");
    EXPECT_TRUE(edit->text().isEmpty());
    Press("SteptoLeftBitBtn");
    EXPECT_TRUE(edit->text().isEmpty());
    Click("LandMarginInputBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"A range of input value is -128 to 127."}));
}
} // namespace
