#include "landmarginadjustpanel.h"

#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "adjust/items/margin/margininputpanel.h"
#include "adjust/scanreading.h"
#include "firstdot.h"
#include "link/program.h"

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
    config.orientation = Qt::Horizontal;
    config.millimetresPerStep = TPFirstDot::MillimetresPerStep;
    config.stepPoints = TPFirstDot::StepPoints;
    config.edit = "LandMarginInputEdit";
    config.editCaption = QStringLiteral("First dot value");
    config.upDown = "LandMarginInputUpDown";
    config.firstGauge = "LeftMarginGauge";
    config.firstGaugeCaption = QStringLiteral("Remainder of left margin");
    config.secondGauge = "RightMarginGauge";
    config.secondGaugeCaption = QStringLiteral("Remainder of right margin");
    config.valuePanel = "LandMarginInputRealValuePnl";
    config.valuePanelCaption = QStringLiteral("First dot in millimetres");
    config.toFirstEdge = {"GotoLeftEdgeBitBtn", QStringLiteral("To the edge of left")};
    config.stepToFirst = {"SteptoLeftBitBtn", QStringLiteral("To the left four points at a time")};
    config.centering = {"CenteringBitBtn", QStringLiteral("Centering")};
    config.stepToSecond = {"SteptoRightBitBtn",
                           QStringLiteral("To the right four points at a time")};
    config.toSecondEdge = {"GotoRightEdgeBitBtn", QStringLiteral("To the edge of right")};
    config.inputButton = "LandMarginInputBtn";
    config.readButton = "LandMarginCheckBtn";
    return config;
}

QGroupBox *Group(const QString &caption, const QStringList &lines, QPushButton *button,
                 QWidget *parent)
{
    auto *group = new QGroupBox(caption, parent);
    auto *layout = new QHBoxLayout(group);
    auto *texts = new QVBoxLayout;
    for (const QString &line : lines)
        texts->addWidget(new QLabel(line, group));
    layout->addLayout(texts, 1);
    layout->addWidget(button, 0, Qt::AlignBottom);
    return group;
}

TPFirstDot FirstDot(TAdjustServices &window)
{
    TPProgram &program = window.Program();
    return TPFirstDot(program.factory, program.raster);
}
} // namespace

TLandMarginAdjustPanel::TLandMarginAdjustPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), printBtn_(new QPushButton(QStringLiteral("Print"), this)),
      input_(new TMarginInputGroup(InputConfig(), this)),
      scanBtn_(new QPushButton(TScanReading::ButtonCaption(), this)),
      feedBtn_(new QPushButton(QStringLiteral("Paper feed"), this)),
      howToBtn_(new QPushButton(QStringLiteral("How to adjust"), this))
{
    printBtn_->setObjectName(QStringLiteral("LandMarginPrintBtn"));
    feedBtn_->setObjectName(QStringLiteral("LandMarginFeedBtn"));
    howToBtn_->setObjectName(QStringLiteral("Button3"));

    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("First dot adjustment "));
    layout->addWidget(Group(QStringLiteral("Print"),
                            {QStringLiteral("Click the [Print] button to print check pattern."),
                             QStringLiteral("Use Normal Paper (A4/Letter size)")},
                            printBtn_, this));
    layout->addWidget(input_);
    scanBtn_->setObjectName(QStringLiteral("FirstDotScanBtn"));
    scanBtn_->setAccessibleName(QStringLiteral("Read from scan"));
    auto *scanRow = new QHBoxLayout;
    scanRow->addStretch(1);
    scanRow->addWidget(scanBtn_);
    layout->addLayout(scanRow);
    layout->addWidget(Group(
        QStringLiteral("Paper feed"),
        {QStringLiteral("Click the [Paper feed] button to perform paper feed.")}, feedBtn_, this));
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(howToBtn_);
    layout->addLayout(bottom);
    layout->addStretch(1);

    OnClick(printBtn_, &TLandMarginAdjustPanel::LandMarginPrintBtnClick);
    OnClick(input_->InputButton(), &TLandMarginAdjustPanel::LandMarginInputBtnClick);
    OnClick(scanBtn_, &TLandMarginAdjustPanel::FirstDotScanBtnClick);
    OnClick(input_->ReadButton(), &TLandMarginAdjustPanel::LandMarginCheckBtnClick);
    OnClick(feedBtn_, &TLandMarginAdjustPanel::LandMarginFeedBtnClick);
    connect(howToBtn_, &QPushButton::clicked, this,
            [this] { Window().ShowHowTo(THowToTopic::FirstDot); });
}

QWidget *TLandMarginAdjustPanel::InitialFocus()
{
    return printBtn_;
}

void TLandMarginAdjustPanel::LandMarginPrintBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Printing now..."), TPEepromSession::OnPrinterError::Report))
        return;
    if (!session.Check(FirstDot(Window()).Print()))
        return;
    session.Finish(TPMode::DoneAfterWait,
                   QStringLiteral("The first dot pattern print has been completed."));
}

void TLandMarginAdjustPanel::LandMarginInputBtnClick()
{
    MarginInput(
        Window(), *input_, [this](int value) { return FirstDot(Window()).Write(value); },
        QStringLiteral("The first dot adjustment value has been written properly."),
        TPSummaryCell::FirstDot);
}

void TLandMarginAdjustPanel::LandMarginCheckBtnClick()
{
    MarginRead(Window(), *input_, TPFirstDot::Address,
               QStringLiteral("The first dot adjustment value has been read properly."));
}

void TLandMarginAdjustPanel::LandMarginFeedBtnClick()
{
    const uint16_t code = FirstDot(Window()).PaperFeed();
    if (code != TPResult::Ok)
        Window().ReportError(code);
}

void TLandMarginAdjustPanel::FirstDotScanBtnClick()
{
    MarginScanRead(
        Window(), this, *input_, TPFirstDot::Address,
        QStringLiteral("The first dot adjustment value has been read properly."),
        [](TPScan::TPPageReader &reader, int printed) { return reader.ReadFirstDot(printed); });
}
