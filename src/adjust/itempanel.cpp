#include "itempanel.h"

#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

TItemPanel::TItemPanel(TAdjustServices &window, const QString &panelName, QWidget *parent)
    : QWidget(parent), window_(window)
{
    setObjectName(panelName);
}

bool TItemPanel::ReportItemError(uint16_t)
{
    return false;
}

QLabel *TItemPanel::AddTitle(QVBoxLayout *layout, const QString &text)
{
    auto *title = new QLabel(text, this);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    title->setFont(font);
    layout->addWidget(title);
    return title;
}

QLabel *TItemPanel::AddText(QVBoxLayout *layout, const QString &text)
{
    auto *label = new QLabel(text, this);
    label->setWordWrap(true);
    layout->addWidget(label);
    return label;
}
