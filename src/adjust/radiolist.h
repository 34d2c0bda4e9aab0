#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A captioned list of radio entries, each of which can be enabled on its own, with "no entry
// chosen" as a state of its own (index -1).
class TRadioList : public QGroupBox
{
    Q_OBJECT

public:
    TRadioList(const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int ItemIndex() const;
    // -1 clears the choice. Does not emit Clicked.
    void SetItemIndex(int index);
    int Count() const;
    QRadioButton *Button(int index) const;
    void SetItemEnabled(int index, bool enabled);
    bool IsItemEnabled(int index) const;

signals:
    // The person chose another entry (mouse or keyboard).
    void Clicked(int index);

private:
    void SetChecked(int index);

    QButtonGroup *group_;
    bool settingIndex_ = false;
};
