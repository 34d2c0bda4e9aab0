#pragma once

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

// An up-down control bound to an edit: each step moves the number in the edit by the
// increment within the range and writes it back as text (which fires the edit's change).
// The arrow keys step it while the edit has the focus; the buttons take no focus, so the tab
// order runs through the edits.
class TUpDown : public QWidget
{
public:
    TUpDown(QLineEdit *buddy, int minimum, int maximum, int increment, QWidget *parent = nullptr)
        : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum),
          increment_(increment)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (bool up : {true, false}) {
            auto *button = new QToolButton(this);
            button->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
            button->setFocusPolicy(Qt::NoFocus);
            button->setAutoRepeat(true);
            button->setFixedSize(18, 12);
            button->setToolTip(up ? QStringLiteral("Up") : QStringLiteral("Down"));
            connect(button, &QToolButton::clicked, this, [this, up] { Step(up ? 1 : -1); });
            layout->addWidget(button);
        }
        buddy_->installEventFilter(this);
    }

    // One step up (+1) or down (-1), clamped to the range.
    void Step(int direction)
    {
        bool ok = false;
        int position = buddy_->text().toInt(&ok);
        if (!ok)
            position = std::clamp(0, minimum_, maximum_);
        const int next = std::clamp(position + direction * increment_, minimum_, maximum_);
        buddy_->setText(QString::number(next));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                Step(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    QLineEdit *buddy_;
    int minimum_;
    int maximum_;
    int increment_;
};
