#include "howtoexamples.h"

#include "howtopicture.h"

#include <QPainter>
#include <QPainterPath>

using namespace HowToDraw;

namespace HowToExamples
{
namespace
{
// ---- Bi-D ----------------------------------------------------------------------------------

constexpr int BidBestValue = 0;
constexpr qreal BidBarWidth = 5;
constexpr qreal BidShiftPerStep = 1.0; // how far a return bar moves for one step off the best
constexpr qreal BidColumnPitch = 64;
constexpr qreal BidBarHeight = 26;

// One column: two bars printed going right, three going left between and beside them. At the
// best value they close up into one solid block; off it the return bars leave gaps.
void BidColumn(QPainter &painter, qreal centreX, qreal top, int value)
{
    const qreal left = centreX - 2.5 * BidBarWidth;
    const qreal shift = (value - BidBestValue) * BidShiftPerStep;
    // One filled outline, so that bars that touch show no seam between them.
    QPainterPath bars;
    bars.setFillRule(Qt::WindingFill);
    for (int slot = 0; slot < 5; ++slot) {
        const qreal x = left + slot * BidBarWidth + (slot % 2 == 0 ? shift : 0);
        bars.addRect(QRectF(x, top, BidBarWidth, BidBarHeight));
    }
    painter.fillPath(bars.simplified(), QColor(InkColor));
}

void BidLabel(QPainter &painter, qreal centreX, qreal y, int value, QRgb colour = InkColor)
{
    painter.setPen(QColor(colour));
    CentredText(painter, QPointF(centreX, y), QString::number(value));
}

void DrawBid(QPainter &painter)
{
    Sheet(painter, QRectF(8, 8, 504, 244));
    painter.setFont(PrintFont(11));
    painter.setPen(QColor(InkColor));
    painter.drawText(QPointF(24, 30), QStringLiteral("Bi-D adjustment"));
    painter.drawText(QPointF(24, 46), QStringLiteral("VSD1 Bi-D Black"));

    const qreal middle = 260;
    const qreal rowTops[] = {60, 122, 184};
    const qreal labelGap = 13;

    // The two ends of the scale are the red area.
    const int lastStep = 3;
    for (int side : {-1, 1}) {
        const qreal x = middle + side * lastStep * BidColumnPitch;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xFB, 0xDD, 0xDB));
        painter.drawRoundedRect(QRectF(x - 26, rowTops[1] - 6, 52, BidBarHeight + 28), 4, 4);
    }

    BidColumn(painter, middle, rowTops[0], BidBestValue - 1);
    BidLabel(painter, middle, rowTops[0] + BidBarHeight + labelGap, BidBestValue - 1);
    for (int step = -lastStep; step <= lastStep; ++step) {
        const qreal x = middle + step * BidColumnPitch;
        const int value = BidBestValue + 2 * step;
        BidColumn(painter, x, rowTops[1], value);
        BidLabel(painter, x, rowTops[1] + BidBarHeight + labelGap, value,
                 std::abs(step) == lastStep ? WarningColor : InkColor);
    }
    BidColumn(painter, middle, rowTops[2], BidBestValue + 1);
    BidLabel(painter, middle, rowTops[2] + BidBarHeight + labelGap, BidBestValue + 1);

    Choice(painter, QRectF(middle - 22, rowTops[1] - 6, 44, BidBarHeight + 28));
}

// ---- Head angular --------------------------------------------------------------------------

void DrawHeadAngular(QPainter &painter)
{
    Sheet(painter, QRectF(8, 8, 504, 190));
    painter.setFont(PrintFont(11));
    painter.setPen(QColor(InkColor));
    painter.drawText(QPointF(24, 30), QStringLiteral("Head angular adjustment"));

    const QString labels[] = {QStringLiteral("NG"), QStringLiteral("-3"), QStringLiteral("0"),
                              QStringLiteral("3"), QStringLiteral("NG")};
    const int shiftUnits[] = {-6, -3, 0, 3, 6};
    const qreal pitch = 84;
    const qreal middle = 260;
    const qreal barWidth = 5;
    const qreal shiftPerUnit = 1.3;
    const QRectF reference(0, 46, barWidth, 52);
    const QRectF comparison(0, 104, barWidth, 52);

    for (int column = 0; column < 5; ++column) {
        const qreal x = middle + (column - 2) * pitch - barWidth / 2;
        const qreal shift = shiftUnits[column] * shiftPerUnit;
        // A faint guide down from the reference bar shows how far the lower bar has moved.
        painter.setPen(QPen(QColor(0xA8, 0xC4, 0xE8), 1, Qt::DashLine));
        painter.drawLine(QPointF(x + barWidth / 2, reference.bottom()),
                         QPointF(x + barWidth / 2, comparison.bottom()));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(InkColor));
        painter.drawRect(reference.translated(x, 0));
        painter.drawRect(comparison.translated(x + shift, 0));
        painter.setPen(QColor(InkColor));
        CentredText(painter, QPointF(x + barWidth / 2, comparison.bottom() + 16), labels[column]);
    }
    Choice(painter, QRectF(middle - 20, reference.top() - 6, 40,
                           comparison.bottom() + 32 - reference.top()));
}

// ---- PW sensor -----------------------------------------------------------------------------

// The example's answers and the pattern's ranges.
constexpr int PwTopValue = 0;
constexpr int PwBottomValue = 2;
constexpr int PwLeftValue = 0;
constexpr int PwRightValue = 5;
constexpr int PwScaleEnd = 10; // the top and bottom scales run -10 to 10
constexpr int PwFirstRow = -8; // the side rows run -8 to 19
constexpr int PwLastRow = 19;

constexpr QRectF PwSheet(20, 10, 400, 540);
constexpr qreal PwEdgeGap = 28;     // the 5 mm line, drawn wider than life
constexpr qreal PwStepAcross = 1.6; // one scale step of a top or bottom bar
constexpr qreal PwStepAlong = 1.0;  // one row step of a side mark
constexpr qreal PwScaleLeft = 70;   // x of the first scale bar
constexpr qreal PwScalePitch = 16;
constexpr qreal PwScaleBarWidth = 10;
constexpr qreal PwScaleLabelGap = 66; // from the edge to the scale's numbers
constexpr qreal PwRowTop = 132;
constexpr qreal PwRowPitch = 11.4;
constexpr qreal PwRowNumberGap = 70; // from the edge to the row numbers
constexpr qreal PwTextSize = 9;

qreal PwScaleX(int index)
{
    return PwScaleLeft + index * PwScalePitch;
}
qreal PwRowY(int row)
{
    return PwRowTop + (row - PwFirstRow) * PwRowPitch;
}

void PwGuide(QPainter &painter, const QLineF &line)
{
    painter.setPen(QPen(QColor(ChoiceColor), 1, Qt::DashLine));
    painter.drawLine(line);
}

void PwFiveMm(QPainter &painter, const QPointF &from, const QPointF &to, const QPointF &label)
{
    Dimension(painter, from, to);
    painter.setPen(QColor(ChoiceColor));
    painter.setFont(NoteFont(9, true));
    CentredText(painter, label, QStringLiteral("5mm"));
}

// The diagonal bars with their scale along the top or bottom edge. Along the top the scale
// rises left to right and a bar lies further in the higher its number; along the bottom both
// run the other way.
void PwScale(QPainter &painter, bool top, int answer)
{
    const qreal edge = top ? PwSheet.top() : PwSheet.bottom();
    const qreal inward = top ? 1 : -1;
    const qreal line = edge + inward * PwEdgeGap;
    const qreal labelY = edge + inward * PwScaleLabelGap;
    PwGuide(painter, QLineF(PwScaleLeft - 8, line, PwSheet.right() - 6, line));
    painter.setFont(PrintFont(PwTextSize));
    for (int index = 0; index <= 2 * PwScaleEnd; ++index) {
        const int value = top ? index - PwScaleEnd : PwScaleEnd - index;
        const qreal x = PwScaleX(index);
        const qreal y = line + inward * (value - answer) * PwStepAcross;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(InkColor));
        painter.drawRect(QRectF(x, y - PwStepAcross / 2, PwScaleBarWidth, PwStepAcross));
        painter.setPen(QColor(InkColor));
        CentredText(painter, QPointF(x + PwScaleBarWidth / 2, labelY), QString::number(value));
        if (value == answer)
            Choice(painter, QRectF(x - 3, std::min(line, labelY) - 8, PwScaleBarWidth + 6,
                                   std::abs(labelY - line) + 16));
    }
    const qreal arrowX = PwSheet.left() + 10;
    PwFiveMm(painter, QPointF(arrowX, edge), QPointF(arrowX, line),
             QPointF(arrowX + 17, (edge + line) / 2));
}

// The numbered rows along the left or right edge: each row's mark lies one step further in.
void PwSide(QPainter &painter, bool left, int answer)
{
    const qreal edge = left ? PwSheet.left() : PwSheet.right();
    const qreal inward = left ? 1 : -1;
    const qreal line = edge + inward * PwEdgeGap;
    const qreal numberX = edge + inward * PwRowNumberGap;
    const qreal markHeight = 7;
    PwGuide(painter, QLineF(line, PwRowY(PwFirstRow) - 10, line, PwRowY(PwLastRow) + 8));
    painter.setFont(PrintFont(PwTextSize));
    for (int row = PwFirstRow; row <= PwLastRow; ++row) {
        const qreal y = PwRowY(row);
        const qreal x = line + inward * (row - answer) * PwStepAlong;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(InkColor));
        painter.drawRect(QRectF(x - 0.8, y - markHeight / 2, 1.6, markHeight));
        painter.setPen(QColor(InkColor));
        CentredText(painter, QPointF(numberX, y), QString::number(row));
        if (row == answer) {
            const qreal from = std::min(x, numberX) - 12;
            Choice(painter, QRectF(from, y - 6, std::abs(numberX - x) + 24, 12));
        }
    }
    const qreal arrowY = PwRowY(PwFirstRow) - 24;
    PwFiveMm(painter, QPointF(edge, arrowY), QPointF(line, arrowY),
             QPointF(line + inward * 17, arrowY));
}

void DrawPwSensor(QPainter &painter)
{
    Sheet(painter, PwSheet);
    PwScale(painter, true, PwTopValue);
    PwSide(painter, true, PwLeftValue);
    PwSide(painter, false, PwRightValue);
    PwScale(painter, false, PwBottomValue);
}

// ---- First dot and top margin --------------------------------------------------------------

constexpr qreal MarginPixelsPerMm = 10;
constexpr qreal MarginStandardMm = 3;
constexpr qreal MarginToleranceMm = 1;
constexpr QSize MarginDesignSize(200, 120);
constexpr qreal MarginTable = 22; // the strip beyond the sheet's edge

qreal MarginDistance(TMarginCase margin)
{
    switch (margin) {
    case TMarginCase::TooNear:
        return 1.0 * MarginPixelsPerMm;
    case TMarginCase::TooFar:
        return 5.3 * MarginPixelsPerMm;
    case TMarginCase::Standard:
        break;
    }
    return MarginStandardMm * MarginPixelsPerMm;
}

// The sheet seen near one edge, with the band where the printed line should lie; the drawing
// is made for the left edge and turned for the top edge.
void MarginBackground(QPainter &painter, qreal length)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(TableColor));
    painter.drawRect(QRectF(0, 0, MarginTable, length));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(MarginTable, 0, 200, length));
    painter.setPen(QPen(QColor(0xA0, 0xA6, 0xAE), 1));
    painter.drawLine(QPointF(MarginTable, 0), QPointF(MarginTable, length));
    const qreal bandFrom = (MarginStandardMm - MarginToleranceMm) * MarginPixelsPerMm;
    const qreal bandWidth = 2 * MarginToleranceMm * MarginPixelsPerMm;
    QColor band(GoodColor);
    band.setAlpha(40);
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRect(QRectF(MarginTable + bandFrom, 6, bandWidth, length - 12));
}

void CaseFrame(QPainter &painter)
{
    painter.setPen(QPen(QColor(0xB4, 0xBA, 0xC2), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(QPointF(0.5, 0.5), QSizeF(MarginDesignSize) - QSizeF(1, 1)));
}

void DrawFirstDot(QPainter &painter, TMarginCase margin)
{
    const qreal height = MarginDesignSize.height();
    MarginBackground(painter, height);
    const qreal x = MarginTable + MarginDistance(margin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(InkColor));
    painter.drawRect(QRectF(x - 1, 24, 2, 44));
    painter.setPen(QColor(InkColor));
    painter.setFont(PrintFont(9));
    painter.drawText(QPointF(x + 4, 88), QStringLiteral("First dot adjustment"));
    Dimension(painter, QPointF(MarginTable, 46), QPointF(x - 1, 46));
    Verdict(painter, QPointF(182, 18), margin == TMarginCase::Standard);
    CaseFrame(painter);
}

void DrawTopMargin(QPainter &painter, TMarginCase margin)
{
    // Turn the left-edge drawing so that its edge runs along the top.
    const qreal width = MarginDesignSize.width();
    painter.save();
    painter.translate(width, 0);
    painter.rotate(90);
    MarginBackground(painter, width);
    painter.restore();

    const qreal y = MarginTable + MarginDistance(margin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(InkColor));
    painter.drawRect(QRectF(40, y - 1, 110, 2));
    painter.setPen(QColor(InkColor));
    painter.setFont(PrintFont(9));
    painter.drawText(QPointF(52, y + 16), QStringLiteral("Top Margin Adjustment"));
    Dimension(painter, QPointF(24, MarginTable), QPointF(24, y - 1));
    Verdict(painter, QPointF(182, 104), margin == TMarginCase::Standard);
    CaseFrame(painter);
}

QString MarginName(const char *pattern, TMarginCase margin)
{
    const char *where = margin == TMarginCase::Standard  ? "within the standard"
                        : margin == TMarginCase::TooNear ? "too near the edge"
                                                         : "too far from the edge";
    return QStringLiteral("%1 example, %2").arg(QLatin1String(pattern), QLatin1String(where));
}

// What a margin case shows, in words: the printed line and the verdict beside it.
QString MarginDescription(const char *edge, TMarginCase margin)
{
    switch (margin) {
    case TMarginCase::Standard:
        return QStringLiteral("The printed line lies 3 mm from the %1 edge of the paper, within "
                              "the standard of 3 plus or minus 1.0 mm, and is marked as right.")
            .arg(QLatin1String(edge));
    case TMarginCase::TooNear:
        return QStringLiteral("The printed line lies too near the %1 edge of the paper, outside "
                              "the standard, and is marked with an x.")
            .arg(QLatin1String(edge));
    case TMarginCase::TooFar:
        break;
    }
    return QStringLiteral("The printed line lies too far from the %1 edge of the paper, outside "
                          "the standard, and is marked with an x.")
        .arg(QLatin1String(edge));
}
} // namespace

THowToPicture *NewBid(QWidget *parent)
{
    return new THowToPicture(
        QSize(520, 260), DrawBid, QStringLiteral("Bi-D pattern example"),
        QStringLiteral("A printed VSD1 Bi-D Black pattern: a row of line columns numbered "
                       "%1 to %2 in steps of two, the two outer columns on a red area, and one "
                       "column above and below the middle. The lines of column %3 meet with "
                       "the smallest gap, and that column is circled.")
            .arg(BidBestValue - 6)
            .arg(BidBestValue + 6)
            .arg(BidBestValue),
        parent);
}

THowToPicture *NewHeadAngular(QWidget *parent)
{
    return new THowToPicture(
        QSize(520, 206), DrawHeadAngular, QStringLiteral("Head angular pattern example"),
        QStringLiteral("A printed head angular pattern with five lines marked NG, -3, 0, 3 and "
                       "NG. The line marked 0 is straight, and it is circled."),
        parent);
}

THowToPicture *NewPwSensor(QWidget *parent)
{
    return new THowToPicture(
        QSize(440, 560), DrawPwSensor, QStringLiteral("PW sensor pattern example"),
        QStringLiteral("A printed page with a numbered scale of lines along each edge, -%1 to "
                       "%1 at the top and bottom, %2 to %3 at the left and right. The lines that "
                       "lie 5 mm from the edges are circled: top %4, bottom %5, left %6, "
                       "right %7.")
            .arg(PwScaleEnd)
            .arg(PwFirstRow)
            .arg(PwLastRow)
            .arg(PwTopValue)
            .arg(PwBottomValue)
            .arg(PwLeftValue)
            .arg(PwRightValue),
        parent);
}

THowToPicture *NewFirstDot(TMarginCase margin, QWidget *parent)
{
    return new THowToPicture(
        MarginDesignSize, [margin](QPainter &painter) { DrawFirstDot(painter, margin); },
        MarginName("First dot", margin), MarginDescription("left", margin), parent);
}

THowToPicture *NewTopMargin(TMarginCase margin, QWidget *parent)
{
    return new THowToPicture(
        MarginDesignSize, [margin](QPainter &painter) { DrawTopMargin(painter, margin); },
        MarginName("Top margin", margin), MarginDescription("top", margin), parent);
}
} // namespace HowToExamples
