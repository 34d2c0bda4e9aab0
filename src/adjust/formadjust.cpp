#include "formadjust.h"

#include "adjusteditems.h"
#include "app/messagebox.h"
#include "app/program.h"
#include "app/selection.h"
#include "clicktext.h"
#include "itempanel.h"
#include "link/dllfunction.h"
#include "link/statuscontrol.h"
#include "print/raster.h"
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
constexpr uint16_t Success = 1;
constexpr int DisableTimerInterval = 100;
constexpr int CrOffsetItem = 8;

const QColor WorkingColour(0, 0, 255);
const QColor ResultColour(0, 0, 0);
const QColor ErrorColour(255, 0, 0);

const QString CommunicationErrorOccurred = QStringLiteral("Communication error occurred.");
const QString CheckConnection =
    QStringLiteral("Check the I/F cable connection and power of printer.");
const QString RestartPrinter =
    QStringLiteral("Restart the printer and click the [Get Status] button.");
const QString ClearError = QStringLiteral("Clear the error and click the [Get Status] button.");

struct PrinterError {
    uint8_t code;
    const char *line;
    bool clearAdvice;
};

constexpr PrinterError PrinterErrors[] = {
    {0, "Fatal error.", false},
    {1, "Communication error.", false},
    {2, "The CD/DVD Guide is open.", false},
    {4, "Paper jam error.", true},
    {5, "Ink out error.", true},
    {6, "Paper out error.", true},
    {16, "Maintenance error.", false},
    {18, "Double feed error.", true},
    {41, "The CD/DVD tray is not set correctly.", false},
};

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

    if (program_.raster)
        program_.raster->SetWindowLink(this);
    if (program_.status)
        program_.status->SetWindowLink(this);
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
        QRadioButton *crItem = radios->Button(CrOffsetItem);
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
    for (const auto &entry : TItemRegistry::Entries()) {
        QWidget *panel = nullptr;
        if (entry.make) {
            TItemPanel *item = entry.make(*this, canvas);
            items_[{entry.list, entry.index}] = item;
            panel = item;
        } else {
            panel = new QWidget(canvas);
            panel->setObjectName(entry.panelName);
        }
        panel->hide();
        canvas->layout()->addWidget(panel);
        panels_[{entry.list, entry.index}] = panel;
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

uint16_t TFormAdjust::ShowStatus(int mode, const QString &text)
{
    switch (mode) {
    case ModeResult:
        statusMemo_->Replace(text, ResultColour);
        break;
    case ModeDoneAfterWait: {
        const uint16_t code = program_.status->WaitUntilReady(false, false);
        if (code != Success) {
            ReportError(code);
            return code;
        }
        statusMemo_->Replace(text, ResultColour);
        setCursor(Qt::ArrowCursor);
        StartDisableTimer();
        break;
    }
    case ModeWorking: {
        const uint16_t code = program_.status->WaitUntilReady(true, false);
        if (code != Success)
            return code;
        statusMemo_->Replace(text, WorkingColour);
        SetBusy(true);
        break;
    }
    case ModeError:
        statusMemo_->Replace(text, ErrorColour);
        SetBusy(false);
        break;
    case ModeAppend:
        statusMemo_->Append(text);
        break;
    case ModeNewLine:
        statusMemo_->AddLine(text);
        break;
    case ModeDone:
        statusMemo_->Replace(text, ResultColour);
        setCursor(Qt::ArrowCursor);
        StartDisableTimer();
        break;
    case ModeBusy:
        statusMemo_->Replace(text, WorkingColour);
        SetBusy(true);
        break;
    default:
        return Success;
    }
    Repaint();
    return Success;
}

void TFormAdjust::Repaint()
{
    if (isVisible())
        repaint();
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

    switch (code) {
    case 0x1000:
        ReportPortIoError();
        SetItemAvailability(3);
        break;
    case 0x1001:
    case 0x3000:
        ShowStatus(ModeError, CommunicationErrorOccurred);
        SetItemAvailability(3);
        break;
    case 0x1100:
        ShowConnectionAdvice();
        SetItemAvailability(3);
        break;
    case 0x2000:
        program_.dll->ChanGetErrorCode(); // read to clear it; not shown
        ShowStatus(ModeError, CommunicationErrorOccurred);
        SetItemAvailability(3);
        break;
    case 0x2001:
        ShowStatus(ModeError, QStringLiteral("Cannot file open."));
        break;
    case PrinterErrorState:
        ShowPrinterError(program_.status->Record().error);
        SetItemAvailability(2);
        break;
    case 0xB000:
        ShowStatus(ModeError, QStringLiteral("Cannot found the DLL files."));
        break;
    case 0xC000:
        ShowStatus(ModeError,
                   QStringLiteral("There is not enough free memory to run this program."));
        ShowStatus(ModeNewLine, QStringLiteral("Quit one or more programs, and then try again."));
        break;
    default:
        ReportItemError(code);
        break;
    }
}

void TFormAdjust::ReportPortIoError()
{
    int16_t ioError = 0;
    program_.dll->GateGetIoError(&ioError);
    switch (ioError) {
    case -105:
    case -104:
    case -103:
    case -82:
    case -81:
        ShowStatus(ModeError, QStringLiteral("Communication error."));
        break;
    default:
        ShowStatus(ModeError, CommunicationErrorOccurred);
        break;
    }
}

bool TFormAdjust::ReportItemError(uint16_t code)
{
    for (const auto &[key, item] : items_) {
        if (item->ReportItemError(code))
            return true;
    }
    return false;
}

void TFormAdjust::ShowConnectionAdvice()
{
    ShowStatus(ModeError, CommunicationErrorOccurred);
    ShowStatus(ModeNewLine, CheckConnection);
}

void TFormAdjust::ShowPrinterError(uint8_t errorCode)
{
    for (const PrinterError &error : PrinterErrors) {
        if (error.code != errorCode)
            continue;
        ShowStatus(ModeError, QString::fromLatin1(error.line));
        if (error.clearAdvice)
            ShowStatus(ModeNewLine, ClearError);
        return;
    }
}

void TFormAdjust::SetItemAvailability(int level)
{
    for (const auto &entry : TItemRegistry::Entries()) {
        const bool enabled = level == 1 || (level == 2 && entry.inErrorState);
        lists_[entry.list]->SetItemEnabled(entry.index, enabled);
    }
    memo1_->setEnabled(level == 1);
    if (level == 3)
        ShowStatus(ModeNewLine, RestartPrinter);
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

void TFormAdjust::SetSummaryValue(const QString &cellName, const QString &text)
{
    adjustedItemsPnl_->SetValue(cellName, text);
}

void TFormAdjust::ListClick(TItemRegistry::List list)
{
    ShowAdjustedItems();
    const int index = lists_[list]->ItemIndex();
    QWidget *panel = ItemPanel(list, index);
    if (panel) {
        const auto item = items_.find({list, index});
        TItemPanel *itemPanel = item == items_.end() ? nullptr : item->second;
        if (itemPanel)
            itemPanel->Prepare();
        adjustedItemsPnl_->hide();
        panel->show();
        if (QWidget *focus = itemPanel ? itemPanel->InitialFocus() : nullptr)
            focus->setFocus();
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
    lists_[TItemRegistry::Adjustment]->SetItemIndex(CrOffsetItem);
    AdjustRdoGrpClick();
    const auto item = items_.find({TItemRegistry::Adjustment, CrOffsetItem});
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
    if (selection_.ModelCode == 1)
        modelNameLbl_->setText(QStringLiteral("Halden Photo Q510"));
    else if (selection_.ModelCode == 2)
        modelNameLbl_->setText(QStringLiteral("Halden Photo Q530"));
    GetStatusBtnClick();
}

void TFormAdjust::GetStatusBtnClick()
{
    TPDLLFunction &dll = *program_.dll;
    dll.GateClosePort();
    if (dll.GateOpenPort(selection_.PortCode) != Success || dll.GateCheckDeviceId() != Success) {
        ShowConnectionAdvice();
        return;
    }
    if (dll.ChanOpen() != Success || program_.status->ReadStatus() != Success) {
        ShowStatus(ModeError, CommunicationErrorOccurred);
        SetItemAvailability(3);
        return;
    }
    const TPStatusControl::StatusRecord &record = program_.status->Record();
    switch (record.state) {
    case TPStatusControl::StateError:
        ShowPrinterError(record.error);
        SetItemAvailability(2);
        return;
    case TPStatusControl::StateBusy:
        ShowStatus(ModeResult, QStringLiteral("Printer is busy."));
        break;
    case TPStatusControl::StatePrinting:
        ShowStatus(ModeResult, QStringLiteral("Printer is printing."));
        break;
    case TPStatusControl::StateCleaning:
        ShowStatus(ModeResult, QStringLiteral("Printer is cleaning."));
        break;
    case TPStatusControl::StateBeforeInkCharge:
        ShowStatus(ModeError, QStringLiteral("Printer is before initial ink charge."));
        break;
    case TPStatusControl::StateReady:
        ShowStatus(ModeResult, QStringLiteral("Printer is ready."));
        ShowInkReport();
        break;
    default:
        break;
    }
    SetItemAvailability(1);
}

void TFormAdjust::ShowInkReport()
{
    const auto &level = program_.status->Record().inkLevel;
    auto percent = [&level](TPStatusControl::Ink ink) {
        return QString::number(level[ink]) + QLatin1Char('%');
    };
    ShowStatus(ModeNewLine, QStringLiteral("Ink remaining amount;"));
    ShowStatus(ModeNewLine, QStringLiteral(" Black:") + percent(TPStatusControl::Black) +
                                QStringLiteral(", Cyan:") + percent(TPStatusControl::Cyan) +
                                QStringLiteral(", Magenta:") + percent(TPStatusControl::Magenta) +
                                QStringLiteral(", Yellow:") + percent(TPStatusControl::Yellow));
    ShowStatus(ModeNewLine, QStringLiteral(" Light Cyan:") + percent(TPStatusControl::LightCyan) +
                                QStringLiteral(", Light Magenta:") +
                                percent(TPStatusControl::LightMagenta));
}

void TFormAdjust::FormClose()
{
    ShowAdjustedItems();
    canvasPnl_->show();
    adjustedItemsPnl_->ClearValues();

    setCursor(Qt::WaitCursor);
    program_.dll->ChanClose();
    program_.dll->GateClosePort();
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
