#pragma once

class QWidget;
class THowToPicture;

// The example prints of the how-to windows, each a picture of its own.
namespace HowToExamples
{
// Where the printed line of a margin example lies against the 3 mm standard.
enum class TMarginCase { Standard, TooNear, TooFar };

// Bi-D pattern: the bars of each column, numbered -6 to 6, the best one at 0.
THowToPicture *NewBid(QWidget *parent);
// Head angular pattern: reference and comparison bars over "NG -3 0 3 NG", straight at 0.
THowToPicture *NewHeadAngular(QWidget *parent);
// PW sensor pattern: a sheet with its edge scales, the lines 5 mm from each edge picked.
THowToPicture *NewPwSensor(QWidget *parent);
// First dot pattern near the left edge of the sheet.
THowToPicture *NewFirstDot(TMarginCase margin, QWidget *parent);
// Top margin pattern near the top edge of the sheet.
THowToPicture *NewTopMargin(TMarginCase margin, QWidget *parent);
} // namespace HowToExamples
