#include "procountermaintepanel.h"

#include "adjust/accessnames.h"
#include "adjust/dialogs/messagebox.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "link/program.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int GapAfterTitle = 8;
constexpr int ButtonWidth = 96;
constexpr int LimitDigits = 7;
const char *const InitialLimit = "46750";

QHBoxLayout *centred(QWidget *widget)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(widget);
    row->addStretch(1);
    return row;
}
} // namespace

TProCounterMaintePanel::TProCounterMaintePanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), maintenance_(window.Program().dll),
      proCounterEdit_(new QLineEdit(QString::fromLatin1(InitialLimit), this)),
      proCounterCheckBtn_(new QPushButton(QStringLiteral("Read"), this)),
      proCounterClearBtn_(new QPushButton(QStringLiteral("Reset"), this))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("Waste ink pad counter "));
    layout->addSpacing(GapAfterTitle);
    layout->addWidget(BuildReadGroup());
    layout->addWidget(BuildResetGroup());
    layout->addStretch(1);

    setTabOrder(proCounterCheckBtn_, proCounterClearBtn_);
    OnClick(proCounterCheckBtn_, &TProCounterMaintePanel::ProCounterCheckBtnClick);
    OnClick(proCounterClearBtn_, &TProCounterMaintePanel::ProCounterClearBtnClick);
}

QWidget *TProCounterMaintePanel::BuildReadGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Read"), this);
    auto *layout = new QVBoxLayout(group);
    AddText(layout, QStringLiteral("Click the [Read] button to read the present value from "
                                   "EEPROM."));

    // The limit sits in the gap of its sentence.
    proCounterEdit_->setObjectName(QStringLiteral("ProCounterEdit"));
    Access::Name(proCounterEdit_, QStringLiteral("The present maximum value"));
    proCounterEdit_->setReadOnly(true);
    proCounterEdit_->setFocusPolicy(Qt::NoFocus);
    proCounterEdit_->setAlignment(Qt::AlignRight);
    proCounterEdit_->setToolTip(QStringLiteral("Upper limit of the waste ink pad counter"));
    proCounterEdit_->setFixedWidth(
        proCounterEdit_->fontMetrics().horizontalAdvance(QString(LimitDigits, QLatin1Char('0'))) +
        2 * proCounterEdit_->fontMetrics().averageCharWidth());
    auto *sentence = new QHBoxLayout;
    sentence->addWidget(new QLabel(QStringLiteral("The present maximum value is"), group));
    sentence->addWidget(proCounterEdit_);
    sentence->addWidget(new QLabel(QStringLiteral("points."), group));
    sentence->addStretch(1);
    layout->addLayout(sentence);

    AddText(layout, QStringLiteral("The upper limited value of the waste ink pad counter on this "
                                   "product is variable from 20000 to 46750. This is because a "
                                   "quantity ink evaporation in the waste ink pad is reflected to "
                                   "the value."));
    proCounterCheckBtn_->setObjectName(QStringLiteral("ProCounterCheckBtn"));
    proCounterCheckBtn_->setMinimumWidth(ButtonWidth);
    layout->addLayout(centred(proCounterCheckBtn_));
    return group;
}

QWidget *TProCounterMaintePanel::BuildResetGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Reset"), this);
    auto *layout = new QVBoxLayout(group);
    AddText(layout, QStringLiteral("Click the [Reset] button to reset waste ink pad counter."));
    AddText(layout, QStringLiteral("Replace the waste ink pad after performing this function."));
    proCounterClearBtn_->setObjectName(QStringLiteral("ProCounterClearBtn"));
    proCounterClearBtn_->setMinimumWidth(ButtonWidth);
    layout->addLayout(centred(proCounterClearBtn_));
    return group;
}

void TProCounterMaintePanel::Prepare()
{
    TItemPanel::Prepare();
    proCounterEdit_->clear();
}

void TProCounterMaintePanel::Shown()
{
    TItemPanel::Shown();
    ReadLimit();
}

void TProCounterMaintePanel::ReadLimit()
{
    // At once, without a working message or a wait for the printer.
    int32_t limit = 0;
    const uint16_t code = maintenance_.ReadWasteInkLimit(&limit);
    if (code != TPResult::Ok) {
        Window().ReportError(code);
        return;
    }
    proCounterEdit_->setText(QString::number(limit));
}

void TProCounterMaintePanel::ProCounterCheckBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    uint16_t counter = 0;
    if (!session.Check(maintenance_.ReadWasteInkCounter(&counter)))
        return;
    if (!session.Finish(TPMode::Done, QStringLiteral("Waste ink pad counter value = ")))
        return;
    Window().ShowStatus(TPMode::Append, QString::number(counter));
    Window().ShowStatus(TPMode::NewLine, TPMaintenance::RateLine(counter, proCounterEdit_->text()));
}

void TProCounterMaintePanel::ProCounterClearBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Resetting now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    if (!session.Check(maintenance_.ResetWasteInkCounter()))
        return;
    WaitForPowerOff();
    // One message of two lines (the memo breaks lines itself).
    if (!session.Finish(TPMode::Done,
                        QStringLiteral("The waste ink pad coutner has been initialized properly.")))
        return;
    Window().ShowStatus(TPMode::NewLine,
                        QStringLiteral("Turn on a printer and click the [GetStatus] button and "
                                       "click the [Read] button to check the waste ink pad "
                                       "counter value."));
    Window().SetSummaryValue(TPSummaryCell::WasteInkCounter, QStringLiteral("0"));
}

void TProCounterMaintePanel::WaitForPowerOff()
{
    TPStatusControl &status = Window().Program().status;
    do {
        MessageBox::Show(Window().OwnerWidget(), MessageBox::Information,
                         QStringLiteral("Information"),
                         QStringLiteral("Please turn off a printer."));
    } while (status.ReadStatus() == TPResult::Ok);
}
