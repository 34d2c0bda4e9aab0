#include "itempanel.h"

#include "adjustservices.h"

#include <QFont>
#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>

TItemPanel::TItemPanel(TAdjustServices &window, QWidget *parent)
    : QWidget(parent), window_(window), pages_(new QStackedLayout(this))
{
    auto *first = new QWidget(this);
    firstPage_ = new QVBoxLayout(first);
    pages_->addWidget(first);
}

void TItemPanel::Prepare()
{
    pages_->setCurrentIndex(0);
}

void TItemPanel::Shown()
{
    if (QWidget *focus = InitialFocus())
        focus->setFocus();
}

TPErrorWording TItemPanel::ItemError(uint16_t) const
{
    return {};
}

QVBoxLayout *TItemPanel::AddPage(const QString &name)
{
    auto *page = new QWidget(this);
    page->setObjectName(name);
    pages_->addWidget(page);
    return new QVBoxLayout(page);
}

void TItemPanel::ShowPage(int page)
{
    window_.ShowAdjustedItems();
    pages_->setCurrentIndex(page);
    window_.ShowItemPanel(*this);
}

int TItemPanel::CurrentPage() const
{
    return pages_->currentIndex();
}

QLabel *TItemPanel::AddTitle(QVBoxLayout *layout, const QString &text)
{
    auto *title = new QLabel(text, layout->parentWidget());
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    title->setFont(font);
    layout->addWidget(title);
    return title;
}

QLabel *TItemPanel::AddText(QVBoxLayout *layout, const QString &text)
{
    auto *label = new QLabel(text, layout->parentWidget());
    label->setWordWrap(true);
    layout->addWidget(label);
    return label;
}
