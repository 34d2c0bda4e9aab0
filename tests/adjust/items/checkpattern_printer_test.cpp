// The "Check Pattern" item against the virtual printer: each entry printed through the window
// reaches the printer with its factory commands in order, and a sheet comes out for each.
#include "printerfixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace adjusttest;
using novari_test::VirtualPrinter;

namespace
{
using CheckPatternPrinterTest = PrinterFixture;

QList<int> FactoryCodes(const novari_test::VirtualPrinter &printer, int fromEvent)
{
    QList<int> codes;
    const QList<QJsonObject> events = printer.Events();
    for (int i = fromEvent; i < events.size(); ++i) {
        const QJsonObject &event = events[i];
        if (event.value("op").toString() == "factory") {
            EXPECT_EQ(event.value("result").toString(), "ok")
                << event.value("why").toString().toStdString();
            codes.append(event.value("code").toInt());
        }
    }
    return codes;
}

TEST_F(CheckPatternPrinterTest, EveryEntryPrintsItsSheet)
{
    QTemporaryDir pages;
    ASSERT_NO_FATAL_FAILURE(
        Open({"q510", "us-euro", 1, "US/Euro"}, {QStringLiteral("--pages"), pages.path()}));
    window->show();
    List(*window, "AppendixRdoGrp")->Button(2)->click();
    TRadioList *entries = List(*window, "CheckPatternRdoGrp");
    ASSERT_NE(entries, nullptr);

    // Nothing chosen: nothing is printed.
    const QByteArray before = printer->Data();
    Click("ChkPtnPrtBtn");
    EXPECT_EQ(printer->Data(), before);

    constexpr int CD = 0xCD, F1 = 0xF1, F2 = 0xF2;
    struct Case {
        int entry;
        const char *done;
        QList<int> factory;
    };
    const Case cases[] = {
        {0,
         "The A4 normal paper print has been completed.",
         {CD, F1, F1, CD, CD, F2, CD, CD, F2, CD, F1}},
        {1, "The A4 photo quality ink jet paper print has been completed.", {}},
        {2, "The A4 photo paper/glossy photo paper print has been completed.", {}},
        {3, "The CD-R print has been completed.", {}},
        {4, "The nozzle check pattern print has been completed.", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.entry);
        const int firstEvent = printer->Events().size();
        const int sent = printer->Data().size();
        ASSERT_TRUE(WaitForEnabled(*window));
        entries->Button(c.entry)->click();
        Click("ChkPtnPrtBtn");
        EXPECT_EQ(MemoLines(*window), QStringList{QString::fromLatin1(c.done)});
        EXPECT_GT(printer->Data().size(), sent) << "the print reached the printer";
        EXPECT_EQ(FactoryCodes(*printer, firstEvent), c.factory);
        if (c.entry == 3) {
            QFile job(QDir(VirtualPrinter::BinFolder()).filePath("CD-R2.prn"));
            ASSERT_TRUE(job.open(QIODevice::ReadOnly));
            // The job as it is; the status wait afterwards may add a printer reset.
            EXPECT_TRUE(printer->Data().mid(sent).startsWith(job.readAll()));
        }
    }
    ASSERT_TRUE(WaitForEnabled(*window));
    // One sheet per entry.
    QStringList sheets;
    for (int i = 0; i < 50 && sheets.size() < 5; ++i) {
        sheets = QDir(pages.path()).entryList({"page-*.png"});
        QTest::qWait(100);
    }
    EXPECT_EQ(sheets.size(), 5);
    const QString keep = qEnvironmentVariable("NOVARI_KEEP_PAGES");
    for (const QString &sheet : sheets)
        if (!keep.isEmpty())
            QFile::copy(QDir(pages.path()).filePath(sheet), QDir(keep).filePath(sheet));
}
TEST_F(CheckPatternPrinterTest, CdrFileWithAFactoryCommandIsNotSent)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    QTemporaryDir folder;
    QFile planted(QDir(folder.path()).filePath("CD-R2.prn"));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    // Text, then the waste ink counter's bytes rewritten by a factory command.
    planted.write(QByteArray("label\r\n") + QByteArray::fromHex("1b7c0007005ea74cb326000c00"));
    planted.close();
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    window->show();
    List(*window, "AppendixRdoGrp")->Button(2)->click();
    List(*window, "CheckPatternRdoGrp")->Button(3)->click();
    const QByteArray sent = printer->Data();
    Click("ChkPtnPrtBtn");
    ASSERT_TRUE(WaitForEnabled(*window));
    QDir::setCurrent(before);
    const QStringList lines = MemoLines(*window);
    EXPECT_EQ(lines.value(0), "Cannot file open.");
    EXPECT_TRUE(lines.value(1).contains("holds a factory command")) << lines.value(1).toStdString();
    EXPECT_EQ(printer->Data(), sent);
    EXPECT_TRUE(window->isEnabled());
}
} // namespace
