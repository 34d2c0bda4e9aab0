#pragma once

#include "adjust/items/itempanel.h"

class QPushButton;
class TMarginInputGroup;

// "Top margin adjustment": prints the top margin pattern, moves the setting up or down on the
// vertical top and bottom margin gauges, stores it in the EEPROM and reads it back.
class TTopMarginMainPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TTopMarginMainPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *InitialFocus() override;

    void TopMarginPrintBtnClick();
    void TopMarginInputValueBtnClick();
    void TopMarginCheckValueBtnClick();
    void TopMarginScanBtnClick();

private:
    QPushButton *printBtn_;
    TMarginInputGroup *input_;
    QPushButton *scanBtn_;
    QPushButton *howToBtn_;
};
