#include "printerpicture.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace
{
void DrawSheet(QPainter &painter)
{
    // The printed sheet coming out at the front, with three colour bands.
    painter.setPen(QPen(QColor(0x70, 0x70, 0x70), 0.6));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(17, 35, 30, 25));
    const QColor bands[] = {QColor(0x00, 0xA0, 0xE0), QColor(0xE0, 0x00, 0x80),
                            QColor(0xF0, 0xD0, 0x00)};
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(bands[i]);
        painter.drawRect(QRectF(21, 45 + i * 4.5, 22, 3));
    }
}

void DrawBody(QPainter &painter)
{
    // Paper support at the back.
    painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 0.8));
    painter.setBrush(QColor(0xF4, 0xF4, 0xF0));
    painter.drawRect(QRectF(18, 6, 28, 14));

    // Body.
    QLinearGradient shade(0, 16, 0, 44);
    shade.setColorAt(0.0, QColor(0x9A, 0xA6, 0xB4));
    shade.setColorAt(1.0, QColor(0x4A, 0x55, 0x63));
    painter.setBrush(shade);
    painter.setPen(QPen(QColor(0x2A, 0x30, 0x38), 1.0));
    QPainterPath body;
    body.addRoundedRect(QRectF(4, 16, 56, 26), 4, 4);
    painter.drawPath(body);

    // Output slot, panel and power lamp.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1E, 0x22, 0x28));
    painter.drawRect(QRectF(14, 33, 36, 3));
    painter.setBrush(QColor(0xD8, 0xDE, 0xE6));
    painter.drawRoundedRect(QRectF(44, 20, 12, 7), 1.5, 1.5);
    painter.setBrush(QColor(0x30, 0xD0, 0x50));
    painter.drawEllipse(QRectF(8, 21, 4, 4));
}
} // namespace

QPixmap TPrinterPicture::Pixmap(int size)
{
    // Drawn at the screen's pixel density, so it stays sharp on a scaled screen.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    DrawBody(painter);
    DrawSheet(painter);
    return pixmap;
}
