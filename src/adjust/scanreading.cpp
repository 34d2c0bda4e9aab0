#include "scanreading.h"

#include "dialogs/filedialog.h"
#include "dialogs/messagebox.h"
#include "items/adjustservices.h"
#include "scan/scanner.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace TScanReading
{

namespace
{
constexpr int ViewHeight = 520; // the result window shows the page this tall
const char *const WindowName = "ScanResultWindow";
constexpr int Percent = 100;

constexpr int SearchWaitMs = 3000; // the first "Read from scan..." waits this long at most
constexpr int PollMs = 20;
constexpr int StopWaitMs = 10000; // how long a cancelled scan may take to stop

QString Title(const TPScan::ItemReading &item)
{
    return item.item + QStringLiteral(": ");
}

// The scanners, looked for once per run in a thread of its own. The thread keeps the search
// alive while it runs, so that a slow search never holds up the program's end.
struct ScannerSearch {
    TPScan::TPScanner scanner;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    QList<TPScan::ScannerDevice> found;
};

std::shared_ptr<ScannerSearch> &SearchSlot()
{
    static std::shared_ptr<ScannerSearch> search;
    return search;
}

std::shared_ptr<ScannerSearch> StartedSearch()
{
    std::shared_ptr<ScannerSearch> &search = SearchSlot();
    if (!search) {
        search = std::make_shared<ScannerSearch>();
        std::thread([search = search] {
            TPScan::ScanFailure failure = TPScan::ScanFailure::None;
            QList<TPScan::ScannerDevice> found = search->scanner.FindScanners(&failure);
            const std::lock_guard<std::mutex> hold(search->lock);
            search->found = std::move(found);
            search->done = true;
            search->ended.notify_all();
        }).detach();
    }
    return search;
}

// The window disabled, with the busy cursor, while it waits for something and keeps painting.
class BusyWindow
{
public:
    explicit BusyWindow(QWidget *owner) : window_(owner->window()), focus_(window_->focusWidget())
    {
        wasEnabled_ = window_->isEnabled();
        window_->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyWindow()
    {
        QApplication::restoreOverrideCursor();
        if (!window_)
            return;
        window_->setEnabled(wasEnabled_);
        if (focus_ && focus_->isVisible() && focus_->isEnabled())
            focus_->setFocus(Qt::OtherFocusReason);
    }
    BusyWindow(const BusyWindow &) = delete;
    BusyWindow &operator=(const BusyWindow &) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
    bool wasEnabled_ = true;
};

// The first scanner found, waiting a moment for the search on the first call.
std::optional<TPScan::ScannerDevice> FoundScanner(QWidget *owner)
{
    const std::shared_ptr<ScannerSearch> search = StartedSearch();
    std::unique_lock<std::mutex> hold(search->lock);
    if (!search->done) {
        const BusyWindow busy(owner);
        const QDeadlineTimer deadline(SearchWaitMs);
        while (!search->done && !deadline.hasExpired()) {
            search->ended.wait_for(hold, std::chrono::milliseconds(PollMs));
            hold.unlock();
            QCoreApplication::processEvents();
            hold.lock();
        }
    }
    if (!search->done || search->found.isEmpty())
        return std::nullopt;
    return search->found.first();
}

// A scan under way in its worker thread. The thread holds it too, so that a scan which does
// not end after a cancel can be left to itself without the window waiting for it.
struct ScanJob {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    TPScan::ScanResult result; // the worker's, until done
};

// Scans the page in a worker thread while the window waits, painting, with a "Cancel". A
// scanner that has not stopped a while after the cancel is left to end by itself.
TPScan::ScanResult ScanInBackground(QWidget *owner, const TPScan::ScannerDevice &device)
{
    const std::shared_ptr<ScannerSearch> search = StartedSearch();
    const auto job = std::make_shared<ScanJob>();
    QProgressDialog progress(QStringLiteral("Scanning the page with %1...").arg(device.label),
                             QString(), 0, 0, owner->window());
    progress.setObjectName(QStringLiteral("ScanProgressWindow"));
    progress.setAccessibleName(QStringLiteral("Scanning the page"));
    progress.setWindowTitle(QStringLiteral("Read from scan"));
    auto *cancelButton = new QPushButton(QStringLiteral("Cancel"), &progress);
    cancelButton->setObjectName(QStringLiteral("ScanCancelBtn"));
    cancelButton->setAccessibleName(QStringLiteral("Cancel the scan"));
    progress.setCancelButton(cancelButton);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    QElapsedTimer sinceCancel;
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        job->cancel = true;
        sinceCancel.start();
        progress.setLabelText(QStringLiteral("Cancelling the scan..."));
    });
    std::thread worker([search, job, name = device.name] {
        job->result = search->scanner.Scan(name, TPScan::TPScanner::PageDpi, job->cancel);
        job->done = true;
    });
    progress.show();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (job->done || (sinceCancel.isValid() && sinceCancel.elapsed() > StopWaitMs))
            loop.quit();
    });
    poll.start(PollMs);
    loop.exec();
    TPScan::ScanResult result;
    if (job->done) {
        worker.join();
        result = job->result;
    } else {
        worker.detach();
        result.failure = TPScan::ScanFailure::DidNotStop;
    }
    // Gone from the screen before the page is read, which holds the window for a while.
    progress.hide();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return result;
}

QImage ScanPage(QWidget *owner, TAdjustServices &window, const TPScan::ScannerDevice &device)
{
    window.ShowStatus(TPMode::Busy, QStringLiteral("Scanning the page with %1 at %2 dpi...")
                                        .arg(device.label)
                                        .arg(TPScan::TPScanner::PageDpi));
    const TPScan::ScanResult scan = ScanInBackground(owner, device);
    if (scan.image.isNull()) {
        window.ShowStatus(TPMode::Error, TPScan::ScanFailureText(scan.failure));
        return QImage();
    }
    window.ShowStatus(TPMode::Done, QStringLiteral("The page is scanned."));
    return scan.image;
}

QImage PickImageFile(QWidget *owner, TAdjustServices &window)
{
    const QString file = FileDialog::GetOpenFileName(
        owner, QStringLiteral("Read from scan"), QDir::homePath(),
        QStringLiteral("Images (*.png *.jpg *.jpeg *.tif *.tiff);;All files (*)"));
    if (file.isEmpty())
        return QImage();
    TPScan::ReadFailure failure = TPScan::ReadFailure::None;
    const QImage image = TPScan::TPPageReader::LoadImageFile(file, &failure);
    if (image.isNull())
        window.ShowStatus(TPMode::Error, TPScan::FailureText(failure));
    return image;
}
} // namespace

QString ButtonCaption()
{
    return QStringLiteral("Read from scan...");
}

QImage AskForImage(QWidget *owner, TAdjustServices &window)
{
    if (const std::optional<TPScan::ScannerDevice> scanner = FoundScanner(owner)) {
        const QMessageBox::StandardButton answer = MessageBox::Show(
            owner, MessageBox::Question, QStringLiteral("Read from scan"),
            QStringLiteral("Scan the page with %1 at %2 dpi?")
                .arg(scanner->label)
                .arg(TPScan::TPScanner::PageDpi),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            return ScanPage(owner, window, *scanner);
        if (answer != QMessageBox::No)
            return QImage();
    }
    return PickImageFile(owner, window);
}

void SearchScannersAgain()
{
    SearchSlot().reset();
}

QStringList Describe(const TPScan::PageReading &reading)
{
    if (!reading.Found())
        return {TPScan::FailureText(reading.failure)};
    QStringList lines;
    for (const TPScan::ItemReading &item : reading.items) {
        const int sure = int(std::lround(item.confidence * Percent));
        if (!item.proposal) {
            lines << Title(item) + QStringLiteral("cannot read (%1)").arg(item.remark);
        } else if (item.sure) {
            lines << Title(item) + QStringLiteral("%1 (read with %2 % certainty)")
                                       .arg(*item.proposal)
                                       .arg(sure);
        } else if (item.printAgain) {
            lines << Title(item) +
                         QStringLiteral("%1, not final: %2").arg(*item.proposal).arg(item.remark);
        } else {
            lines << Title(item) + QStringLiteral("perhaps %1, left as it was: %2")
                                       .arg(*item.proposal)
                                       .arg(item.remark);
        }
    }
    return lines;
}

bool Fills(const TPScan::ItemReading &item)
{
    return item.proposal && (item.sure || item.printAgain);
}

void ShowMarks(QWidget *owner, const QImage &image, const TPScan::PageReading &reading)
{
    if (auto *old = owner->findChild<QDialog *>(QLatin1String(WindowName)))
        old->close();
    const double scale = double(ViewHeight) / std::max(1, image.height());
    QImage view = image.scaledToHeight(ViewHeight, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&view);
        painter.setRenderHint(QPainter::Antialiasing);
        for (const TPScan::ItemReading &item : reading.items) {
            const QColor colour = item.sure ? QColor(0, 160, 0) : QColor(230, 120, 0);
            painter.setPen(QPen(colour, 2));
            const QRectF mark(item.mark.x() * scale, item.mark.y() * scale,
                              item.mark.width() * scale, item.mark.height() * scale);
            painter.drawRect(mark.adjusted(-3, -3, 3, 3));
            painter.drawText(mark.topRight() + QPointF(6, mark.height() / 2),
                             item.proposal ? QString::number(*item.proposal) : QStringLiteral("?"));
        }
    }
    auto *window = new QDialog(owner, Qt::Tool);
    window->setObjectName(QLatin1String(WindowName));
    window->setAccessibleName(QStringLiteral("What was read from the scan"));
    window->setWindowTitle(QStringLiteral("Read from scan"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(window);
    auto *picture = new QLabel(window);
    picture->setObjectName(QStringLiteral("ScanResultImage"));
    picture->setAccessibleName(QStringLiteral("Scanned page with the columns read marked"));
    picture->setPixmap(QPixmap::fromImage(view));
    layout->addWidget(picture);
    auto *legend =
        new QLabel(QStringLiteral("Green: read for sure. Orange: check by eye."), window);
    legend->setObjectName(QStringLiteral("ScanResultLegend"));
    layout->addWidget(legend);
    window->show();
}

void Report(QWidget *owner, TAdjustServices &window, const QImage &image,
            const TPScan::PageReading &reading)
{
    const QStringList lines = Describe(reading);
    if (!reading.Found()) {
        window.ShowStatus(TPMode::Error, lines.value(0));
        return;
    }
    window.ShowStatus(TPMode::Result, lines.value(0));
    for (int i = 1; i < lines.size(); ++i)
        window.ShowStatus(TPMode::NewLine, lines[i]);
    ShowMarks(owner, image, reading);
}

} // namespace TScanReading
