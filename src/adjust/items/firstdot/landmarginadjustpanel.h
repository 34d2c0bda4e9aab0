#pragma once

#include "adjust/items/itempanel.h"

class QPushButton;
class TMarginInputGroup;

// "First dot adjustment": prints the first dot pattern, moves the setting across the paper on
// the left and right margin gauges, writes it with the first dot command and reads it back.
class TLandMarginAdjustPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TLandMarginAdjustPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *InitialFocus() override;

    void LandMarginPrintBtnClick();
    void LandMarginInputBtnClick();
    void LandMarginCheckBtnClick();
    void LandMarginFeedBtnClick();
    void FirstDotScanBtnClick();

private:
    QPushButton *printBtn_;
    TMarginInputGroup *input_;
    QPushButton *scanBtn_;
    QPushButton *feedBtn_;
    QPushButton *howToBtn_;
};
