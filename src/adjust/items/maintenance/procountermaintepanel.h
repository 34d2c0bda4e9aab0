#pragma once

#include "adjust/items/itempanel.h"

#include "maintenance.h"

class QLineEdit;
class QPushButton;

// "Waste ink pad counter": shows the counter's upper limit on selection, reads the counter
// with its usage rate, and resets counter and limit inputs when the pad is replaced.
class TProCounterMaintePanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TProCounterMaintePanel(TAdjustServices &window, QWidget *parent = nullptr);

    void Prepare() override;
    void Shown() override;

    void ProCounterCheckBtnClick();
    void ProCounterClearBtnClick();

private:
    QWidget *BuildReadGroup();
    QWidget *BuildResetGroup();
    void ReadLimit();
    // Asks for the printer to be switched off until its status inquiry fails.
    void WaitForPowerOff();

    TPMaintenance maintenance_;
    QLineEdit *proCounterEdit_;
    QPushButton *proCounterCheckBtn_;
    QPushButton *proCounterClearBtn_;
};
