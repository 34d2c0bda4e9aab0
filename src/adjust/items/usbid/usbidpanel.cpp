#include "usbidpanel.h"

#include "adjust/accessnames.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "adjust/items/uppercasevalidator.h"
#include "link/program.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TUsbIdPanel::TUsbIdPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), usbId_(window.Program().dll),
      usbIdInputEdit_(new QLineEdit(this)),
      usbIdInputOKBtn_(new QPushButton(QStringLiteral("Input"), this)),
      usbIdReadOutBtn_(new QPushButton(QStringLiteral("Read"), this))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("USB ID input "));
    layout->addSpacing(8);
    AddText(layout, QStringLiteral("Enter the Serial No. and click the [Input] button to write "
                                   "USB ID in EEPROM."));
    AddText(layout, QStringLiteral("Click the [Read] button to read the present USB ID."));
    layout->addSpacing(16);

    const QString editName = QStringLiteral("USBIDInputEdit");
    usbIdInputEdit_->setObjectName(editName);
    Access::Name(usbIdInputEdit_, QStringLiteral("USB ID serial number"));
    usbIdInputEdit_->setMaxLength(TPUsbId::SerialLength);
    usbIdInputEdit_->setValidator(new TUpperCaseValidator(usbIdInputEdit_));
    usbIdInputEdit_->setToolTip(QStringLiteral("Serial No.: 10 digits and capital letters"));
    usbIdInputEdit_->setFixedWidth(usbIdInputEdit_->fontMetrics().horizontalAdvance(
                                       QStringLiteral("W").repeated(TPUsbId::SerialLength)) +
                                   16);
    usbIdInputOKBtn_->setObjectName(QStringLiteral("USBIDInputOKBtn"));
    usbIdReadOutBtn_->setObjectName(QStringLiteral("USBIDReadOutBtn"));

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(usbIdInputEdit_);
    row->addWidget(usbIdInputOKBtn_);
    row->addWidget(usbIdReadOutBtn_);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    // Enter in the edit writes, as the panel's main button.
    connect(usbIdInputEdit_, &QLineEdit::returnPressed, usbIdInputOKBtn_, &QPushButton::click);
    OnClick(usbIdInputOKBtn_, &TUsbIdPanel::USBIDInputOKBtnClick);
    OnClick(usbIdReadOutBtn_, &TUsbIdPanel::USBIDReadOutBtnClick);
}

QWidget *TUsbIdPanel::InitialFocus()
{
    return usbIdInputEdit_;
}

QWidget *TUsbIdPanel::OkButton()
{
    return usbIdInputOKBtn_;
}

TPErrorWording TUsbIdPanel::ItemError(uint16_t code) const
{
    if (code != TPResult::UsbIdError)
        return {};
    return TPUsbId::Wording(usbId_.ErrorDetail());
}

void TUsbIdPanel::USBIDInputOKBtnClick()
{
    const QString serial = usbIdInputEdit_->text();
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Writing now..."), TPEepromSession::OnPrinterError::Report))
        return;
    QString stamp;
    if (!session.Check(usbId_.WriteUsbId(serial, &stamp))) {
        usbIdInputEdit_->setFocus();
        return;
    }
    if (!session.Finish(TPMode::DoneAfterWait,
                        QStringLiteral("The USB ID has been written in EEPROM properly.")))
        return;
    Window().SetSummaryValue(TPSummaryCell::UsbId, serial + stamp);
}

void TUsbIdPanel::USBIDReadOutBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::Report))
        return;
    QString id;
    if (!session.Check(usbId_.ReadUsbId(&id)))
        return;
    if (!session.Finish(TPMode::DoneAfterWait, QStringLiteral("USB ID = ")))
        return;
    Window().ShowStatus(TPMode::Append, id);
}
