#include "jobinprint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QProgressBar>
#include <QVBoxLayout>

#include <cmath>

namespace sim
{

namespace
{

constexpr int kSheetHeight = 120; // pixels of the small picture of the sheet

} // namespace

JobInPrint::JobInPrint(QWidget *parent)
    : QWidget(parent), sheetLbl_(new QLabel(this)), sheetBar_(new QProgressBar(this)),
      progressLbl_(new QLabel(this))
{
    setObjectName("JobInPrint");
    sheetLbl_->setObjectName("SheetInPrintLbl");
    sheetLbl_->setAccessibleName("Sheet being printed");
    sheetLbl_->setFixedHeight(kSheetHeight);
    sheetLbl_->setMinimumWidth(kSheetHeight * 2976 / 4209);
    sheetLbl_->setFrameShape(QFrame::Box);
    sheetBar_->setObjectName("SheetProgressBar");
    sheetBar_->setAccessibleName("How far down the sheet the printing has come");
    sheetBar_->setRange(0, 100);
    sheetBar_->setFormat("%p% of the sheet");
    progressLbl_->setObjectName("JobProgressLbl");
    progressLbl_->setAccessibleName("Job in print");
    progressLbl_->setWordWrap(true);

    auto *column = new QVBoxLayout;
    column->addWidget(progressLbl_);
    column->addWidget(sheetBar_);
    column->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sheetLbl_);
    layout->addLayout(column, 1);
    hide();
}

void JobInPrint::PostSheet(const SheetInProgress &sheet)
{
    const QImage image = sheet.image;
    const double fraction = sheet.fraction;
    QMetaObject::invokeMethod(
        this, [this, image, fraction] { ShowSheet(image, fraction); }, Qt::QueuedConnection);
}

void JobInPrint::ShowSheet(const QImage &image, double fraction)
{
    if (!image.isNull())
        sheetLbl_->setPixmap(
            QPixmap::fromImage(image.scaledToHeight(kSheetHeight - 2, Qt::SmoothTransformation)));
    sheetBar_->setValue(static_cast<int>(std::lround(fraction * 100)));
}

void JobInPrint::ShowProgress(const PrintQueue::Progress &progress)
{
    setVisible(progress.active);
    if (!progress.active)
        return;
    const QLocale locale;
    progressLbl_->setText(
        QString("Printing: %1 bytes taken, %2 waiting in the input buffer, about %3 s left")
            .arg(locale.toString(static_cast<qulonglong>(progress.jobBytes)))
            .arg(locale.toString(static_cast<qulonglong>(progress.queuedBytes)))
            .arg(static_cast<long>(std::ceil(progress.secondsLeft))));
}

QString JobInPrint::Text() const
{
    return progressLbl_->text();
}

} // namespace sim
