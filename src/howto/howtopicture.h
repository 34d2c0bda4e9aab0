#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>

class QPainter;

// An example print drawn with vector strokes. The drawing works in its own design units and is
// scaled to the widget (and so to the device pixel ratio), which keeps it sharp at any size.
class THowToPicture : public QWidget
{
    Q_OBJECT

public:
    using TDraw = std::function<void(QPainter &)>;

    // The name says which example it is; the description tells in words what it shows.
    THowToPicture(const QSize &designSize, TDraw draw, const QString &name,
                  const QString &description, QWidget *parent = nullptr);

    QSize sizeHint() const override { return designSize_; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize designSize_;
    TDraw draw_;
};

// Drawing pieces shared by the example prints, in design units.
namespace HowToDraw
{
// The printer's text font, as on the printed pattern.
QFont PrintFont(qreal pixelSize);
// A plain font for notes in the drawings.
QFont NoteFont(qreal pixelSize, bool bold = false);
// A white sheet with a thin edge and a soft shadow.
void Sheet(QPainter &painter, const QRectF &rect);
// The ring around the column, line or number the technician should pick.
void Choice(QPainter &painter, const QRectF &rect);
// A double-headed dimension arrow from one point to another.
void Dimension(QPainter &painter, const QPointF &from, const QPointF &to);
// The green "good" circle or the red "x" in a corner of a case drawing.
void Verdict(QPainter &painter, const QPointF &centre, bool good);
// Text centred on a point.
void CentredText(QPainter &painter, const QPointF &centre, const QString &text);

// Colours used across the drawings.
constexpr QRgb InkColor = 0xFF1C1C1C;     // printed ink
constexpr QRgb ChoiceColor = 0xFF1F6FD1;  // what to pick
constexpr QRgb WarningColor = 0xFFD23B32; // the red area and the wrong cases
constexpr QRgb GoodColor = 0xFF2E9A48;    // the right case
constexpr QRgb TableColor = 0xFFE3E6EA;   // around the sheet
} // namespace HowToDraw
