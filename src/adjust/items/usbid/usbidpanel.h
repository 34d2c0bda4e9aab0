#pragma once

#include "adjust/items/itempanel.h"
#include "usbid.h"

class QLineEdit;
class QPushButton;

// "USB ID input": writes the typed serial number with the date stamp, and reads the USB ID.
class TUsbIdPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TUsbIdPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *InitialFocus() override;
    QWidget *OkButton() override;
    TPErrorWording ItemError(uint16_t code) const override;

    // The item's rules (the clock can be set there).
    TPUsbId &UsbId() { return usbId_; }

    void USBIDInputOKBtnClick();
    void USBIDReadOutBtnClick();

private:
    TPUsbId usbId_;
    QLineEdit *usbIdInputEdit_;
    QPushButton *usbIdInputOKBtn_;
    QPushButton *usbIdReadOutBtn_;
};
