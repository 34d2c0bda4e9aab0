#pragma once

// "Read from scan..." as the item panels share it: asks for the image of a printed page,
// words what the page reader found for the memo, and shows the image with what it read
// marked on it, in a small window beside the main one.
#include "scan/pagereader.h"

#include <QImage>
#include <QString>
#include <QStringList>

class QWidget;

namespace TScanReading
{

// The caption of the button that starts it.
QString ButtonCaption();
// The image the technician picks (PNG, JPEG, TIFF); a null image when cancelled, and the
// reason in *why when it cannot be read (empty when cancelled).
QImage AskForImage(QWidget *owner, QString *why);
// One memo line per item: the value, how sure, or why it could not be read.
QStringList Describe(const TPScan::PageReading &reading);
// The small window with the image and the marks (replaced by the next reading).
void ShowMarks(QWidget *owner, const QImage &image, const TPScan::PageReading &reading);
// Whether a proposal goes into its edit: sure ones, and those to be printed again with.
bool Fills(const TPScan::ItemReading &item);

} // namespace TScanReading
