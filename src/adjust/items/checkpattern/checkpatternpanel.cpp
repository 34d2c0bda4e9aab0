#include "checkpatternpanel.h"

#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "adjust/radiolist.h"
#include "link/program.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
enum Entry { A4Normal, A4PhotoQuality, A4PhotoPaper, CdrDummy, NozzleCheck };
} // namespace

TCheckPatternPanel::TCheckPatternPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), checks_(window.Program()),
      checkPatternRdoGrp_(
          new TRadioList(QStringLiteral("Check pattern items"),
                         {QStringLiteral("A4/Letter  normal paper"),
                          QStringLiteral("A4/Letter  photo quality ink jet paper  "),
                          QStringLiteral("A4/Letter  photo paper/glossy photo paper"),
                          QStringLiteral("Sheet CD-R dummy"), QStringLiteral("Nozzle check")},
                         this)),
      chkPtnPrtBtn_(new QPushButton(QStringLiteral("Print"), this))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("Check Pattern  "));
    layout->addSpacing(8);
    checkPatternRdoGrp_->setObjectName(QStringLiteral("CheckPatternRdoGrp"));
    layout->addWidget(checkPatternRdoGrp_);
    layout->addSpacing(16);

    chkPtnPrtBtn_->setObjectName(QStringLiteral("ChkPtnPrtBtn"));
    chkPtnPrtBtn_->setToolTip(QStringLiteral("Prints the chosen check pattern"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(chkPtnPrtBtn_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    setTabOrder(checkPatternRdoGrp_, chkPtnPrtBtn_);

    OnClick(chkPtnPrtBtn_, &TCheckPatternPanel::ChkPtnPrtBtnClick);
}

QWidget *TCheckPatternPanel::InitialFocus()
{
    const int chosen = checkPatternRdoGrp_->ItemIndex();
    return checkPatternRdoGrp_->Button(chosen >= 0 ? chosen : 0);
}

void TCheckPatternPanel::ChkPtnPrtBtnClick()
{
    switch (checkPatternRdoGrp_->ItemIndex()) {
    case A4Normal:
        G0SCheckPrintBtnClick();
        break;
    case A4PhotoQuality:
        A4PrintBtnClick();
        break;
    case A4PhotoPaper:
        A4PhotoPrintBtnClick();
        break;
    case CdrDummy:
        CDRPrintBtnClick();
        break;
    case NozzleCheck:
        NozzleCheckPatternPrintBtnClick();
        break;
    default:
        break; // nothing chosen
    }
}

bool TCheckPatternPanel::RunPrint(const std::function<uint16_t()> &print, const QString &doneText)
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Printing now..."), TPEepromSession::OnPrinterError::Report))
        return false;
    if (!session.Check(print()))
        return false;
    return session.Finish(TPMode::DoneAfterWait, doneText);
}

void TCheckPatternPanel::G0SCheckPrintBtnClick()
{
    RunPrint([this] { return checks_.A4NormalPrint(); },
             QStringLiteral("The A4 normal paper print has been completed."));
}

void TCheckPatternPanel::A4PrintBtnClick()
{
    RunPrint([this] { return checks_.A4PhotoQualityPrint(); },
             QStringLiteral("The A4 photo quality ink jet paper print has been completed."));
}

void TCheckPatternPanel::A4PhotoPrintBtnClick()
{
    RunPrint([this] { return checks_.A4PhotoPaperPrint(); },
             QStringLiteral("The A4 photo paper/glossy photo paper print has been completed."));
}

void TCheckPatternPanel::CDRPrintBtnClick()
{
    uint16_t code = TPResult::Ok;
    const bool done = RunPrint(
        [this, &code] {
            code = checks_.CdrFilePrint();
            return code;
        },
        QStringLiteral("The CD-R print has been completed."));
    if (done || code != TPResult::FileOpen)
        return;
    // Under the red "Cannot file open.": which file, and why.
    Window().ShowStatus(TPMode::NewLine, CdrProblemLine());
}

QString TCheckPatternPanel::CdrProblemLine() const
{
    const QString name = QLatin1String(TPCheckPattern::CdrFileName);
    const QString path = QDir::toNativeSeparators(checks_.CdrFilePath());
    using Verdict = TPPrintFileCheck::Verdict;
    switch (checks_.LastCdrProblem()) {
    case TPCheckPattern::CdrProblem::Unreadable:
        return QStringLiteral("%1 is there but cannot be read.").arg(path);
    case TPCheckPattern::CdrProblem::NotPrintData: {
        const Verdict verdict = checks_.CdrVerdict();
        const QString what =
            verdict == Verdict::FactoryPacket ? QStringLiteral("a factory command")
            : verdict == Verdict::RemoteMode  ? QStringLiteral("a remote-mode command")
            : verdict == Verdict::Incomplete  ? QStringLiteral("an incomplete command")
                                              : QStringLiteral("a command that is not print data");
        return QStringLiteral("%1 holds %2, which could change the printer's settings; nothing "
                              "was sent.")
            .arg(path, what);
    }
    case TPCheckPattern::CdrProblem::NotFound:
    case TPCheckPattern::CdrProblem::None:
        break;
    }
    QStringList folders;
    for (const QString &folder : checks_.CdrSearchFolders())
        folders << QDir::toNativeSeparators(folder);
    return QStringLiteral("No readable %1 in %2.").arg(name, folders.join(QStringLiteral(", ")));
}

void TCheckPatternPanel::NozzleCheckPatternPrintBtnClick()
{
    RunPrint([this] { return checks_.NozzleCheckPrint(); },
             QStringLiteral("The nozzle check pattern print has been completed."));
}
