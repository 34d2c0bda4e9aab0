#pragma once

#include "adjust/items/itempanel.h"
#include "heatprotectoffset.h"

class QCheckBox;
class QPushButton;

// "Offset input for CR": registers the CR motor heat protection offset after the main board,
// the PS board or the CR motor was replaced; measures it when the CR guide shaft was too.
class TCRHeatProtectPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TCRHeatProtectPanel(TAdjustServices &window, QWidget *parent = nullptr);

    void Prepare() override;
    QWidget *InitialFocus() override;
    QWidget *OkButton() override;
    TPErrorWording ItemError(uint16_t code) const override;

    void CRHeatProtectOffsetOKBtnClick();

private:
    QWidget *BuildPartsGroup();
    QWidget *BuildWarning();
    bool Confirm(const QString &text);
    void RunMeasurement();
    void WriteDefault();

    TPHeatProtect heatProtect_;
    QCheckBox *mainBoard_ = nullptr;
    QCheckBox *psBoard_ = nullptr;
    QCheckBox *crMotor_ = nullptr;
    QCheckBox *crMainShaft_ = nullptr;
    QPushButton *okBtn_ = nullptr;
};
