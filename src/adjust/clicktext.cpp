#include "clicktext.h"

#include <QEvent>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace
{
// Places the full caption of the CR offset item over the short caption of its radio entry.
class CaptionPlacer : public QObject
{
public:
    CaptionPlacer(QRadioButton *button, QWidget *memo)
        : QObject(button), button_(button), memo_(memo)
    {
        button->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == button_ &&
            (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
             event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange))
            Place();
        return false;
    }

    void Place()
    {
        QStyleOptionButton option;
        option.initFrom(button_);
        const QRect contents =
            button_->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button_);
        memo_->setGeometry(contents.left(), 0, button_->width() - contents.left(),
                           button_->height());
        memo_->raise();
    }

private:
    QRadioButton *button_;
    QWidget *memo_;
};
} // namespace

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

TClickText *TClickText::LayOver(QRadioButton *entry)
{
    // The entry keeps its short caption (for assistive tools) but paints it invisibly; the
    // full caption lies over it, in the entry's own text colours.
    const QPalette shown = entry->palette();
    QPalette hidden = shown;
    QPalette textPalette;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        hidden.setColor(group, QPalette::WindowText, Qt::transparent);
        hidden.setColor(group, QPalette::ButtonText, Qt::transparent);
        textPalette.setColor(group, QPalette::WindowText, shown.color(group, QPalette::WindowText));
    }
    entry->setPalette(hidden);
    auto *text = new TClickText(entry);
    text->setPalette(textPalette);
    text->setForegroundRole(QPalette::WindowText);
    text->setWordWrap(true);
    text->setFocusPolicy(Qt::NoFocus);
    entry->setMinimumHeight(2 * entry->sizeHint().height());
    new CaptionPlacer(entry, text);
    return text;
}
