#include "headangularpanel.h"

#include "adjust/accessnames.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/updown.h"
#include "adjust/scanreading.h"
#include "link/program.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int UpDownStep = 3;

QPushButton *MakeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QVBoxLayout *AddGroup(QVBoxLayout *layout, const QString &caption)
{
    auto *group = new QGroupBox(caption, layout->parentWidget());
    layout->addWidget(group);
    return new QVBoxLayout(group);
}

void AddLine(QVBoxLayout *layout, const QString &text)
{
    auto *label = new QLabel(text, layout->parentWidget());
    label->setWordWrap(true);
    layout->addWidget(label);
}

void AddRight(QVBoxLayout *layout, std::initializer_list<QWidget *> widgets)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *widget : widgets)
        row->addWidget(widget);
    layout->addLayout(row);
}
} // namespace

THeadAngularPanel::THeadAngularPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent),
      headAngular_(window.Program().dll, window.Program().raster, window.Program().remote,
                   window.Program().factory, window.Program().status)
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("Head angular adjustment "));

    QVBoxLayout *print = AddGroup(layout, QStringLiteral("Print"));
    AddLine(print, QStringLiteral("Click the [Print] button to print check pattern."));
    AddLine(print, QStringLiteral("Use Photo Quality Ink Jet Paper (A4/Letter size)"));
    printBtn_ = MakeButton("HeadAngularPrintBtn", QStringLiteral("Print"), print->parentWidget());
    AddRight(print, {printBtn_});

    QVBoxLayout *input = AddGroup(layout, QStringLiteral("Input"));
    AddLine(input, QStringLiteral("Click the [Input] button to write the adjustment value in "
                                  "EEPROM. Click the [Read] button to read the present "
                                  "adjustment value."));
    AddLine(input, QStringLiteral("The range of the adjustment value is -3 to 3."));
    QWidget *inputGroup = input->parentWidget();
    inputEdit_ = new QLineEdit(QStringLiteral("0"), inputGroup);
    inputEdit_->setObjectName(QStringLiteral("HeadAngularInputEdit"));
    Access::Name(inputEdit_, QStringLiteral("Head angular value"));
    inputEdit_->setReadOnly(true);
    inputEdit_->setMaxLength(TPHeadAngular::MaxTextLength);
    inputEdit_->setFixedWidth(48);
    inputEdit_->setToolTip(QStringLiteral("-3, 0 or 3: use the arrows"));
    upDown_ = new TUpDown(inputEdit_, TPHeadAngular::MinValue, TPHeadAngular::MaxValue, UpDownStep,
                          inputGroup);
    upDown_->setObjectName(QStringLiteral("HeadAngularAdjustUpDown"));
    Access::Name(upDown_, QStringLiteral("Head angular value up and down"));
    inputBtn_ = MakeButton("HeadAngularInputBtn", QStringLiteral("Input"), inputGroup);
    auto *readBtn = MakeButton("HeadAngularReadBtn", QStringLiteral("Read"), inputGroup);
    auto *scanBtn = MakeButton("HeadAngularScanBtn", TScanReading::ButtonCaption(), inputGroup);
    scanBtn->setAccessibleName(QStringLiteral("Read the value from a scan of the printed page"));
    auto *valueRow = new QHBoxLayout;
    valueRow->addWidget(inputEdit_);
    valueRow->addWidget(upDown_);
    valueRow->addStretch(1);
    valueRow->addWidget(inputBtn_);
    valueRow->addWidget(readBtn);
    valueRow->addWidget(scanBtn);
    input->addLayout(valueRow);

    QVBoxLayout *feed = AddGroup(layout, QStringLiteral("Paper feed"));
    AddLine(feed, QStringLiteral("Click the [Paper feed] button to perform paper feed."));
    auto *feedBtn =
        MakeButton("HeadAngularPaperFeedBtn", QStringLiteral("Paper feed"), feed->parentWidget());
    AddRight(feed, {feedBtn});

    auto *howToBtn = MakeButton("HeadAngularAdjustHowToBtn", QStringLiteral("How to adjust"), this);
    AddRight(layout, {howToBtn});
    layout->addStretch(1);

    OnClick(printBtn_, &THeadAngularPanel::HeadAngularPrintBtnClick);
    OnClick(inputBtn_, &THeadAngularPanel::HeadAngularInputBtnClick);
    OnClick(readBtn, &THeadAngularPanel::HeadAngularReadBtnClick);
    OnClick(scanBtn, &THeadAngularPanel::HeadAngularScanBtnClick);
    OnClick(feedBtn, &THeadAngularPanel::HeadAngularPaperFeedBtnClick);
    OnClick(howToBtn, &THeadAngularPanel::HeadAngularAdjustHowToBtnClick);
}

void THeadAngularPanel::Prepare()
{
    TItemPanel::Prepare();
    inputEdit_->clear();
}

QWidget *THeadAngularPanel::OkButton()
{
    return inputBtn_;
}

QWidget *THeadAngularPanel::InitialFocus()
{
    return printBtn_;
}

TPErrorWording THeadAngularPanel::ItemError(uint16_t code) const
{
    return code == TPResult::HeadAngularError ? headAngular_.ErrorWording() : TPErrorWording{};
}

void THeadAngularPanel::HeadAngularPrintBtnClick()
{
    uint16_t code = Window().ShowStatus(TPMode::Working, QStringLiteral("Printing now..."));
    if (code != TPResult::Ok)
        return Window().ReportError(code);
    code = headAngular_.Print();
    if (code != TPResult::Ok) {
        Window().ReportError(code);
        for (const TPMessageLine &line : headAngular_.PutBackLines())
            Window().ShowStatus(line.mode, line.text);
        return;
    }
    Window().ShowStatus(TPMode::DoneAfterWait,
                        QStringLiteral("The head angular pattern print has been completed."));
}

void THeadAngularPanel::HeadAngularInputBtnClick()
{
    uint16_t code = Window().ShowStatus(TPMode::Working, QStringLiteral("Writing now..."));
    if (code == TPResult::Ok)
        code = headAngular_.WriteValue(inputEdit_->text());
    if (code != TPResult::Ok) {
        Window().ReportError(code);
        if (code == TPResult::HeadAngularError)
            inputEdit_->setFocus();
        return;
    }
    if (Window().ShowStatus(TPMode::DoneAfterWait,
                            QStringLiteral("The head angular adjustment value has been written "
                                           "properly.")) != TPResult::Ok)
        return;
    Window().SetSummaryValue(TPSummaryCell::HeadAngular, inputEdit_->text());
}

void THeadAngularPanel::HeadAngularReadBtnClick()
{
    inputEdit_->clear();
    inputEdit_->repaint();
    uint16_t code = Window().ShowStatus(TPMode::Working, QStringLiteral("Reading now..."));
    QString value;
    if (code == TPResult::Ok)
        code = headAngular_.ReadValue(&value);
    if (code != TPResult::Ok)
        return Window().ReportError(code);
    Window().ShowStatus(
        TPMode::Done, QStringLiteral("The head angular adjustment value has been read properly."));
    inputEdit_->setText(value);
}

void THeadAngularPanel::HeadAngularPaperFeedBtnClick()
{
    const uint16_t code = TPHeadAngular::PaperFeed(Window().Program().raster);
    if (code != TPResult::Ok)
        Window().ReportError(code);
}

void THeadAngularPanel::HeadAngularAdjustHowToBtnClick()
{
    Window().ShowHowTo(THowToTopic::HeadAngular);
}

void THeadAngularPanel::HeadAngularScanBtnClick()
{
    const QImage image = TScanReading::AskForImage(this, Window());
    if (image.isNull())
        return;
    const TPScan::PageReading reading = TPScan::TPPageReader(image).ReadHeadAngular();
    if (reading.Found()) {
        for (const TPScan::ItemReading &item : reading.items) {
            if (TScanReading::Fills(item))
                inputEdit_->setText(QString::number(*item.proposal));
        }
    }
    TScanReading::Report(this, Window(), image, reading);
}
