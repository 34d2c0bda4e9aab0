#include "clicktext.h"

#include <QKeyEvent>
#include <QMouseEvent>

TClickText::TClickText(QWidget *parent) : QLabel(parent)
{
    setFrameShape(QFrame::NoFrame);
    setCursor(Qt::ArrowCursor);
}

void TClickText::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
    QLabel::mouseReleaseEvent(event);
}

void TClickText::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit Clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}
