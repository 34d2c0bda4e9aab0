#include "topmarginmainpanel.h"

#include "adjust/items/adjustservices.h"
#include "adjust/items/margin/margininputpanel.h"
#include "adjust/scanreading.h"
#include "link/program.h"
#include "topmargin.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
TMarginInputGroup::Config InputConfig()
{
    TMarginInputGroup::Config config;
    config.orientation = Qt::Vertical;
    config.millimetresPerStep = TPTopMargin::MillimetresPerStep;
    config.stepPoints = TPTopMargin::StepPoints;
    config.edit = "TopMarginInputEdit";
    config.editCaption = QStringLiteral("Top margin value");
    config.upDown = "TopMarginInputUpDown";
    config.firstGauge = "TopMarginGauge";
    config.firstGaugeCaption = QStringLiteral("Remainder of top margin");
    config.secondGauge = "BottomMarginGauge";
    config.secondGaugeCaption = QStringLiteral("Remainder of bottom margin");
    config.valuePanel = "TopMarginInputRealValuePnl";
    config.valuePanelCaption = QStringLiteral("Top margin in millimetres");
    config.toFirstEdge = {"GotoTopEdgeBitBtn", QStringLiteral("To the edge of top")};
    config.stepToFirst = {"SteptoTopBitBtn", QStringLiteral("To the top six points at a time")};
    config.centering = {"TopMarginCenteringBitBtn", QStringLiteral("Centering")};
    config.stepToSecond = {"SteptoBottomBitBtn",
                           QStringLiteral("To the bottom six points at a time")};
    config.toSecondEdge = {"GotoBottomEdgeBitBtn", QStringLiteral("To the edge of bottom")};
    config.inputButton = "TopMarginInputValueBtn";
    config.readButton = "TopMarginCheckValueBtn";
    return config;
}

TPTopMargin TopMargin(TAdjustServices &window)
{
    TPProgram &program = window.Program();
    return TPTopMargin(program.dll, program.factory, program.remote, program.raster);
}
} // namespace

TTopMarginMainPanel::TTopMarginMainPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), printBtn_(new QPushButton(QStringLiteral("Print"), this)),
      input_(new TMarginInputGroup(InputConfig(), this)),
      scanBtn_(new QPushButton(TScanReading::ButtonCaption(), this)),
      howToBtn_(new QPushButton(QStringLiteral("How to adjust"), this))
{
    printBtn_->setObjectName(QStringLiteral("TopMarginPrintBtn"));
    howToBtn_->setObjectName(QStringLiteral("Button1"));

    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("Top margin adjustment "));
    auto *print = new QGroupBox(QStringLiteral("Print"), this);
    auto *printLayout = new QHBoxLayout(print);
    auto *texts = new QVBoxLayout;
    texts->addWidget(
        new QLabel(QStringLiteral("Click the [Print] button to check pattern."), print));
    texts->addWidget(new QLabel(QStringLiteral("Use normal paper (A4/Letter size)"), print));
    printLayout->addLayout(texts, 1);
    printLayout->addWidget(printBtn_, 0, Qt::AlignBottom);
    layout->addWidget(print);
    layout->addWidget(input_);
    scanBtn_->setObjectName(QStringLiteral("TopMarginScanBtn"));
    scanBtn_->setAccessibleName(QStringLiteral("Read from scan"));
    auto *scanRow = new QHBoxLayout;
    scanRow->addStretch(1);
    scanRow->addWidget(scanBtn_);
    layout->addLayout(scanRow);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(howToBtn_);
    layout->addLayout(bottom);
    layout->addStretch(1);

    OnClick(printBtn_, &TTopMarginMainPanel::TopMarginPrintBtnClick);
    OnClick(input_->InputButton(), &TTopMarginMainPanel::TopMarginInputValueBtnClick);
    OnClick(scanBtn_, &TTopMarginMainPanel::TopMarginScanBtnClick);
    OnClick(input_->ReadButton(), &TTopMarginMainPanel::TopMarginCheckValueBtnClick);
    connect(howToBtn_, &QPushButton::clicked, this,
            [this] { Window().ShowHowTo(THowToTopic::TopMargin); });
}

QWidget *TTopMarginMainPanel::InitialFocus()
{
    return printBtn_;
}

void TTopMarginMainPanel::TopMarginPrintBtnClick()
{
    // The print goes on whatever the wait for a ready printer gave: the stream itself waits
    // out a busy printer and asks for paper.
    Window().ShowStatus(TPMode::Working, QStringLiteral("Printing now..."));
    const uint16_t code = TopMargin(Window()).Print();
    if (code != TPResult::Ok) {
        Window().ReportError(code);
        return;
    }
    Window().ShowStatus(
        TPMode::DoneAfterWait,
        QStringLiteral("The top margin adjustment pattern print has been completed."));
}

void TTopMarginMainPanel::TopMarginInputValueBtnClick()
{
    MarginInput(
        Window(), *input_, [this](int value) { return TopMargin(Window()).Write(value); },
        QStringLiteral("The top margin adjustment value has been written properly."),
        TPSummaryCell::TopMargin);
}

void TTopMarginMainPanel::TopMarginCheckValueBtnClick()
{
    MarginRead(Window(), *input_, TPTopMargin::Address,
               QStringLiteral("The top margin adjustment value has been read properly."));
}

void TTopMarginMainPanel::TopMarginScanBtnClick()
{
    MarginScanRead(
        Window(), this, *input_, TPTopMargin::Address,
        QStringLiteral("The top margin adjustment value has been read properly."),
        [](TPScan::TPPageReader &reader, int printed) { return reader.ReadTopMargin(printed); });
}
