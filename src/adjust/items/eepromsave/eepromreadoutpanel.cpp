#include "eepromreadoutpanel.h"

#include "adjust/dialogs/filedialog.h"
#include "adjust/dialogs/messagebox.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "eepromreadout.h"
#include "link/program.h"
#include "link/wait.h"

#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int GapAfterTitle = 8;
constexpr int GapBeforeButton = 16;
constexpr int ButtonWidth = 96;
constexpr int PauseBeforeSaveMs = 200;
} // namespace

TEepromReadOutPanel::TEepromReadOutPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent),
      seedSource_([] { return static_cast<uint64_t>(QDateTime::currentMSecsSinceEpoch()); }),
      eepromReadoutBtn_(new QPushButton(QStringLiteral("OK"), this))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("Save all EEPROM data "));
    layout->addSpacing(GapAfterTitle);
    AddText(layout, QStringLiteral("Click the [OK] button to save all EEPROM data to file."));
    layout->addSpacing(GapBeforeButton);

    eepromReadoutBtn_->setObjectName(QStringLiteral("EepromReadoutBtn"));
    eepromReadoutBtn_->setMinimumWidth(ButtonWidth);
    eepromReadoutBtn_->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(eepromReadoutBtn_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);

    OnClick(eepromReadoutBtn_, &TEepromReadOutPanel::EepromReadoutBtnClick);
}

QWidget *TEepromReadOutPanel::OkButton()
{
    return eepromReadoutBtn_;
}

void TEepromReadOutPanel::ShowProgress(int address)
{
    // The working text and the percentage line in one message, shown with one repaint, so
    // the percentage advances while the reads run.
    Window().ShowStatus(
        TPMode::Busy,
        QStringLiteral("Reading now...\n%1%").arg(TPEepromReadout::ProgressPercent(address)));
}

void TEepromReadOutPanel::EepromReadoutBtnClick()
{
    TPDLLFunction &dll = Window().Program().dll;
    TPEepromSession session(Window(), dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    TPEepromReadout readout(dll);
    TPEepromReadout::Image image{};
    if (!session.Check(readout.ReadAll(&image, [this](int address) { ShowProgress(address); })))
        return;

    Wait::For(PauseBeforeSaveMs);
    Window().ShowStatus(TPMode::Busy, QStringLiteral("Saving now..."));
    const QByteArray file =
        TPEepromReadout::BuildFile(image, TPEepromReadout::MakeFillers(seedSource_()));
    if (!SaveWithDialog(file)) {
        Window().ShowStatus(TPMode::DoneAfterWait, QStringLiteral("This function was aborted."));
        return;
    }
    Window().ShowStatus(TPMode::Done,
                        QStringLiteral("Save all EEPROM data function has completed."));
}

bool TEepromReadOutPanel::SaveWithDialog(const QByteArray &file)
{
    QWidget *owner = Window().OwnerWidget();
    for (;;) {
        const QString chosen =
            FileDialog::GetSaveFileName(owner, QStringLiteral("Save all EEPROM data"),
                                        QDir::currentPath(), QStringLiteral("EEP files(*.eep)"));
        if (chosen.isEmpty()) {
            const auto answer =
                MessageBox::Show(owner, MessageBox::Question, QStringLiteral("Confirm"),
                                 QStringLiteral("Do you abort this function?"),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
            if (answer == QMessageBox::Ok)
                return false;
            continue;
        }
        const QString path = TPEepromReadout::WithDefaultExtension(chosen);
        if (TPEepromReadout::SaveFile(path, file) == TPEepromReadout::SaveResult::Saved)
            return true;
        // Opening, writing or committing failed; the file on disk is as it was.
        MessageBox::Show(owner, MessageBox::Error, QStringLiteral("Error!"),
                         QStringLiteral("Cannot read data from file."));
    }
}
