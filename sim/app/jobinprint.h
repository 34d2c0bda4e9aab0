#pragma once

// The job in the printer, as it prints: the sheet filling (a small picture of it, refreshed a
// few times a second), a bar for how far down the sheet the head has come, and a line with
// the bytes taken, the bytes waiting in the input buffer and the time left. Hidden while the
// printer holds no job.

#include <QImage>
#include <QWidget>

#include "printengine.h"
#include "printqueue.h"

class QLabel;
class QProgressBar;

namespace sim
{

class JobInPrint : public QWidget
{
    Q_OBJECT

public:
    explicit JobInPrint(QWidget *parent = nullptr);

    // Safe from any thread (the print engine's).
    void PostSheet(const SheetInProgress &sheet);
    // The printer's side of the job, read by the window's refresh.
    void ShowProgress(const PrintQueue::Progress &progress);
    // The line as shown ("Printing: ...").
    QString Text() const;

public slots:
    void ShowSheet(const QImage &image, double fraction);

private:
    QLabel *sheetLbl_;
    QProgressBar *sheetBar_;
    QLabel *progressLbl_;
};

} // namespace sim
