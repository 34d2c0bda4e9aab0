#pragma once

#include "adjust/items/itempanel.h"
#include "headangular.h"

class QLineEdit;
class QPushButton;
class TUpDown;

// "Head angular adjustment": print the pattern, write the chosen value (-3, 0 or 3), read the
// stored one, feed paper.
class THeadAngularPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit THeadAngularPanel(TAdjustServices &window, QWidget *parent = nullptr);

    void Prepare() override;
    QWidget *OkButton() override;
    QWidget *InitialFocus() override;
    TPErrorWording ItemError(uint16_t code) const override;

    void HeadAngularPrintBtnClick();
    void HeadAngularInputBtnClick();
    void HeadAngularReadBtnClick();
    void HeadAngularPaperFeedBtnClick();
    void HeadAngularAdjustHowToBtnClick();
    // "Read from scan...": proposes the value from an image of the printed page.
    void HeadAngularScanBtnClick();

private:
    TPHeadAngular headAngular_;
    QLineEdit *inputEdit_;
    TUpDown *upDown_;
    QPushButton *printBtn_;
    QPushButton *inputBtn_;
};
