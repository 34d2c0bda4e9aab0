// Top margin adjustment through the window against the virtual printer: the pattern printed
// after its paper settings, a value moved on the vertical gauges, stored and read back.
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
class TopMarginPrinterTest : public PrinterFixture
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

constexpr int TopMarginEntry = 7;
constexpr int TopMarginAddress = 0x57;
constexpr int SettingsCommit = 0x50;

bool WaitForFile(const QString &path, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(path) && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return QFile::exists(path);
}

TEST_F(TopMarginPrinterTest, PrintsMovesWritesAndReadsTheTopMargin)
{
    QTemporaryDir pages;
    ASSERT_NO_FATAL_FAILURE(
        Open({"q530", "asia", 2, "Asia"}, {QStringLiteral("--pages"), pages.path()}));
    window->show();
    List(*window, "AdjustRdoGrp")->Button(TopMarginEntry)->click();
    auto *edit = window->findChild<QLineEdit *>("TopMarginInputEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(window->findChild<QProgressBar *>("TopMarginGauge")->orientation(), Qt::Vertical);

    Click("TopMarginPrintBtn");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The top margin adjustment pattern print has been completed."}));
    const QByteArray data = printer->Data();
    const int settings = data.indexOf(QByteArray("SN"));
    const int title = data.indexOf(QByteArray(44, ' ') + "Top Margin Adjustment");
    EXPECT_GE(settings, 0);
    EXPECT_GT(title, settings);
    EXPECT_TRUE(data.mid(title).contains('\x0C')) << "the page is ejected";
    EXPECT_TRUE(WaitForFile(pages.filePath("page-0001.png")));

    // From the centre one step up: -6, stored at 0x57 and committed.
    Press("TopMarginCenteringBitBtn");
    Press("SteptoTopBitBtn");
    EXPECT_EQ(edit->text(), "-6");
    EXPECT_EQ(window->findChild<QProgressBar *>("TopMarginGauge")->value(), 48);
    EXPECT_EQ(window->findChild<QProgressBar *>("BottomMarginGauge")->value(), 52);
    EXPECT_EQ(window->findChild<QLabel *>("TopMarginInputRealValuePnl")->text(), "-0.2117 mm");
    const int commitsBefore = printer->EventsOf("factory").size();
    Click("TopMarginInputValueBtn");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The top margin adjustment value has been written properly."}));
    EXPECT_EQ(EepromWrites(), (QList<QPair<int, int>>{{TopMarginAddress, 0xFA}}));
    EXPECT_EQ(uint8_t(printer->Eeprom().at(TopMarginAddress)), 0xFA);
    const QList<QJsonObject> factory = printer->EventsOf("factory");
    ASSERT_EQ(factory.size(), commitsBefore + 1);
    EXPECT_EQ(factory.last().value("code").toInt(), SettingsCommit);
    EXPECT_EQ(window->findChild<QLabel *>("ShowTopMarginPnl")->text(), "-6");

    edit->setText(QStringLiteral("-129"));
    Click("TopMarginInputValueBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"A range of input value is -128 to 127."}));
    EXPECT_EQ(EepromWrites().size(), 1);

    Press("GotoBottomEdgeBitBtn");
    EXPECT_EQ(window->findChild<QLabel *>("TopMarginInputRealValuePnl")->text(), "4.4806 mm");
    Click("TopMarginCheckValueBtn");
    EXPECT_EQ(edit->text(), "-6");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The top margin adjustment value has been read properly."}));
}
} // namespace
