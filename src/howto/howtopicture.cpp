#include "howtopicture.h"

#include <QPainter>
#include <QPainterPath>

THowToPicture::THowToPicture(const QSize &designSize, TDraw draw, const QString &name,
                             const QString &description, QWidget *parent)
    : QWidget(parent), designSize_(designSize), draw_(std::move(draw))
{
    setAccessibleName(name);
    setAccessibleDescription(description);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setMinimumSize(designSize_ / 2);
}

int THowToPicture::heightForWidth(int width) const
{
    return width * designSize_.height() / designSize_.width();
}

void THowToPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Fit the design into the widget, keeping its proportions, centred.
    const qreal scale =
        std::min(width() / qreal(designSize_.width()), height() / qreal(designSize_.height()));
    painter.translate((width() - designSize_.width() * scale) / 2,
                      (height() - designSize_.height() * scale) / 2);
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(0, 0), QSizeF(designSize_)));
    draw_(painter);
}

namespace HowToDraw
{
QFont PrintFont(qreal pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(qRound(pixelSize));
    return font;
}

QFont NoteFont(qreal pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    return font;
}

void Sheet(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 28));
    painter.drawRect(rect.translated(2, 2));
    painter.setPen(QPen(QColor(0xB4, 0xBA, 0xC2), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(rect);
    painter.restore();
}

void Choice(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setPen(QPen(QColor(ChoiceColor), 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect, 4, 4);
    painter.restore();
}

void Dimension(QPainter &painter, const QPointF &from, const QPointF &to)
{
    const qreal head = 4;
    const QLineF line(from, to);
    const QLineF unit = line.unitVector();
    const QPointF along(unit.dx() * head, unit.dy() * head);
    const QPointF across(-unit.dy() * head * 0.6, unit.dx() * head * 0.6);
    painter.save();
    painter.setPen(QPen(QColor(ChoiceColor), 1));
    painter.drawLine(line);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(ChoiceColor));
    painter.drawPolygon(QPolygonF({from, from + along + across, from + along - across}));
    painter.drawPolygon(QPolygonF({to, to - along + across, to - along - across}));
    painter.restore();
}

void Verdict(QPainter &painter, const QPointF &centre, bool good)
{
    const qreal radius = 7;
    painter.save();
    if (good) {
        painter.setPen(QPen(QColor(GoodColor), 2.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, radius, radius);
    } else {
        painter.setPen(QPen(QColor(WarningColor), 2.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre + QPointF(-radius, -radius), centre + QPointF(radius, radius));
        painter.drawLine(centre + QPointF(-radius, radius), centre + QPointF(radius, -radius));
    }
    painter.restore();
}

void CentredText(QPainter &painter, const QPointF &centre, const QString &text)
{
    const qreal room = 200;
    painter.drawText(QRectF(centre.x() - room / 2, centre.y() - room / 2, room, room),
                     Qt::AlignCenter, text);
}
} // namespace HowToDraw
