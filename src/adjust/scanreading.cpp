#include "scanreading.h"

#include "dialogs/filedialog.h"
#include "items/adjustservices.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace TScanReading
{

namespace
{
constexpr int ViewHeight = 520; // the result window shows the page this tall
const char *const WindowName = "ScanResultWindow";
constexpr int Percent = 100;

QString Title(const TPScan::ItemReading &item)
{
    return item.item + QStringLiteral(": ");
}
} // namespace

QString ButtonCaption()
{
    return QStringLiteral("Read from scan...");
}

QImage AskForImage(QWidget *owner, TAdjustServices &window)
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
