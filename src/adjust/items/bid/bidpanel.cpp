#include "bidpanel.h"

#include "adjust/accessnames.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "adjust/items/updown.h"
#include "adjust/radiolist.h"
#include "adjust/scanreading.h"
#include "link/program.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace
{
constexpr int PgMinusIndex = 1;
constexpr int TypPaperSettings = 2;
constexpr int PgPaperSettings = 3;
constexpr int PaperFeedLines = 12;
const QString SelectItem = QStringLiteral("Please select item.");

QString ControlName(TPBid::Item item, const char *kind)
{
    return QStringLiteral("Bid%1%2").arg(QLatin1String(TPBid::Info(item).key), QLatin1String(kind));
}

bool IsEco(int item)
{
    return item == TPBid::EcoBlack || item == TPBid::EcoColor;
}

bool Any(const TPBid::Selection &selection)
{
    return std::any_of(selection.begin(), selection.end(), [](bool on) { return on; });
}

QStringList GapItems()
{
    return {QStringLiteral("Typ"), QStringLiteral("PG-")};
}
} // namespace

TBidPanel::TBidPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), bid_(window.Program().dll, window.Program().raster,
                                       window.Program().status, window.Program().factory)
{
    BuildPrintPage();
    BuildInputPage();
}

QPushButton *TBidPanel::AddButton(const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    return button;
}

void TBidPanel::BuildPrintPage()
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("Bi-D adjustment "));
    AddText(layout,
            QStringLiteral(
                "Click the [Print] button to print Bi-D adjustment pattern of checked items."));
    AddText(layout,
            QStringLiteral("Typ: Use Normal Paper (A4/Letter size)                          "
                           "PG-: Use Photo Paper/Glossy Photo Paper (A4/Letter size)"));
    AddText(layout, QStringLiteral("Please adjust with two kinds of PG."));

    auto *boxes = new QGridLayout;
    for (int item = 0; item < TPBid::ItemCount; ++item) {
        auto *box = new QCheckBox(QLatin1String(TPBid::Info(TPBid::Item(item)).name),
                                  layout->parentWidget());
        box->setObjectName(ControlName(TPBid::Item(item), "PrnRequestCheckBox"));
        box->setChecked(true);
        boxes->addWidget(box, item / 2, item % 2);
        printChecks_[size_t(item)] = box;
    }
    printGap_ = new TRadioList(QStringLiteral("PG selection"), GapItems(), layout->parentWidget());
    printGap_->setObjectName(QStringLiteral("PGSelectRadioGrp"));
    printGap_->SetItemIndex(0);
    auto *choices = new QHBoxLayout;
    choices->addLayout(boxes);
    choices->addWidget(printGap_);
    layout->addLayout(choices);

    printOKBtn_ = AddButton("BidPrintOKBtn", QStringLiteral("Print"));
    printOKBtn_->setDefault(true);
    auto *feed = AddButton("BidPrintPaperFeedBtn", QStringLiteral("Paper feed"));
    auto *howTo = AddButton("BidPrintHowToAdjustBtn", QStringLiteral("How to adjust"));
    auto *toInput = AddButton("BidPrintShowInputBtn", QStringLiteral("Go to input page"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {printOKBtn_, feed, howTo, toInput})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    layout->addStretch(1);

    OnClick(printOKBtn_, &TBidPanel::BidPrintOKBtnClick);
    OnClick(feed, &TBidPanel::BidPrintPaperFeedBtnClick);
    OnClick(howTo, &TBidPanel::BidPrintHowToAdjustBtnClick);
    OnClick(toInput, &TBidPanel::BidPrintShowInputBtnClick);
    connect(printGap_, &TRadioList::Clicked, this, &TBidPanel::PGSelectRadioGrpClick);
}

void TBidPanel::BuildInputPage()
{
    QVBoxLayout *layout = AddPage(QStringLiteral("BidInputPnl"));
    QWidget *page = layout->parentWidget();
    AddTitle(layout, QStringLiteral("Bi-D adjustment "));
    AddText(
        layout,
        QStringLiteral("Click the [Input] button to write the adjustment value of checked items."));
    AddText(layout, QStringLiteral("The range of adjustment value is -35 to 35."));
    AddText(layout, QStringLiteral("Please adjust with two kinds of PG."));

    auto *grid = new QGridLayout;
    for (int i = 0; i < TPBid::ItemCount; ++i) {
        const auto item = TPBid::Item(i);
        auto *box = new QCheckBox(QLatin1String(TPBid::Info(item).name), page);
        box->setObjectName(ControlName(item, "InputCheckBox"));
        auto *edit = new QLineEdit(QStringLiteral("0"), page);
        edit->setObjectName(ControlName(item, "InputEdit"));
        Access::Name(edit, box->text());
        edit->setMaxLength(TPBid::MaxTextLength);
        edit->setFixedWidth(48);
        edit->setToolTip(QStringLiteral("-35 to 35"));
        auto *upDown = new TUpDown(edit, TPBid::MinValue, TPBid::MaxValue, 1, page);
        upDown->setObjectName(ControlName(item, "InputUpDown"));
        Access::Name(upDown, box->text() + QStringLiteral(" up and down"));
        const int row = i / 2, column = (i % 2) * 3;
        grid->addWidget(box, row, column);
        grid->addWidget(edit, row, column + 1);
        grid->addWidget(upDown, row, column + 2);
        inputChecks_[size_t(i)] = box;
        inputEdits_[size_t(i)] = edit;
        inputUpDowns_[size_t(i)] = upDown;
        connect(edit, &QLineEdit::textChanged, this, [this, item] { BidInputEditChange(item); });
    }
    inputGap_ = new TRadioList(QStringLiteral("PG selection"), GapItems(), page);
    inputGap_->setObjectName(QStringLiteral("PGSelectInputRadioGrp"));
    inputGap_->SetItemIndex(0);
    auto *choices = new QHBoxLayout;
    choices->addLayout(grid);
    choices->addWidget(inputGap_);
    layout->addLayout(choices);

    inputOKBtn_ = AddButton("BidInputOKBtn", QStringLiteral("Input"));
    auto *read = AddButton("BidInputCheckBtn", QStringLiteral("Read"));
    auto *howTo = AddButton("BidInputHowToAdjustBtn", QStringLiteral("How to adjust"));
    auto *toPrint = AddButton("BidInputShowPrintBtn", QStringLiteral("Go to print page"));
    auto *scan = AddButton("BidInputScanBtn", TScanReading::ButtonCaption());
    scan->setAccessibleName(QStringLiteral("Read the values from a scan of the printed page"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {inputOKBtn_, read, scan, howTo, toPrint}) {
        button->setParent(page);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    layout->addStretch(1);

    OnClick(inputOKBtn_, &TBidPanel::BidInputOKBtnClick);
    OnClick(read, &TBidPanel::BidInputCheckBtnClick);
    OnClick(howTo, &TBidPanel::BidPrintHowToAdjustBtnClick);
    OnClick(toPrint, &TBidPanel::BidInputShowPrintBtnClick);
    OnClick(scan, &TBidPanel::BidInputScanBtnClick);
    connect(inputGap_, &TRadioList::Clicked, this, &TBidPanel::PGSelectInputRadioGrpClick);
}

QWidget *TBidPanel::OkButton()
{
    return CurrentPage() == InputPage ? inputOKBtn_ : printOKBtn_;
}

QWidget *TBidPanel::InitialFocus()
{
    return OkButton();
}

TPErrorWording TBidPanel::ItemError(uint16_t code) const
{
    return code == TPResult::BidError ? bid_.ErrorWording() : TPErrorWording{};
}

TPBid::Gap TBidPanel::PrintGap() const
{
    return printGap_->ItemIndex() == PgMinusIndex ? TPBid::Gap::PgMinus : TPBid::Gap::Typ;
}

TPBid::Gap TBidPanel::InputGap() const
{
    return inputGap_->ItemIndex() == PgMinusIndex ? TPBid::Gap::PgMinus : TPBid::Gap::Typ;
}

TPBid::Selection TBidPanel::Checked(const std::array<QCheckBox *, TPBid::ItemCount> &boxes,
                                    TPBid::Gap gap) const
{
    TPBid::Selection selection{};
    for (int item = 0; item < TPBid::ItemCount; ++item)
        selection[size_t(item)] =
            TPBid::Exists(TPBid::Item(item), gap) && boxes[size_t(item)]->isChecked();
    return selection;
}

void TBidPanel::BidPrintOKBtnClick()
{
    TPProgram &program = Window().Program();
    const TPBid::Gap gap = PrintGap();
    uint16_t code = program.remote.SendPaperSettings(gap == TPBid::Gap::Typ ? TypPaperSettings
                                                                            : PgPaperSettings);
    if (code == TPResult::Ok)
        code = program.raster.Flush();
    if (code != TPResult::Ok)
        return Window().ReportError(code);
    const TPBid::Selection selection = Checked(printChecks_, gap);
    if (!Any(selection)) {
        Window().ShowStatus(TPMode::Error, SelectItem);
        return;
    }
    code = Window().ShowStatus(TPMode::Working, QStringLiteral("Printing now..."));
    if (code != TPResult::Ok)
        return Window().ReportError(code);
    code = bid_.PrintPattern(gap, selection);
    if (code != TPResult::Ok) {
        Window().ReportError(code);
        for (const TPMessageLine &line : bid_.PutBackLines())
            Window().ShowStatus(line.mode, line.text);
        return;
    }
    Window().ShowStatus(TPMode::DoneAfterWait,
                        QStringLiteral("The Bi-D pattern print has been completed."));
}

void TBidPanel::BidPrintPaperFeedBtnClick()
{
    TPRaster &raster = Window().Program().raster;
    uint16_t code = raster.NewLines(PaperFeedLines);
    if (code == TPResult::Ok)
        code = raster.Flush();
    if (code != TPResult::Ok)
        Window().ReportError(code);
}

void TBidPanel::BidPrintHowToAdjustBtnClick()
{
    Window().ShowHowTo(THowToTopic::Bid);
}

void TBidPanel::BidPrintShowInputBtnClick()
{
    ShowPage(InputPage);
    ReadValues();
}

void TBidPanel::BidInputShowPrintBtnClick()
{
    ShowPage(0);
}

void TBidPanel::BidInputOKBtnClick()
{
    const TPBid::Gap gap = InputGap();
    const TPBid::Selection selection = Checked(inputChecks_, gap);
    if (!Any(selection)) {
        Window().ShowStatus(TPMode::Error, SelectItem);
        return;
    }
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Writing now..."), TPEepromSession::OnPrinterError::Report))
        return;
    for (int i = 0; i < TPBid::ItemCount; ++i) {
        if (!selection[size_t(i)])
            continue;
        const uint16_t code = bid_.WriteValue(TPBid::Item(i), inputEdits_[size_t(i)]->text(), gap);
        if (!session.Check(code)) {
            if (code == TPResult::BidError && bid_.FailedItem())
                inputEdits_[size_t(*bid_.FailedItem())]->setFocus();
            return;
        }
    }
    if (!session.Finish(TPMode::DoneAfterWait,
                        QStringLiteral("The Bi-D adjustment value has been written properly.")))
        return;
    for (int i = 0; i < TPBid::ItemCount; ++i) {
        if (!selection[size_t(i)])
            continue;
        const TPBid::ItemInfo &info = TPBid::Info(TPBid::Item(i));
        const TPSummaryCell cell = gap == TPBid::Gap::Typ ? info.typCell : *info.pgCell;
        Window().SetSummaryValue(cell, inputEdits_[size_t(i)]->text());
    }
}

void TBidPanel::BidInputCheckBtnClick()
{
    ReadValues();
}

void TBidPanel::ReadValues()
{
    for (QLineEdit *edit : inputEdits_)
        edit->clear();
    repaint();
    const TPBid::Gap gap = InputGap();
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::Report))
        return;
    std::array<QString, TPBid::ItemCount> values;
    for (int i = 0; i < TPBid::ItemCount; ++i) {
        if (TPBid::Exists(TPBid::Item(i), gap) &&
            !session.Check(bid_.ReadValue(TPBid::Item(i), gap, &values[size_t(i)])))
            return;
    }
    if (!session.Finish(TPMode::Done,
                        QStringLiteral("The Bi-D adjustment value has been read properly.")))
        return;
    for (int i = 0; i < TPBid::ItemCount; ++i)
        inputEdits_[size_t(i)]->setText(values[size_t(i)]);
    for (QCheckBox *box : inputChecks_)
        box->setChecked(false);
}

void TBidPanel::PGSelectRadioGrpClick()
{
    const bool typ = PrintGap() == TPBid::Gap::Typ;
    for (int item = 0; item < TPBid::ItemCount; ++item) {
        if (IsEco(item))
            printChecks_[size_t(item)]->setEnabled(typ);
    }
}

void TBidPanel::PGSelectInputRadioGrpClick()
{
    const bool typ = InputGap() == TPBid::Gap::Typ;
    for (int item = 0; item < TPBid::ItemCount; ++item) {
        if (!IsEco(item))
            continue;
        inputChecks_[size_t(item)]->setEnabled(typ);
        inputEdits_[size_t(item)]->setEnabled(typ);
        inputUpDowns_[size_t(item)]->setEnabled(typ);
    }
    ReadValues();
}

void TBidPanel::BidInputEditChange(TPBid::Item item)
{
    inputChecks_[size_t(item)]->setChecked(!inputEdits_[size_t(item)]->text().isEmpty());
}

void TBidPanel::BidInputScanBtnClick()
{
    const QImage image = TScanReading::AskForImage(this, Window());
    if (image.isNull())
        return;
    // The page shows the items checked for printing, numbered from the stored values.
    const TPBid::Gap gap = InputGap();
    const TPBid::Selection printed = Checked(printChecks_, gap);
    if (!Any(printed)) {
        Window().ShowStatus(TPMode::Error, SelectItem);
        return;
    }
    std::vector<TPScan::BidPrinted> blocks;
    std::vector<int> items;
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::Report))
        return;
    for (int i = 0; i < TPBid::ItemCount; ++i) {
        if (!printed[size_t(i)])
            continue;
        QString stored;
        if (!session.Check(bid_.ReadValue(TPBid::Item(i), gap, &stored)))
            return;
        blocks.push_back({QLatin1String(TPBid::Info(TPBid::Item(i)).name), stored.toInt()});
        items.push_back(i);
    }
    if (!session.Finish(TPMode::Done,
                        QStringLiteral("The Bi-D adjustment value has been read properly.")))
        return;

    const TPScan::PageReading reading = TPScan::TPPageReader(image).ReadBid(blocks);
    if (reading.Found()) {
        for (size_t k = 0; k < reading.items.size() && k < items.size(); ++k) {
            const TPScan::ItemReading &item = reading.items[k];
            if (TScanReading::Fills(item))
                inputEdits_[size_t(items[k])]->setText(QString::number(*item.proposal));
        }
    }
    TScanReading::Report(this, Window(), image, reading);
}
