#pragma once

#include "adjust/items/itempanel.h"
#include "pwadjust.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

// "PW sensor adjustment": prints the PW sensor pattern, writes the corrections of the checked
// edges (both copies, then the commit command) and reads them back.
class TPWSensorPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TPWSensorPanel(TAdjustServices &window, QWidget *parent = nullptr);

    void Prepare() override;
    QWidget *InitialFocus() override;
    TPErrorWording ItemError(uint16_t code) const override;

    void PWSensorInputBtnClick();
    void PWSensorCheckBtnClick();
    void PWSensorPrintBtnClick();
    void PWSensorHowToAdjustBtnClick();
    // "Read from scan...": proposes the four values from an image of the printed pattern.
    void PWSensorScanBtnClick();
    // An emptied edit unchecks its side; any other text checks it.
    void PWSensorHMXUEditChange() { EditChange(TPPWAdjust::Right); }
    void PWSensorHMXDEditChange() { EditChange(TPPWAdjust::Left); }
    void PWSensorHMYUEditChange() { EditChange(TPPWAdjust::Top); }
    void PWSensorHMYDEditChange() { EditChange(TPPWAdjust::Bottom); }

private:
    struct SideControls {
        QCheckBox *checkBox = nullptr;
        QLineEdit *edit = nullptr;
    };

    QWidget *BuildInputGroup();
    QWidget *BuildPrintGroup();
    QWidget *BuildSide(TPPWAdjust::Side side);
    void EditChange(TPPWAdjust::Side side);
    bool AnyChecked() const;

    TPPWAdjust pwAdjust_;
    std::array<SideControls, TPPWAdjust::SideCount> sides_{};
    QPushButton *inputBtn_ = nullptr;
    QPushButton *checkBtn_ = nullptr;
    QPushButton *printBtn_ = nullptr;
    QPushButton *howToBtn_ = nullptr;
    QPushButton *scanBtn_ = nullptr;
};
