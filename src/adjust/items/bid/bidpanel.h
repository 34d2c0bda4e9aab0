#pragma once

#include "adjust/items/itempanel.h"
#include "bid.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TRadioList;
class TUpDown;

// "Bi-D adjustment": a print page (which modes to print, for which platen gap) and an input
// page (the values to write, read back from the printer).
class TBidPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TBidPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *OkButton() override;
    QWidget *InitialFocus() override;
    TPErrorWording ItemError(uint16_t code) const override;

    void BidPrintOKBtnClick();
    void BidPrintPaperFeedBtnClick();
    void BidPrintHowToAdjustBtnClick();
    void BidPrintShowInputBtnClick();
    void BidInputShowPrintBtnClick();
    void BidInputOKBtnClick();
    void BidInputCheckBtnClick();
    void PGSelectRadioGrpClick();
    void PGSelectInputRadioGrpClick();
    void BidInputEditChange(TPBid::Item item);
    // "Read from scan...": proposes the values from an image of the printed page.
    void BidInputScanBtnClick();

private:
    static constexpr int InputPage = 1;
    void BuildPrintPage();
    void BuildInputPage();
    QPushButton *AddButton(const char *name, const QString &caption);
    TPBid::Gap PrintGap() const;
    TPBid::Gap InputGap() const;
    // The checked boxes that count under the gap (no ECO under PG-).
    TPBid::Selection Checked(const std::array<QCheckBox *, TPBid::ItemCount> &boxes,
                             TPBid::Gap gap) const;
    void ReadValues();

    TPBid bid_;
    std::array<QCheckBox *, TPBid::ItemCount> printChecks_{};
    std::array<QCheckBox *, TPBid::ItemCount> inputChecks_{};
    std::array<QLineEdit *, TPBid::ItemCount> inputEdits_{};
    std::array<TUpDown *, TPBid::ItemCount> inputUpDowns_{};
    TRadioList *printGap_ = nullptr;
    TRadioList *inputGap_ = nullptr;
    QPushButton *printOKBtn_ = nullptr;
    QPushButton *inputOKBtn_ = nullptr;
};
