#pragma once

#include "adjust/items/itempanel.h"

class QPushButton;

// "APG check": drives the platen gap through its four positions, widest first, announcing
// each move so the technician can watch the carriage.
class TAPGCheckPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TAPGCheckPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *InitialFocus() override;
    QWidget *OkButton() override;

    void APGCheckBtnClick();

private:
    QPushButton *apgCheckBtn_;
};
