#pragma once

#include "adjust/items/itempanel.h"

#include <array>
#include <cstdint>

class QPushButton;
class TPEepromSession;

// "Market setting": writes the market bytes and the three fixed bytes, restarts the printer,
// and checks the stored market against the chosen destination.
class TDefaultSetPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TDefaultSetPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *OkButton() override;

    void DefaultSetOKBtnClick();
    void DestCheckBtnClick();

private:
    void ShowVerdict(const QString &modelName, const std::array<uint8_t, 3> &stored);
    bool ReopenAfterRestart(TPEepromSession &session);

    // The restart drops the printer's link; the next check opens port and channel again.
    bool linkDropped_ = false;

    QPushButton *defaultSetOKBtn_;
    QPushButton *destCheckBtn_;
};
