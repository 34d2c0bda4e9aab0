#include "printerwindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "firmware.h"
#include "jobinprint.h"
#include "outputtray.h"
#include "printengine.h"
#include "virtualprinter.h"

namespace sim
{

namespace
{

QString ErrorName(uint8_t error)
{
    switch (error) {
    case kErrorPaperJam:
        return "paper jam";
    case kErrorInkOut:
        return "ink out";
    case kErrorPaperOut:
        return "paper out";
    case kErrorMaintenance:
        return "waste ink pad full";
    default:
        return "error";
    }
}

} // namespace

QString StateText(uint8_t state, std::optional<uint8_t> error)
{
    switch (state) {
    case kStateError:
        return QString("Error %1: %2").arg(error.value_or(0)).arg(ErrorName(error.value_or(0)));
    case kStateBusy:
        return "Busy";
    case kStatePrinting:
        return "Printing";
    case kStateReady:
        return "Ready";
    case kStateCleaning:
        return "Cleaning";
    case kStateBeforeInkCharge:
        return "Waiting for the initial ink charge";
    default:
        return QString("State %1").arg(state);
    }
}

PrinterWindow::PrinterWindow(VirtualPrinter &printer, QWidget *parent)
    : QWidget(parent), printer_(printer), stateLbl_(new QLabel(this)), inkLbl_(new QLabel(this)),
      platenGapLbl_(new QLabel(this)), lastActionLbl_(new QLabel(this)),
      serviceViewCheck_(new QCheckBox("&Service view", this)), mechanicsLbl_(new QLabel(this)),
      captureLbl_(new QLabel(this)), paperBtn_(new QPushButton("&Paper", this)),
      clearBtn_(new QPushButton("&Clear faults", this)), powerBtn_(new QPushButton("P&ower", this)),
      jobInPrint_(new JobInPrint(this)), tray_(new OutputTray(this))
{
    setObjectName("PrinterWindow");
    stateLbl_->setObjectName("StateLbl");
    stateLbl_->setAccessibleName("StateLbl");
    inkLbl_->setObjectName("InkLbl");
    inkLbl_->setAccessibleName("InkLbl");
    platenGapLbl_->setObjectName("PlatenGapLbl");
    platenGapLbl_->setAccessibleName("PlatenGapLbl");
    lastActionLbl_->setObjectName("LastActionLbl");
    lastActionLbl_->setAccessibleName("LastActionLbl");
    lastActionLbl_->setWordWrap(true);
    serviceViewCheck_->setObjectName("ServiceViewCheck");
    serviceViewCheck_->setToolTip("Shows the printer's mechanical errors");
    mechanicsLbl_->setObjectName("MechanicsLbl");
    mechanicsLbl_->setAccessibleName("MechanicsLbl");
    mechanicsLbl_->setText(QString::fromStdString(DescribeMechanics(printer_.GetMechanics())));
    mechanicsLbl_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mechanicsLbl_->hide();
    captureLbl_->setObjectName("CaptureLbl");
    captureLbl_->setAccessibleName("CaptureLbl");
    captureLbl_->setWordWrap(true);
    captureLbl_->setStyleSheet("color: #b00000");
    captureLbl_->hide();
    paperBtn_->setObjectName("PaperBtn");
    paperBtn_->setToolTip("Paper reloaded: ends a paper-out error");
    clearBtn_->setObjectName("ClearBtn");
    clearBtn_->setToolTip("Back to ready: every fault ends, empty cartridges are replaced");
    powerBtn_->setObjectName("PowerBtn");
    powerBtn_->setCheckable(true);
    powerBtn_->setChecked(true);
    powerBtn_->setToolTip("Switches the printer off (port gone) and on again (it boots)");
    tray_->setObjectName("OutputTray");

    auto *panel = new QHBoxLayout;
    panel->addWidget(stateLbl_, 1);
    panel->addWidget(inkLbl_, 2);
    panel->addWidget(paperBtn_);
    panel->addWidget(clearBtn_);
    panel->addWidget(powerBtn_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(panel);
    auto *mechanism = new QHBoxLayout;
    mechanism->addWidget(platenGapLbl_);
    mechanism->addWidget(lastActionLbl_, 1);
    mechanism->addWidget(serviceViewCheck_);
    layout->addLayout(mechanism);
    layout->addWidget(mechanicsLbl_);
    layout->addWidget(captureLbl_);
    layout->addWidget(jobInPrint_);
    layout->addWidget(tray_, 1);

    connect(serviceViewCheck_, &QCheckBox::toggled, mechanicsLbl_, &QLabel::setVisible);
    connect(paperBtn_, &QPushButton::clicked, this, &PrinterWindow::PaperBtnClick);
    connect(clearBtn_, &QPushButton::clicked, this, &PrinterWindow::ClearBtnClick);
    connect(powerBtn_, &QPushButton::clicked, this, &PrinterWindow::PowerBtnClick);
    connect(&refreshTimer_, &QTimer::timeout, this, &PrinterWindow::Refresh);
    refreshTimer_.start(250);

    OutputTray *tray = tray_;
    printer_.SetPageListener([tray](const PrintedPage &page) { tray->PostPage(page); });
    JobInPrint *job = jobInPrint_;
    printer_.SetSheetListener([job](const SheetInProgress &sheet) { job->PostSheet(sheet); });
    if (Firmware *firmware = printer_.GetFirmware())
        setWindowTitle(QString("%1 on %2 - virtual printer")
                           .arg(QString::fromStdString(ModelName(firmware->GetModel())))
                           .arg(printer_.Port()));
    resize(900, 700);
    Refresh();
}

PrinterWindow::~PrinterWindow()
{
    printer_.SetPageListener({});
    printer_.SetSheetListener({});
}

void PrinterWindow::Refresh()
{
    Firmware *firmware = printer_.GetFirmware();
    if (firmware == nullptr)
        return;
    const QString link = printer_.LinkCondition();
    powerBtn_->setChecked(printer_.PoweredOn());
    QString state = StateText(firmware->State(), firmware->Error());
    if (!printer_.PoweredOn())
        state = "Off";
    else if (!link.isEmpty())
        state += " (" + link + ")";
    stateLbl_->setText(state);
    static const char *const kInkNames[] = {"K", "C", "M", "Y", "LC", "LM"};
    const std::array<uint8_t, 6> levels = firmware->InkLevels();
    QString ink = "Ink:";
    for (size_t color = 0; color < levels.size(); ++color)
        ink += QString(" %1 %2%").arg(kInkNames[color]).arg(levels[color]);
    inkLbl_->setText(ink);
    platenGapLbl_->setText("Platen gap: " +
                           QString::fromStdString(PlatenGapName(firmware->PlatenGap())));
    const std::string action = firmware->LastAction();
    lastActionLbl_->setText("Last command: " +
                            (action.empty() ? QString("none") : QString::fromStdString(action)));
    const QString problem = printer_.CaptureProblem();
    captureLbl_->setText(problem.isEmpty() ? QString() : "Capture: " + problem);
    captureLbl_->setVisible(!problem.isEmpty());
    jobInPrint_->ShowProgress(printer_.JobProgress());
}

QString PrinterWindow::PanelText() const
{
    QString text = stateLbl_->text() + " | " + inkLbl_->text() + " | " + platenGapLbl_->text() +
                   " | " + lastActionLbl_->text();
    if (!captureLbl_->text().isEmpty())
        text += " | " + captureLbl_->text();
    return text;
}

void PrinterWindow::PaperBtnClick()
{
    printer_.Control("reload-paper", 0);
    Refresh();
}

void PrinterWindow::ClearBtnClick()
{
    printer_.Control("clear", 0);
    Refresh();
}

void PrinterWindow::PowerBtnClick()
{
    printer_.SetPower(powerBtn_->isChecked());
    Refresh();
}

} // namespace sim
