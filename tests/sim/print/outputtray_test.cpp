// The output tray window: pages arrive newest first, zoom works from buttons and keys, the
// page's report shows beside it, and every control has its name.

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#include "outputtray.h"

class OutputTrayTest : public QObject
{
    Q_OBJECT

private:
    static sim::PrintedPage Page(int number, QColor color, int errors)
    {
        QImage image(744, 1053, QImage::Format_RGB888);
        image.fill(color);
        return sim::PrintedPage{number,
                                image,
                                "{\n  \"job\": 1,\n  \"errorCount\": " + std::to_string(errors) +
                                    ",\n  \"page\": " + std::to_string(number) + "\n}",
                                {}};
    }

private slots:
    void ControlsHaveNames()
    {
        sim::OutputTray tray;
        for (const char *name : {"pageList", "pageScroll", "pageView", "reportView", "pageInfoLbl",
                                 "zoomLbl", "zoomInBtn", "zoomOutBtn", "zoomFitBtn", "clearBtn"}) {
            QWidget *widget = tray.findChild<QWidget *>(name);
            QVERIFY2(widget != nullptr, name);
            QVERIFY2(!widget->accessibleName().isEmpty(), name);
        }
        QCOMPARE(tray.objectName(), QString("OutputTray"));
    }

    // The scan comes out at 600 dpi whatever the page's own resolution, and says so.
    void SaveAsScanWritesTheChosenPageAsA600DpiScan()
    {
        sim::OutputTray tray;
        QVERIFY(!tray.findChild<QPushButton *>("saveScanBtn")->accessibleName().isEmpty());
        QTemporaryDir folder;
        QVERIFY(!tray.SaveScan(folder.filePath("none.jpg")).isEmpty());
        sim::PrintedPage page = Page(1, Qt::white, 0);
        page.image = page.image.copy(0, 0, 300, 400);
        page.image.setDotsPerMeterX(3543); // 90 dpi, as the tray gets pages for the screen
        page.image.setDotsPerMeterY(3543);
        tray.AddPage(page);
        QCOMPARE(tray.SaveScan(folder.filePath("scan.jpg")), QString());
        const QImage scan(folder.filePath("scan.jpg"));
        QCOMPARE(qRound(scan.dotsPerMeterX() * 0.0254), 600);
        QVERIFY(qAbs(scan.width() - 300 * 600 / 90) <= 2);
        QVERIFY(!tray.SaveScan(folder.filePath("no-such-folder/scan.jpg")).isEmpty());

        // A page taller than the tray keeps scans at its own size, on a dark lid when asked.
        sim::PrintedPage tall = Page(2, Qt::white, 0);
        tall.image = tall.image.copy(0, 0, 50, 1500);
        tall.image.setDotsPerMeterX(3543);
        tall.image.setDotsPerMeterY(3543);
        tray.AddPage(tall);
        QCOMPARE(tray.SaveScan(folder.filePath("tall.jpg")), QString());
        QVERIFY(qAbs(QImage(folder.filePath("tall.jpg")).height() - 1500 * 600 / 90) <= 20);
        tray.findChild<QCheckBox *>("darkLidCheck")->setChecked(true);
        QCOMPARE(tray.SaveScan(folder.filePath("lid.jpg")), QString());
        const QImage onLid(folder.filePath("lid.jpg"));
        QVERIFY(qAbs(onLid.width() - (50 + 72) * 600 / 90) <= 20);
        QVERIFY(qGray(onLid.pixel(120, onLid.height() / 2)) <
                128); // inside the lid, whatever the turn
    }

    void NewestPageIsOnTopAndShowsItsReport()
    {
        sim::OutputTray tray;
        tray.AddPage(Page(1, Qt::white, 0));
        tray.AddPage(Page(2, Qt::cyan, 3));
        auto *list = tray.findChild<QListWidget *>("pageList");
        auto *report = tray.findChild<QPlainTextEdit *>("reportView");
        auto *info = tray.findChild<QLabel *>("pageInfoLbl");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(0)->text().startsWith("Page 2"));
        QVERIFY(report->toPlainText().contains("\"page\": 2"));
        QVERIFY(report->toPlainText().startsWith("Job 1, "));
        QVERIFY(info->text().contains("3 error"));
        // Down arrow picks the older page and its report.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 1);
        QVERIFY(report->toPlainText().contains("\"page\": 1"));
    }

    void ZoomFromButtonsAndKeys()
    {
        sim::OutputTray tray;
        tray.resize(1000, 700);
        tray.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tray));
        tray.AddPage(Page(1, Qt::yellow, 0));
        auto *view = tray.findChild<QLabel *>("pageView");
        auto *scroll = tray.findChild<QScrollArea *>("pageScroll");
        // The first page comes in fitted to the width.
        QVERIFY(qAbs(view->width() - (scroll->viewport()->width() - 4)) <= 1);
        QTest::keyClick(&tray, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(view->size(), QSize(744, 1053));
        QTest::mouseClick(tray.findChild<QPushButton *>("zoomInBtn"), Qt::LeftButton);
        QCOMPARE(tray.Zoom(), 1.25);
        QCOMPARE(view->width(), 930);
        QTest::keyClick(&tray, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(&tray, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(tray.Zoom(), 0.8);
        QTest::keyClick(&tray, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(tray.Zoom(), 1.0);
        QTest::keyClick(&tray, Qt::Key_0, Qt::ControlModifier);
        QVERIFY(qAbs(view->width() - (scroll->viewport()->width() - 4)) <= 1);
        for (int i = 0; i < 12; ++i) {
            tray.ZoomIn();
        }
        QVERIFY(!tray.findChild<QPushButton *>("zoomInBtn")->isEnabled());
    }

    void TrayKeepsALimitedNumberOfPages()
    {
        sim::OutputTray tray;
        for (int i = 1; i <= sim::OutputTray::kMaxPages + 5; ++i) {
            tray.AddPage(Page(i, Qt::white, 0));
        }
        auto *list = tray.findChild<QListWidget *>("pageList");
        QCOMPARE(tray.PageCount(), sim::OutputTray::kMaxPages);
        QCOMPARE(list->count(), sim::OutputTray::kMaxPages);
        QVERIFY(list->item(0)->text().startsWith(
            QString("Page %1").arg(sim::OutputTray::kMaxPages + 5)));
        QTest::mouseClick(tray.findChild<QPushButton *>("clearBtn"), Qt::LeftButton);
        QCOMPARE(tray.PageCount(), 0);
        QCOMPARE(list->count(), 0);
    }

    void PagesPostedFromAnotherThreadArrive()
    {
        sim::OutputTray tray;
        std::thread sender([&tray] { tray.PostPage(Page(7, Qt::magenta, 0)); });
        sender.join();
        QTRY_COMPARE(tray.PageCount(), 1);
    }
};

QTEST_MAIN(OutputTrayTest)
#include "outputtray_test.moc"
