#include "pwsensorpanel.h"

#include "adjust/accessnames.h"
#include "adjust/items/updown.h"
#include "adjust/scanreading.h"
#include "print/checkpattern.h"

#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "link/program.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace
{
constexpr int EditWidth = 48;
constexpr int MaxDigits = 3;

struct SideLook {
    const char *caption;
    const char *checkBoxName;
    const char *editName;
    const char *upDownName;
    TPSummaryCell cell;
};

// Indexed by TPPWAdjust::Side.
constexpr SideLook Looks[TPPWAdjust::SideCount] = {
    {"Right", "PWSensorHMXUCheckBox", "PWSensorHMXUEdit", "PWSensorHMXUUpDown",
     TPSummaryCell::PwRight},
    {"Left", "PWSensorHMXDCheckBox", "PWSensorHMXDEdit", "PWSensorHMXDUpDown",
     TPSummaryCell::PwLeft},
    {"Top", "PWSensorHMYUCheckBox", "PWSensorHMYUEdit", "PWSensorHMYUUpDown", TPSummaryCell::PwTop},
    {"Bottom", "PWSensorHMYDCheckBox", "PWSensorHMYDEdit", "PWSensorHMYDUpDown",
     TPSummaryCell::PwBottom},
};

// Where each side sits in the input grid: the sheet's edges as they lie on the pattern.
constexpr TPPWAdjust::Side LayoutOrder[] = {TPPWAdjust::Top, TPPWAdjust::Bottom, TPPWAdjust::Right,
                                            TPPWAdjust::Left};

} // namespace

TPWSensorPanel::TPWSensorPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), pwAdjust_(window.Program().dll)
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("PW sensor adjustment  "));
    layout->addSpacing(6);
    layout->addWidget(BuildInputGroup());
    layout->addWidget(BuildPrintGroup());

    howToBtn_ = new QPushButton(QStringLiteral("How to adjust"), this);
    howToBtn_->setObjectName(QStringLiteral("PWSensorHowToAdjustBtn"));
    howToBtn_->setToolTip(QStringLiteral("How to read the printed pattern"));
    auto *howToRow = new QHBoxLayout;
    howToRow->addStretch(1);
    howToRow->addWidget(howToBtn_);
    layout->addLayout(howToRow);
    layout->addStretch(1);

    OnClick(inputBtn_, &TPWSensorPanel::PWSensorInputBtnClick);
    OnClick(checkBtn_, &TPWSensorPanel::PWSensorCheckBtnClick);
    OnClick(printBtn_, &TPWSensorPanel::PWSensorPrintBtnClick);
    OnClick(howToBtn_, &TPWSensorPanel::PWSensorHowToAdjustBtnClick);
    OnClick(scanBtn_, &TPWSensorPanel::PWSensorScanBtnClick);

    // Keyboard order: the four sides as laid out, then Input, Read, Print, How to adjust.
    QWidget *previous = nullptr;
    for (TPPWAdjust::Side side : LayoutOrder) {
        for (QWidget *next : {static_cast<QWidget *>(sides_[side].checkBox),
                              static_cast<QWidget *>(sides_[side].edit)}) {
            if (previous)
                setTabOrder(previous, next);
            previous = next;
        }
    }
    for (QWidget *next : {static_cast<QWidget *>(scanBtn_), static_cast<QWidget *>(inputBtn_),
                          static_cast<QWidget *>(checkBtn_), static_cast<QWidget *>(printBtn_),
                          static_cast<QWidget *>(howToBtn_)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

QWidget *TPWSensorPanel::BuildInputGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Input"), this);
    auto *layout = new QVBoxLayout(group);
    auto *text = new QLabel(QStringLiteral("Click the [Input] button to write the adjustment value "
                                           "of checked items in EEPROM. Click the [Read] button "
                                           "to read the present adjustment value."),
                            group);
    text->setWordWrap(true);
    layout->addWidget(text);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    int index = 0;
    for (TPPWAdjust::Side side : LayoutOrder) {
        grid->addWidget(BuildSide(side), index / 2, index % 2);
        ++index;
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    inputBtn_ = new QPushButton(QStringLiteral("Input"), group);
    inputBtn_->setObjectName(QStringLiteral("PWSensorInputBtn"));
    inputBtn_->setDefault(true);
    checkBtn_ = new QPushButton(QStringLiteral("Read"), group);
    checkBtn_->setObjectName(QStringLiteral("PWSensorCheckBtn"));
    scanBtn_ = new QPushButton(TScanReading::ButtonCaption(), group);
    scanBtn_->setObjectName(QStringLiteral("PWSensorScanBtn"));
    scanBtn_->setAccessibleName(QStringLiteral("Read from scan"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(scanBtn_);
    buttons->addStretch(1);
    buttons->addWidget(inputBtn_);
    buttons->addWidget(checkBtn_);
    layout->addLayout(buttons);
    return group;
}

QWidget *TPWSensorPanel::BuildSide(TPPWAdjust::Side side)
{
    const SideLook &look = Looks[side];
    const TPPWAdjust::SideRule &rule = TPPWAdjust::RuleOf(side);
    auto *box = new QWidget(this);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);

    SideControls &controls = sides_[side];
    controls.checkBox = new QCheckBox(QString::fromLatin1(look.caption), box);
    controls.checkBox->setObjectName(QString::fromLatin1(look.checkBoxName));
    controls.checkBox->setMinimumWidth(70);
    controls.edit = new QLineEdit(QStringLiteral("0"), box);
    controls.edit->setObjectName(QString::fromLatin1(look.editName));
    Access::Name(controls.edit, QString::fromLatin1(look.caption));
    controls.edit->setMaxLength(MaxDigits);
    controls.edit->setFixedWidth(EditWidth);
    controls.edit->setAlignment(Qt::AlignRight);
    controls.edit->setToolTip(QStringLiteral("%1 to %2 (Up/Down keys step the value)")
                                  .arg(rule.minimum)
                                  .arg(rule.maximum));
    auto *upDown = new TUpDown(controls.edit, rule.minimum, rule.maximum, 1, box);
    upDown->setObjectName(QString::fromLatin1(look.upDownName));
    Access::Name(upDown, QString::fromLatin1(look.caption) + QStringLiteral(" up and down"));

    row->addWidget(controls.checkBox);
    row->addWidget(controls.edit);
    row->addWidget(upDown);
    row->addStretch(1);
    constexpr void (TPWSensorPanel::*handlers[TPPWAdjust::SideCount])() = {
        &TPWSensorPanel::PWSensorHMXUEditChange, &TPWSensorPanel::PWSensorHMXDEditChange,
        &TPWSensorPanel::PWSensorHMYUEditChange, &TPWSensorPanel::PWSensorHMYDEditChange};
    connect(controls.edit, &QLineEdit::textChanged, this, handlers[side]);
    return box;
}

QWidget *TPWSensorPanel::BuildPrintGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Print"), this);
    auto *layout = new QHBoxLayout(group);
    auto *texts = new QVBoxLayout;
    texts->addWidget(
        new QLabel(QStringLiteral("Click the [Print] button to print check pattern."), group));
    texts->addWidget(new QLabel(QStringLiteral("Use Normal Paper (A4/Letter size)"), group));
    layout->addLayout(texts, 1);
    printBtn_ = new QPushButton(QStringLiteral("Print"), group);
    printBtn_->setObjectName(QStringLiteral("PWSensorPrintBtn"));
    layout->addWidget(printBtn_, 0, Qt::AlignBottom);
    return group;
}

void TPWSensorPanel::Prepare()
{
    TItemPanel::Prepare();
    for (SideControls &controls : sides_) {
        controls.edit->clear();
        controls.checkBox->setChecked(false);
    }
}

QWidget *TPWSensorPanel::InitialFocus()
{
    return sides_[LayoutOrder[0]].checkBox;
}

TPErrorWording TPWSensorPanel::ItemError(uint16_t code) const
{
    return pwAdjust_.Wording(code);
}

void TPWSensorPanel::EditChange(TPPWAdjust::Side side)
{
    SideControls &controls = sides_[side];
    controls.checkBox->setChecked(TPPWAdjust::ChecksBox(controls.edit->text()));
}

bool TPWSensorPanel::AnyChecked() const
{
    for (const SideControls &controls : sides_) {
        if (controls.checkBox->isChecked())
            return true;
    }
    return false;
}

void TPWSensorPanel::PWSensorInputBtnClick()
{
    if (!AnyChecked()) {
        Window().ShowStatus(TPMode::Error, QStringLiteral("Please select item."));
        return;
    }
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Writing now..."), TPEepromSession::OnPrinterError::Report))
        return;
    for (TPPWAdjust::Side side : TPPWAdjust::WriteOrder) {
        const SideControls &controls = sides_[side];
        if (!controls.checkBox->isChecked())
            continue;
        const uint16_t code =
            pwAdjust_.WriteSide(side, TPPWAdjust::ValueOfText(controls.edit->text()));
        if (!session.Check(code)) {
            if (code == TPResult::PwSensorError)
                controls.edit->setFocus();
            return;
        }
    }
    if (!session.Check(Window().Program().factory.FactoryCommand50()))
        return;
    if (!session.Finish(
            TPMode::DoneAfterWait,
            QStringLiteral("The PW sensor adjustment value has been written properly.")))
        return;
    for (int side = 0; side < TPPWAdjust::SideCount; ++side) {
        if (sides_[side].checkBox->isChecked())
            Window().SetSummaryValue(Looks[side].cell, sides_[side].edit->text());
    }
}

void TPWSensorPanel::PWSensorCheckBtnClick()
{
    for (SideControls &controls : sides_)
        controls.edit->clear();
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::Report))
        return;
    std::array<QString, TPPWAdjust::SideCount> values;
    for (TPPWAdjust::Side side : TPPWAdjust::ReadOrder) {
        if (!session.Check(pwAdjust_.ReadSide(side, &values[side])))
            return;
    }
    for (int side = 0; side < TPPWAdjust::SideCount; ++side)
        sides_[side].edit->setText(values[side]);
    for (SideControls &controls : sides_)
        controls.checkBox->setChecked(false);
    session.Finish(TPMode::DoneAfterWait,
                   QStringLiteral("The PW sensor adjustment value has been read properly."));
}

void TPWSensorPanel::PWSensorPrintBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Printing now..."), TPEepromSession::OnPrinterError::Report))
        return;
    TPCheckPattern pattern(Window().Program());
    if (session.Check(pattern.PwSensorPattern()))
        session.Finish(
            TPMode::DoneAfterWait,
            QStringLiteral("The PW sensor adjustment pattern print has been completed."));
    // The print cleared the stored corrections on purpose; a technician who does not write
    // new ones can type the old ones back.
    if (const auto cleared = pattern.ClearedPwValues()) {
        const TPCheckPattern::PwValues &v = *cleared;
        Window().ShowStatus(TPMode::NewLine,
                            QStringLiteral("The print cleared the stored PW sensor values; they "
                                           "were Right %1, Left %2, Top %3, Bottom %4.")
                                .arg(v[0])
                                .arg(v[1])
                                .arg(v[2])
                                .arg(v[3]));
    }
}

void TPWSensorPanel::PWSensorScanBtnClick()
{
    const QImage image = TScanReading::AskForImage(this, Window());
    if (image.isNull())
        return;
    const TPScan::PageReading reading = TPScan::TPPageReader(image).ReadPwSensor();
    // The reader names its items as the check boxes do; those it cannot read stay as they are.
    for (const TPScan::ItemReading &item : reading.items) {
        for (int side = 0; side < TPPWAdjust::SideCount; ++side) {
            if (item.item == QLatin1String(Looks[side].caption) && TScanReading::Fills(item))
                sides_[side].edit->setText(QString::number(*item.proposal));
        }
    }
    TScanReading::Report(this, Window(), image, reading);
}

void TPWSensorPanel::PWSensorHowToAdjustBtnClick()
{
    Window().ShowHowTo(THowToTopic::PwSensor);
}
