#pragma once

#include <QLabel>

class QRadioButton;

// A borderless read-only text that reacts to a click (and to Space or Return when it has the
// focus), laid over a control whose own caption is too short.
class TClickText : public QLabel
{
    Q_OBJECT

public:
    explicit TClickText(QWidget *parent = nullptr);
    // A text laid over a radio entry, in the entry's place and colours, showing a caption
    // longer than the entry's own, which stays for assistive tools but is painted invisibly.
    static TClickText *LayOver(QRadioButton *entry);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
