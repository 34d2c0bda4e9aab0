#include "radiolist.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioList::TRadioList(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this))
{
    auto *layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    // Each entry is named after the list ("PGSelectRadioGrpItem0", ...).
    connect(this, &QObject::objectNameChanged, this, [this](const QString &name) {
        for (int i = 0; i < Count(); ++i)
            Button(i)->setObjectName(QStringLiteral("%1Item%2").arg(name).arg(i));
    });
    // Only a change of the chosen entry counts: clicking the entry already chosen does not
    // run the item's preparation again (which would wipe what its panel shows).
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !settingIndex_)
            emit Clicked(id);
    });
}

int TRadioList::ItemIndex() const
{
    return group_->checkedId();
}

void TRadioList::SetItemIndex(int index)
{
    settingIndex_ = true;
    SetChecked(index);
    settingIndex_ = false;
}

void TRadioList::SetChecked(int index)
{
    if (index >= 0 && index < Count()) {
        group_->button(index)->setChecked(true);
        return;
    }
    // An exclusive group keeps one entry checked; let go of it for a moment to clear it.
    QAbstractButton *checked = group_->checkedButton();
    if (!checked)
        return;
    group_->setExclusive(false);
    checked->setChecked(false);
    group_->setExclusive(true);
}

int TRadioList::Count() const
{
    return static_cast<int>(group_->buttons().size());
}

QRadioButton *TRadioList::Button(int index) const
{
    return qobject_cast<QRadioButton *>(group_->button(index));
}

void TRadioList::SetItemEnabled(int index, bool enabled)
{
    if (QAbstractButton *button = group_->button(index))
        button->setEnabled(enabled);
}

bool TRadioList::IsItemEnabled(int index) const
{
    QAbstractButton *button = group_->button(index);
    return button && button->isEnabled();
}
