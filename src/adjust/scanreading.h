#pragma once

// "Read from scan..." as the item panels share it: asks for the image of a printed page,
// words what the page reader found for the memo, and shows the image with what it read
// marked on it, in a small window beside the main one.
#include "scan/pagereader.h"

#include <QImage>
#include <QString>
#include <QStringList>

class QWidget;
class TAdjustServices;

namespace TScanReading
{

// The caption of the button that starts it.
QString ButtonCaption();
// The image of the page: scanned at 600 dpi when a scanner is found and the technician says
// so, else the file the technician picks (PNG, JPEG, TIFF); a null image when cancelled or
// when it cannot be had, which the memo then says. Scanners are looked for once per run.
QImage AskForImage(QWidget *owner, TAdjustServices &window);
// Tests: the next AskForImage looks for scanners again.
void SearchScannersAgain();
// One memo line per item: the value, how sure, or why it could not be read.
QStringList Describe(const TPScan::PageReading &reading);
// The small window with the image and the marks (replaced by the next reading).
void ShowMarks(QWidget *owner, const QImage &image, const TPScan::PageReading &reading);
// Says in the memo what was read, or why nothing was, and shows the marked page when the
// pattern was found; called once the edits hold the proposals that Fills lets in.
void Report(QWidget *owner, TAdjustServices &window, const QImage &image,
            const TPScan::PageReading &reading);
// Whether a proposal goes into its edit: sure ones, and those to be printed again with.
bool Fills(const TPScan::ItemReading &item);

} // namespace TScanReading
