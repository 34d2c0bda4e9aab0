#include "apgcheckpanel.h"

#include "adjust/dialogs/messagebox.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "link/program.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
struct GapStep {
    const char *announcement;
    uint8_t position; // platen gap position code of the move command
};

// Widest to narrowest.
constexpr GapStep Steps[] = {
    {"Move to PG++ (4.2mm)", 4},
    {"Move to PG+ (2.35mm)", 3},
    {"Move to PG Typical (1.7mm)", 2},
    {"Move to PG- (1.2mm)", 1},
};
} // namespace

TAPGCheckPanel::TAPGCheckPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), apgCheckBtn_(new QPushButton(QStringLiteral("OK"), this))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("APG check "));
    layout->addSpacing(8);
    AddText(layout, QStringLiteral("Click the [OK] button to perform APG check."));
    layout->addSpacing(16);

    apgCheckBtn_->setObjectName(QStringLiteral("APGCheckBtn"));
    apgCheckBtn_->setDefault(true);
    apgCheckBtn_->setToolTip(QStringLiteral("Moves the platen gap to PG++, PG+, PG Typical and "
                                            "PG-, one after the other"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apgCheckBtn_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);

    OnClick(apgCheckBtn_, &TAPGCheckPanel::APGCheckBtnClick);
}

QWidget *TAPGCheckPanel::InitialFocus()
{
    return apgCheckBtn_;
}

QWidget *TAPGCheckPanel::OkButton()
{
    return apgCheckBtn_;
}

void TAPGCheckPanel::APGCheckBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Checking now..."), TPEepromSession::OnPrinterError::Report))
        return;
    for (const GapStep &step : Steps) {
        // However the box is closed, the move follows.
        MessageBox::Show(Window().OwnerWidget(), MessageBox::Information, QStringLiteral("confirm"),
                         QString::fromLatin1(step.announcement));
        if (!session.Check(Window().Program().factory.FactoryCommandD5(step.position)))
            return;
    }
    session.Finish(TPMode::DoneAfterWait, QStringLiteral("APG check has completed."));
}
