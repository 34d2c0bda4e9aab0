#include "eepromdatacopypanel.h"

#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "link/program.h"
#include "link/selection.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace
{
constexpr int GapAfterTitle = 8;
constexpr int StartPanelWidth = 200;
constexpr int StartPanelHeight = 48;

const char *const HowToSteps[] = {
    "Click the [EEPROM data backup] button.",
    "Turn off the printer and replace the defective main board with new one.",
    "Turn on the printer and click the [Get Status] button.",
    "Click the [EEPROM data restore] button.",
    ("Perform A4 normal paper print, A4 photo quality ink jet paper print and A4 photo "
     "paper/glossy photo paper print."),
    "Check the print patterns and perform necessary adjustments, if print result is NG.",
};
} // namespace

TEepromDataCopyPanel::TEepromDataCopyPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), copy_(window.Program().dll, TPEEPROMCopy::DefaultBackupPath()),
      backUpStartPnl_(MakeStartPanel(QStringLiteral("EEPROM data backup"),
                                     QStringLiteral("EepDataCopyBackUpStartPnl"),
                                     QStringLiteral("Reads the specific EEPROM data of the old "
                                                    "main board into the backup file"))),
      loadStartPnl_(MakeStartPanel(QStringLiteral("EEPROM data restore"),
                                   QStringLiteral("EepDataCopyLoadStartPnl"),
                                   QStringLiteral("Writes the backup file into the new main "
                                                  "board; the file then goes into the "
                                                  "history folder beside it")))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("EEPROM data copy "));
    layout->addSpacing(GapAfterTitle);
    AddText(layout, QStringLiteral("This function is to copy the specific EEPROM data from old "
                                   "main board to new one."));
    layout->addSpacing(GapAfterTitle);

    backUpStartPnl_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    loadStartPnl_->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(backUpStartPnl_);
    buttons->addSpacing(GapAfterTitle * 2);
    buttons->addWidget(loadStartPnl_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addSpacing(GapAfterTitle);

    auto *howTo = new QGroupBox(QStringLiteral("How to use"), this);
    auto *steps = new QVBoxLayout(howTo);
    int number = 1;
    for (const char *step : HowToSteps)
        AddText(steps, QStringLiteral("%1. %2").arg(number++).arg(QString::fromLatin1(step)));
    layout->addWidget(howTo);
    layout->addStretch(1);

    setTabOrder(backUpStartPnl_, loadStartPnl_);
    OnClick(backUpStartPnl_, &TEepromDataCopyPanel::EepDataCopyBackUpStartPnlClick);
    OnClick(loadStartPnl_, &TEepromDataCopyPanel::EepDataCopyLoadStartPnlClick);
}

QPushButton *TEepromDataCopyPanel::MakeStartPanel(const QString &caption, const QString &name,
                                                  const QString &hint)
{
    auto *panel = new QPushButton(caption, this);
    panel->setObjectName(name);
    panel->setToolTip(hint);
    panel->setMinimumSize(StartPanelWidth, StartPanelHeight);
    return panel;
}

TPErrorWording TEepromDataCopyPanel::ItemError(uint16_t code) const
{
    if (code != TPResult::EepromCopyError)
        return {};
    return TPEEPROMCopy::Wording(copy_.ErrorDetail());
}

void TEepromDataCopyPanel::EepDataCopyBackUpStartPnlClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    if (!session.Check(copy_.BackUpEepromData()))
        return;
    if (!session.Finish(TPMode::Done,
                        QStringLiteral("The specific EEPROM data has been read properly.")))
        return;
    Window().ShowStatus(TPMode::NewLine,
                        QStringLiteral("Replace the defective main board with new one."));
    Window().ShowStatus(TPMode::NewLine, QStringLiteral("The data has been saved in %1")
                                             .arg(QDir::toNativeSeparators(copy_.BackupPath())));
}

void TEepromDataCopyPanel::EepDataCopyLoadStartPnlClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Writing now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    if (!session.Check(copy_.RestoreEepromData(Window().Selection().DestinationCode())))
        return;
    session.Finish(TPMode::Done, QStringLiteral("The specific EEPROM data has been written "
                                                "properly."));
}
