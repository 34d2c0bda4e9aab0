#include "crheatprotectpanel.h"

#include "adjust/dialogs/messagebox.h"
#include "adjust/items/adjustservices.h"
#include "link/program.h"
#include "link/wait.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int HintDelayMs = 100;

const QString MeasuringText =
    QStringLiteral("Now, CR motor drive dispersion measurement sequence is running.");
} // namespace

TCRHeatProtectPanel::TCRHeatProtectPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), heatProtect_(window.Program().dll, window.Program().raster,
                                               window.Program().factory, window.Program().status)
{
    QVBoxLayout *layout = PageLayout();
    QLabel *title =
        AddTitle(layout, QStringLiteral("Offset input for CR motor calorific limitation "));
    title->setWordWrap(true);
    layout->addSpacing(6);
    AddText(layout,
            QStringLiteral("Please check all of the replaced parts and click [OK] button."));

    okBtn_ = new QPushButton(QStringLiteral("OK"), this);
    okBtn_->setObjectName(QStringLiteral("CRHeatProtectOffsetOKBtn"));
    okBtn_->setDefault(true);
    auto *row = new QHBoxLayout;
    row->addWidget(BuildPartsGroup(), 1);
    row->addWidget(okBtn_, 0, Qt::AlignBottom);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addWidget(BuildWarning());
    layout->addStretch(1);

    setTabOrder(mainBoard_, psBoard_);
    setTabOrder(psBoard_, crMotor_);
    setTabOrder(crMotor_, crMainShaft_);
    setTabOrder(crMainShaft_, okBtn_);

    OnClick(okBtn_, &TCRHeatProtectPanel::CRHeatProtectOffsetOKBtnClick);

    heatProtect_.SetHooks(
        {[this] { Window().ReportError(TPResult::Communication); },
         [this] { Window().ShowStatus(TPMode::Busy, MeasuringText); },
         [this] {
             MessageBox::Show(
                 Window().OwnerWidget(), MessageBox::Error, QStringLiteral("Error!"),
                 QStringLiteral("CRばらつき実行時にエラーが発生しました。再度、実施して"
                                "ください。"));
         }});
}

QWidget *TCRHeatProtectPanel::BuildPartsGroup()
{
    auto *group = new QGroupBox(QStringLiteral("replaced parts"), this);
    auto *column = new QVBoxLayout(group);
    const auto add = [group, column](QCheckBox *&box, const char *caption, const char *name) {
        box = new QCheckBox(QString::fromUtf8(caption), group);
        box->setObjectName(QString::fromLatin1(name));
        column->addWidget(box);
    };
    add(mainBoard_, "Main board", "ReplaceMainBoardCheckBox");
    add(psBoard_, "PS board", "ReplacePSBoardCheckBox");
    add(crMotor_, "CR motor", "ReplaceCRMotorCheckBox");
    add(crMainShaft_, "CR guide shaft", "ReplaceCRMainShaftCheckBox");
    crMainShaft_->setToolTip(QStringLiteral("Checked: the offset is measured by running the "
                                            "carriage (about one minute)"));
    return group;
}

QWidget *TCRHeatProtectPanel::BuildWarning()
{
    auto *box = new QFrame(this);
    box->setObjectName(QStringLiteral("CRHeatProtectWarningPnl"));
    box->setFrameShape(QFrame::StyledPanel);
    auto *column = new QVBoxLayout(box);
    auto *heading = new QLabel(QStringLiteral("Warning"), box);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setStyleSheet(QStringLiteral("color: #b00000;"));
    column->addWidget(heading);
    const char *const lines[] = {
        "Be sure to perform this sequence when you replace some of the following parts with new "
        "one.",
        "1.Main board",
        "2.CR motor",
        "3.PS board",
        "Excepting the above, do not perform this sequence.",
        "When you replace only the main board, we recommend to perform the EEPROM data copy "
        "function. This function is under the Maintenance Tab. If the copy function is completed "
        "properly, this sequence is not necessary."};
    for (const char *line : lines) {
        auto *label = new QLabel(QString::fromLatin1(line), box);
        label->setWordWrap(true);
        const bool part = line[0] >= '1' && line[0] <= '3';
        label->setIndent(part ? 16 : 0);
        column->addWidget(label);
    }
    return box;
}

void TCRHeatProtectPanel::Prepare()
{
    TItemPanel::Prepare();
    for (QCheckBox *box : {mainBoard_, psBoard_, crMotor_, crMainShaft_})
        box->setChecked(false);
}

QWidget *TCRHeatProtectPanel::InitialFocus()
{
    return mainBoard_;
}

QWidget *TCRHeatProtectPanel::OkButton()
{
    return okBtn_;
}

TPErrorWording TCRHeatProtectPanel::ItemError(uint16_t code) const
{
    return heatProtect_.Wording(code);
}

void TCRHeatProtectPanel::CRHeatProtectOffsetOKBtnClick()
{
    Window().ShowStatus(TPMode::Result, QString());
    if (!mainBoard_->isChecked() && !crMotor_->isChecked() && !psBoard_->isChecked()) {
        Wait::For(HintDelayMs);
        Window().ShowStatus(TPMode::Result,
                            QStringLiteral("It's not necessary to execute this function in case "
                                           "when you've not replaced 1.main board, 2.PS board, "
                                           "and 3.CR motor with new one."));
        return;
    }
    if (crMainShaft_->isChecked())
        RunMeasurement();
    else
        WriteDefault();
}

bool TCRHeatProtectPanel::Confirm(const QString &text)
{
    return MessageBox::Show(Window().OwnerWidget(), MessageBox::Question, QStringLiteral("Confirm"),
                            text, QMessageBox::Ok | QMessageBox::Cancel,
                            QMessageBox::Ok) == QMessageBox::Ok;
}

void TCRHeatProtectPanel::RunMeasurement()
{
    if (!Confirm(QStringLiteral("Once you select OK button, the CR motor drive dispersion "
                                "measurement sequence will be run.")))
        return;
    uint16_t code = Window().ShowStatus(TPMode::Working, MeasuringText);
    if (code == TPResult::Ok)
        code = heatProtect_.RunMeasurement();
    if (code != TPResult::Ok) {
        Window().ReportError(code);
        return;
    }
    Window().ShowStatus(
        TPMode::DoneAfterWait,
        QStringLiteral("A value for the CR motor drive dispersion has successfully registered."));
}

void TCRHeatProtectPanel::WriteDefault()
{
    if (!Confirm(QStringLiteral("Once you select OK button, the offset for CR motor calorific "
                                "limitation will automatically be registered.")))
        return;
    uint16_t code = Window().ShowStatus(TPMode::Working, QStringLiteral("Writing now..."));
    if (code == TPResult::Ok)
        code = heatProtect_.WriteDefaultOffset();
    if (code != TPResult::Ok) {
        Window().ReportError(code);
        return;
    }
    Window().ShowStatus(
        TPMode::DoneAfterWait,
        QStringLiteral("The offset for CR motor calorific limitation has completed."));
}
