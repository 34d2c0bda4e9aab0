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
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
constexpr int DisableTimerInterval = 100;

const QColor WorkingColour(0, 0, 255);
const QColor ResultColour(0, 0, 0);
const QColor ErrorColour(255, 0, 0);

const QString CrOffsetPanel = QStringLiteral("CRHeatProtectOffsetPnl");

// Places the full caption of the CR offset item over the short caption of its radio entry.
class Memo1Placer : public QObject
{
public:
    Memo1Placer(QRadioButton *button, QWidget *memo) : QObject(button), button_(button), memo_(memo)
    {
        button->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == button_ &&
            (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
             event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange))
            Place();
        return false;
    }

    void Place()
    {
        QStyleOptionButton option;
        option.initFrom(button_);
        const QRect contents =
            button_->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button_);
        memo_->setGeometry(contents.left(), 0, button_->width() - contents.left(),
                           button_->height());
        memo_->raise();
    }

private:
    QRadioButton *button_;
    QWidget *memo_;
};
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
// Building the window

void TFormAdjust::BuildWindow()
{
    auto *top = new QHBoxLayout;
    adjustmentTab_ = new QTabWidget(this);
    adjustmentTab_->setObjectName(QStringLiteral("AdjustmentTab"));
    for (int list = 0; list < TItemRegistry::ListCount; ++list) {
        const auto which = static_cast<TItemRegistry::List>(list);
        adjustmentTab_->addTab(BuildListPage(which), TItemRegistry::PageCaption(which));
    }
    adjustmentTab_->setFixedWidth(300);
    connect(adjustmentTab_, &QTabWidget::currentChanged, this,
            [this](int) { AdjustmentTabChange(); });
    top->addWidget(adjustmentTab_);
    top->addWidget(BuildItemArea(), 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(BuildBottomRow());

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (isEnabled() && adjustQuitBtn_->isEnabled())
            adjustQuitBtn_->click();
    });
    resize(1000, 720);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QWidget *TFormAdjust::BuildListPage(TItemRegistry::List list)
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet%1").arg(list + 1));
    QStringList captions;
    for (const auto &entry : TItemRegistry::EntriesOf(list))
        captions << entry.caption;
    auto *radios = new TRadioList(TItemRegistry::ListCaption(list), captions, page);
    radios->setObjectName(TItemRegistry::ListName(list));
    for (int i = 0; i < radios->Count(); ++i)
        radios->Button(i)->setObjectName(
            QStringLiteral("%1Item%2").arg(radios->objectName()).arg(i));
    lists_[list] = radios;
    connect(radios, &TRadioList::Clicked, this, [this, list](int) { ListClick(list); });

    if (list == TItemRegistry::Adjustment) {
        QRadioButton *crItem = radios->Button(TItemRegistry::IndexOf(CrOffsetPanel));
        // The entry keeps its short caption (for assistive tools) but paints it invisibly;
        // the full caption lies over it, in the entry's own text colours.
        const QPalette shown = crItem->palette();
        QPalette hidden = shown;
        QPalette memoPalette;
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            hidden.setColor(group, QPalette::WindowText, Qt::transparent);
            hidden.setColor(group, QPalette::ButtonText, Qt::transparent);
            memoPalette.setColor(group, QPalette::WindowText,
                                 shown.color(group, QPalette::WindowText));
        }
        crItem->setPalette(hidden);
        memo1_ = new TClickText(crItem);
        memo1_->setPalette(memoPalette);
        memo1_->setForegroundRole(QPalette::WindowText);
        memo1_->setObjectName(QStringLiteral("Memo1"));
        memo1_->setAccessibleName(QStringLiteral("Memo1"));
        memo1_->setWordWrap(true);
        memo1_->setFocusPolicy(Qt::NoFocus);
        crItem->setMinimumHeight(2 * crItem->sizeHint().height());
        new Memo1Placer(crItem, memo1_);
        connect(memo1_, &TClickText::Clicked, this, &TFormAdjust::Memo1Click);
    }

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(radios);
    return page;
}

QWidget *TFormAdjust::BuildItemArea()
{
    canvasPnl_ = new QFrame(this);
    canvasPnl_->setObjectName(QStringLiteral("CanvasPnl"));
    static_cast<QFrame *>(canvasPnl_)->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *layout = new QVBoxLayout(canvasPnl_);
    adjustedItemsPnl_ = new TAdjustedItemsPanel(canvasPnl_);
    layout->addWidget(adjustedItemsPnl_);
    BuildItemPanels(canvasPnl_);
    return canvasPnl_;
}

void TFormAdjust::BuildItemPanels(QWidget *canvas)
{
    int index[TItemRegistry::ListCount] = {};
    for (const auto &entry : TItemRegistry::Entries()) {
        const std::pair<int, int> key{entry.list, index[entry.list]++};
        QWidget *panel = nullptr;
        if (entry.make) {
            TItemPanel *item = entry.make(*this, canvas);
            items_[key] = item;
            panel = item;
        } else {
            panel = new QWidget(canvas);
        }
        panel->setObjectName(entry.panelName);
        panel->hide();
        canvas->layout()->addWidget(panel);
        panels_[key] = panel;
    }
}

QWidget *TFormAdjust::BuildBottomRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    statusMemo_ = new TStatusMemo(row);
    statusMemo_->setObjectName(QStringLiteral("StatusMemo"));
    statusMemo_->setAccessibleName(QStringLiteral("StatusMemo"));
    statusMemo_->setFixedHeight(120);
    layout->addWidget(statusMemo_, 1);

    auto *side = new QVBoxLayout;
    auto *returnPnl = new QFrame(row);
    returnPnl->setObjectName(QStringLiteral("ReturnPnl"));
    returnPnl->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto *returnLayout = new QVBoxLayout(returnPnl);
    modelNameLbl_ = new QLabel(returnPnl);
    modelNameLbl_->setObjectName(QStringLiteral("ModelNameLbl"));
    modelNameLbl_->setAccessibleName(QStringLiteral("ModelNameLbl"));
    modelNameLbl_->setAlignment(Qt::AlignCenter);
    QFont font = modelNameLbl_->font();
    font.setBold(true);
    modelNameLbl_->setFont(font);
    returnLayout->addWidget(modelNameLbl_);
    side->addWidget(returnPnl);

    getStatusBtn_ = new QPushButton(QStringLiteral("Get Status"), row);
    getStatusBtn_->setObjectName(QStringLiteral("GetStatusBtn"));
    adjustQuitBtn_ = new QPushButton(QStringLiteral("Quit"), row);
    adjustQuitBtn_->setObjectName(QStringLiteral("AdjustQuitBtn"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(getStatusBtn_);
    buttons->addWidget(adjustQuitBtn_);
    side->addLayout(buttons);
    side->addStretch(1);
    layout->addLayout(side);

    connect(getStatusBtn_, &QPushButton::clicked, this, &TFormAdjust::GetStatusBtnClick);
    connect(adjustQuitBtn_, &QPushButton::clicked, this, &TFormAdjust::AdjustQuitBtnClick);
    return row;
}

QWidget *TFormAdjust::ItemPanel(TItemRegistry::List list, int index) const
{
    const auto found = panels_.find({list, index});
    return found == panels_.end() ? nullptr : found->second;
}

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
        setEnabled(false);
        setCursor(Qt::WaitCursor);
    } else {
        setEnabled(true);
        setCursor(Qt::ArrowCursor);
    }
}

void TFormAdjust::StartDisableTimer()
{
    disableTimer_->start();
}

void TFormAdjust::DisableTimerTimer()
{
    setEnabled(true);
    disableTimer_->stop();
}

// ---------------------------------------------------------------------------------------
// Error report and item locks

void TFormAdjust::ReportError(uint16_t code)
{
    setEnabled(true);
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
    // While an operation runs the window is disabled and does not close under it.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    // Gone from the screen before the quit window comes up.
    hide();
    event->accept();
    FormClose();
}
