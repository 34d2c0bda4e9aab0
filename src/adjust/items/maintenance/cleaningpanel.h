#pragma once

#include "adjust/items/eepromsession.h"
#include "adjust/items/itempanel.h"

#include <cstdint>

class QPushButton;

// An item that sends one maintenance command to the printer and waits for it to finish:
// "Head cleaning" and "Ink charge" differ only in their texts and the command's mode.
class TMainteCommandPanel : public TItemPanel
{
    Q_OBJECT

public:
    struct Texts {
        QString title;
        QString instruction;
        QString inkUse;
        QString duration;
        QString working;
        QString done;
        QString buttonName;
    };

    // onPrinterError: what the item does when the printer reports an error state first.
    TMainteCommandPanel(TAdjustServices &window, const Texts &texts, uint8_t commandMode,
                        TPEepromSession::OnPrinterError onPrinterError, QWidget *parent);

    QWidget *OkButton() override;

    // The "OK" button: working message (waits for a ready printer; a printer error stops it,
    // except the state before the initial ink charge for the ink charge), the command, and the
    // done message once the printer is ready again.
    void OkBtnClick();

private:
    Texts texts_;
    uint8_t commandMode_;
    TPEepromSession::OnPrinterError onPrinterError_;
    QPushButton *okBtn_;
};

class TCleaningPanel : public TMainteCommandPanel
{
    Q_OBJECT

public:
    static constexpr uint8_t CleaningMode = 2;
    explicit TCleaningPanel(TAdjustServices &window, QWidget *parent = nullptr);
    void CleaningOKBtnClick() { OkBtnClick(); }
};

class TInkChargePanel : public TMainteCommandPanel
{
    Q_OBJECT

public:
    static constexpr uint8_t InkChargeMode = 7;
    explicit TInkChargePanel(TAdjustServices &window, QWidget *parent = nullptr);
    void InkChargeOKBtnClick() { OkBtnClick(); }
};
