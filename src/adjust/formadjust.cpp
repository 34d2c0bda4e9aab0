#include "formadjust.h"

#include "adjusteditems.h"
#include "clicktext.h"
#include "dialogs/messagebox.h"
#include "errorreport.h"
#include "items/itempanel.h"
#include "link/program.h"
#include "link/selection.h"
#include "radiolist.h"
#include "statusmemo.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>

namespace
{
constexpr int DisableTimerInterval = 100;

const QColor WorkingColour(0, 0, 255);
const QColor ResultColour(0, 0, 0);
const QColor ErrorColour(255, 0, 0);

const QString CrOffsetPanel = QStringLiteral("CRHeatProtectOffsetPnl");

} // namespace

TFormAdjust::TFormAdjust(TPProgram &program, const TPSelection &selection, QWidget *parent)
    : QWidget(parent), program_(program), selection_(selection)
{
    setObjectName(QStringLiteral("FormAdjust"));
    setWindowTitle(QStringLiteral("Adjustment program"));
    BuildWindow();

    disableTimer_ = new QTimer(this);
    disableTimer_->setObjectName(QStringLiteral("DisableTimer"));
    disableTimer_->setSingleShot(true);
    disableTimer_->setInterval(DisableTimerInterval);
    connect(disableTimer_, &QTimer::timeout, this, &TFormAdjust::DisableTimerTimer);
    disableTimer_->start();

    program_.raster.SetWindowLink(this);
    program_.status.SetWindowLink(this);
}

TFormAdjust::~TFormAdjust() = default;

// ---------------------------------------------------------------------------------------
// Messages

uint16_t TFormAdjust::ShowStatus(TPMode mode, const QString &text)
{
    switch (mode) {
    case TPMode::Result:
        statusMemo_->Replace(text, ResultColour);
        break;
    case TPMode::DoneAfterWait: {
        const uint16_t code = program_.status.WaitUntilReady(false, false);
        if (code != TPResult::Ok) {
            ReportError(code);
            return code;
        }
        statusMemo_->Replace(text, ResultColour);
        setCursor(Qt::ArrowCursor);
        StartDisableTimer();
        break;
    }
    case TPMode::Working: {
        const uint16_t code = program_.status.WaitUntilReady(true, false);
        if (code != TPResult::Ok)
            return code;
        statusMemo_->Replace(text, WorkingColour);
        SetBusy(true);
        break;
    }
    case TPMode::Error:
        statusMemo_->Replace(text, ErrorColour);
        SetBusy(false);
        break;
    case TPMode::Append:
        statusMemo_->Append(text);
        break;
    case TPMode::NewLine:
        statusMemo_->AddLine(text);
        break;
    case TPMode::Done:
        statusMemo_->Replace(text, ResultColour);
        setCursor(Qt::ArrowCursor);
        StartDisableTimer();
        break;
    case TPMode::Busy:
        statusMemo_->Replace(text, WorkingColour);
        SetBusy(true);
        break;
    }
    Repaint();
    return TPResult::Ok;
}

void TFormAdjust::Repaint()
{
    if (!isVisible())
        return;
    // Between two messages only the memo changes, so a run of progress lines repaints just
    // the memo; the whole window when it was disabled or released since its last repaint.
    if (paintedEnabled_ != std::optional<bool>(isEnabled())) {
        paintedEnabled_ = isEnabled();
        repaint();
    } else {
        statusMemo_->repaint();
    }
}

void TFormAdjust::PaperPrompt()
{
    MessageBox::Show(this, MessageBox::Error, QStringLiteral("Error"),
                     QStringLiteral("Paper not loaded correctly.\nReload the paper and press the "
                                    "Paper button on the printer.\nThen click the [OK] button on "
                                    "the screen."));
}

void TFormAdjust::SetBusy(bool busy)
{
    if (busy) {
        // A completion timer still pending must not release the window mid-operation.
        disableTimer_->stop();
        if (!focusBeforeBusy_)
            focusBeforeBusy_ = focusWidget();
        setEnabled(false);
        setCursor(Qt::WaitCursor);
    } else {
        Release();
        setCursor(Qt::ArrowCursor);
    }
}

void TFormAdjust::Release()
{
    setEnabled(true);
    // Disabling the window took the focus away; a keyboard user carries on where they were.
    QWidget *before = focusBeforeBusy_;
    focusBeforeBusy_.clear();
    if (before && before->isVisible() && before->isEnabled() && !focusWidget())
        before->setFocus(Qt::OtherFocusReason);
}

void TFormAdjust::StartDisableTimer()
{
    disableTimer_->start();
}

void TFormAdjust::DisableTimerTimer()
{
    Release();
    disableTimer_->stop();
}

// ---------------------------------------------------------------------------------------
// Error report and item locks

void TFormAdjust::ReportError(uint16_t code)
{
    Release();
    adjustmentTab_->setEnabled(true);
    lists_[TItemRegistry::Maintenance]->setEnabled(true);
    adjustQuitBtn_->setEnabled(true);
    getStatusBtn_->setEnabled(true);
    setCursor(Qt::ArrowCursor);

    if (TPErrorReport::IsItemCode(code)) {
        if (const TItemPanel *item = ShowingItem())
            ShowWording(item->ItemError(code));
        return;
    }
    int16_t ioError = 0;
    if (code == TPResult::PortIoError)
        program_.dll.GateGetIoError(&ioError);
    if (code == TPResult::ChannelError)
        program_.dll.ChanGetErrorCode(); // read to clear it; not shown
    ShowWording(TPErrorReport::ForCode(code, ioError, program_.status.Record()));
}

void TFormAdjust::ShowWording(const TPErrorWording &wording)
{
    for (const TPMessageLine &line : wording.lines)
        ShowStatus(line.mode, line.text);
    if (wording.lock)
        SetItemAvailability(*wording.lock);
}

void TFormAdjust::SetItemAvailability(TPLockLevel level)
{
    int index[TItemRegistry::ListCount] = {};
    for (const auto &entry : TItemRegistry::Entries()) {
        const bool enabled =
            level == TPLockLevel::All || (level == TPLockLevel::ErrorState && entry.inErrorState);
        lists_[entry.list]->SetItemEnabled(index[entry.list]++, enabled);
    }
    memo1_->setEnabled(level == TPLockLevel::All);
    if (level == TPLockLevel::None)
        ShowStatus(TPMode::NewLine, TPErrorReport::RestartAdvice());
}

// ---------------------------------------------------------------------------------------
// Panels and lists

void TFormAdjust::ShowAdjustedItems()
{
    for (const auto &[key, panel] : panels_)
        panel->hide();
    adjustedItemsPnl_->show();
    statusMemo_->Clear(ResultColour);
}

void TFormAdjust::ShowItemPanel(TItemPanel &panel)
{
    adjustedItemsPnl_->hide();
    panel.show();
}

void TFormAdjust::SetSummaryValue(TPSummaryCell cell, const QString &text)
{
    adjustedItemsPnl_->SetValue(SummaryCellName(cell), text);
}

TItemPanel *TFormAdjust::ShowingItem() const
{
    for (const auto &[key, item] : items_) {
        if (!item->isHidden())
            return item;
    }
    return nullptr;
}

void TFormAdjust::ListClick(TItemRegistry::List list)
{
    ShowAdjustedItems();
    const int index = lists_[list]->ItemIndex();
    if (QWidget *panel = ItemPanel(list, index)) {
        const auto item = items_.find({list, index});
        TItemPanel *itemPanel = item == items_.end() ? nullptr : item->second;
        if (itemPanel)
            itemPanel->Prepare();
        adjustedItemsPnl_->hide();
        panel->show();
        if (itemPanel)
            itemPanel->Shown();
    }
    ClearSelections(list != TItemRegistry::Adjustment, list != TItemRegistry::Maintenance,
                    list != TItemRegistry::Appendix);
}

void TFormAdjust::ClearSelections(bool adjustment, bool maintenance, bool appendix)
{
    const bool clear[TItemRegistry::ListCount] = {adjustment, maintenance, appendix};
    for (int list = 0; list < TItemRegistry::ListCount; ++list) {
        if (clear[list])
            lists_[list]->SetItemIndex(-1);
    }
}

void TFormAdjust::AdjustRdoGrpClick()
{
    ListClick(TItemRegistry::Adjustment);
}

void TFormAdjust::MainteRdoGrpClick()
{
    ListClick(TItemRegistry::Maintenance);
}

void TFormAdjust::AppendixRdoGrpClick()
{
    ListClick(TItemRegistry::Appendix);
}

void TFormAdjust::Memo1Click()
{
    const int crOffsetItem = TItemRegistry::IndexOf(CrOffsetPanel);
    lists_[TItemRegistry::Adjustment]->SetItemIndex(crOffsetItem);
    AdjustRdoGrpClick();
    const auto item = items_.find({TItemRegistry::Adjustment, crOffsetItem});
    if (item != items_.end()) {
        if (QWidget *ok = item->second->OkButton())
            ok->setFocus();
    }
}

void TFormAdjust::AdjustmentTabChange()
{
    ShowAdjustedItems();
    canvasPnl_->show();
    statusMemo_->Clear(ResultColour);
    ClearSelections(true, true, true);
}

void TFormAdjust::AdjustQuitBtnClick()
{
    close();
}

// ---------------------------------------------------------------------------------------
// Show, Get Status, close

void TFormAdjust::FormShow()
{
    {
        const QSignalBlocker blocker(adjustmentTab_);
        adjustmentTab_->setCurrentIndex(TItemRegistry::Adjustment);
    }
    memo1_->setText(QStringLiteral("Offset input for CR motor calorific limitation"));
    if (selection_.Model() == TPModel::Q510)
        modelNameLbl_->setText(QStringLiteral("Halden Photo Q510"));
    else if (selection_.Model() == TPModel::Q530)
        modelNameLbl_->setText(QStringLiteral("Halden Photo Q530"));
    GetStatusBtnClick();
}

void TFormAdjust::GetStatusBtnClick()
{
    TPDLLFunction &dll = program_.dll;
    dll.GateClosePort();
    if (dll.GateOpenPort(selection_.PortCode) != TPResult::Ok ||
        dll.GateCheckDeviceId() != TPResult::Ok) {
        ShowWording({TPErrorReport::ConnectionAdvice(), std::nullopt});
        return;
    }
    if (dll.ChanOpen() != TPResult::Ok || program_.status.ReadStatus() != TPResult::Ok) {
        ShowStatus(TPMode::Error, TPErrorReport::CommunicationErrorOccurred());
        SetItemAvailability(TPLockLevel::None);
        return;
    }
    ShowWording(TPErrorReport::StateReport(program_.status.Record()));
}

void TFormAdjust::FormClose()
{
    ShowAdjustedItems();
    canvasPnl_->show();
    adjustedItemsPnl_->ClearValues();

    setCursor(Qt::WaitCursor);
    program_.dll.ChanClose();
    program_.dll.GateClosePort();
    setCursor(Qt::ArrowCursor);

    ClearSelections(true, true, false);
    adjustmentTab_->setEnabled(true);
    {
        const QSignalBlocker blocker(adjustmentTab_);
        adjustmentTab_->setCurrentIndex(TItemRegistry::Adjustment);
    }
    adjustQuitBtn_->setEnabled(true);
    emit Closed();
}

void TFormAdjust::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormAdjust::closeEvent(QCloseEvent *event)
{
    // While an operation runs the window does not close under it: disabled, or enabled by a
    // handler that goes on (the CR measurement between a failed inquiry and the next).
    if (!isEnabled() || runningHandlers_ > 0) {
        event->ignore();
        return;
    }
    // Gone from the screen before the quit window comes up.
    hide();
    event->accept();
    FormClose();
}
