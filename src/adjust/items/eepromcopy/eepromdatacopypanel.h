#pragma once

#include "adjust/items/itempanel.h"

#include "eepromcopy.h"

class QPushButton;

// "EEPROM data copy": backs the board-specific EEPROM bytes up into a file and restores them
// into a new main board.
class TEepromDataCopyPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TEepromDataCopyPanel(TAdjustServices &window, QWidget *parent = nullptr);

    TPErrorWording ItemError(uint16_t code) const override;

    void EepDataCopyBackUpStartPnlClick();
    void EepDataCopyLoadStartPnlClick();

private:
    QPushButton *MakeStartPanel(const QString &caption, const QString &name, const QString &hint);

    TPEEPROMCopy copy_;
    QPushButton *backUpStartPnl_;
    QPushButton *loadStartPnl_;
};
