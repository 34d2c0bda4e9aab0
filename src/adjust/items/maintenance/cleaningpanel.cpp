#include "cleaningpanel.h"

#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "link/factory.h"
#include "link/program.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int GapAfterTitle = 8;
constexpr int GapBeforeButton = 16;
constexpr int ButtonWidth = 96;
} // namespace

TMainteCommandPanel::TMainteCommandPanel(TAdjustServices &window, const Texts &texts,
                                         uint8_t commandMode,
                                         TPEepromSession::OnPrinterError onPrinterError,
                                         QWidget *parent)
    : TItemPanel(window, parent), texts_(texts), commandMode_(commandMode),
      onPrinterError_(onPrinterError), okBtn_(new QPushButton(QStringLiteral("OK"), this))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, texts_.title);
    layout->addSpacing(GapAfterTitle);
    AddText(layout, texts_.instruction);
    layout->addSpacing(GapAfterTitle);
    AddText(layout, texts_.inkUse);
    AddText(layout, texts_.duration);
    layout->addSpacing(GapBeforeButton);

    okBtn_->setObjectName(texts_.buttonName);
    okBtn_->setMinimumWidth(ButtonWidth);
    okBtn_->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okBtn_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);

    OnClick(okBtn_, &TMainteCommandPanel::OkBtnClick);
}

QWidget *TMainteCommandPanel::OkButton()
{
    return okBtn_;
}

void TMainteCommandPanel::OkBtnClick()
{
    TPProgram &program = Window().Program();
    TPEepromSession session(Window(), program.dll);
    if (!session.Begin(texts_.working, onPrinterError_))
        return;
    if (!session.Check(program.factory.FactoryCommand84(commandMode_)))
        return;
    // Mode 2 waits until the printer is ready again, so the message comes when it has ended.
    session.Finish(TPMode::DoneAfterWait, texts_.done);
}

TCleaningPanel::TCleaningPanel(TAdjustServices &window, QWidget *parent)
    : TMainteCommandPanel(window,
                          {QStringLiteral("Head cleaning "),
                           QStringLiteral("Click the [OK] button to perform head cleaning."),
                           QStringLiteral("About 7% of bland-new I/C is consumed each color."),
                           QStringLiteral("It takes about 41 seconds to perform this function."),
                           QStringLiteral("Cleaning now..."),
                           QStringLiteral("The head cleaning has completed."),
                           QStringLiteral("CleaningOKBtn")},
                          CleaningMode, TPEepromSession::OnPrinterError::Report, parent)
{
}

TInkChargePanel::TInkChargePanel(TAdjustServices &window, QWidget *parent)
    : TMainteCommandPanel(
          window,
          {QStringLiteral("Ink charge "),
           QStringLiteral("Click the [OK] button to perform ink charge."),
           QStringLiteral("About 15% of bland-new I/C is consumed each color."),
           QStringLiteral("It takes about 70 seconds to perform this function."),
           QStringLiteral("Charging now..."), QStringLiteral("The ink charge has completed."),
           QStringLiteral("InkChargeOKBtn")},
          // The one item that ends the state before the initial ink charge.
          InkChargeMode, TPEepromSession::OnPrinterError::GoOnBeforeInkCharge, parent)
{
}
