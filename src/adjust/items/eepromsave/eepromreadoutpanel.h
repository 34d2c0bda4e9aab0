#pragma once

#include "adjust/items/itempanel.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

class QPushButton;

// "Save all EEPROM data": reads the whole EEPROM with the progress in percent and saves it as
// an EEPROM data file chosen in the save dialog.
class TEepromReadOutPanel : public TItemPanel
{
    Q_OBJECT

public:
    // The seed of the filler bytes (the clock in the program).
    using SeedSource = std::function<uint64_t()>;

    explicit TEepromReadOutPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *OkButton() override;
    void SetSeedSource(SeedSource source) { seedSource_ = std::move(source); }

    void EepromReadoutBtnClick();

private:
    void ShowProgress(int address);
    // The save dialog until a file is saved (true) or the technician aborts (false).
    bool SaveWithDialog(const QByteArray &file);

    SeedSource seedSource_;
    QPushButton *eepromReadoutBtn_;
};
