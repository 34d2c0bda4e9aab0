#pragma once

#include <QLabel>

// A borderless read-only text that reacts to a click (and to Space or Return when it has the
// focus), laid over a control whose own caption is too short.
class TClickText : public QLabel
{
    Q_OBJECT

public:
    explicit TClickText(QWidget *parent = nullptr);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
