// The main adjustment window's frame: the item lists on their tab pages, the item area with
// the summary and one panel per item, the status memo, the model name and the two buttons.
#include "formadjust.h"

#include "accessnames.h"
#include "adjusteditems.h"
#include "clicktext.h"
#include "items/itempanel.h"
#include "radiolist.h"
#include "statusmemo.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace
{
const QString CrOffsetPanel = QStringLiteral("CRHeatProtectOffsetPnl");
} // namespace

void TFormAdjust::BuildWindow()
{
    auto *top = new QHBoxLayout;
    adjustmentTab_ = new QTabWidget(this);
    adjustmentTab_->setObjectName(QStringLiteral("AdjustmentTab"));
    adjustmentTab_->setAccessibleName(QStringLiteral("Item lists"));
    for (int list = 0; list < TItemRegistry::ListCount; ++list) {
        const auto which = static_cast<TItemRegistry::List>(list);
        adjustmentTab_->addTab(BuildListPage(which), TItemRegistry::PageCaption(which));
    }
    // At least this wide; wider where larger fonts need it.
    adjustmentTab_->setMinimumWidth(300);
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
    lists_[list] = radios;
    connect(radios, &TRadioList::Clicked, this, [this, list](int) { ListClick(list); });

    if (list == TItemRegistry::Adjustment) {
        QRadioButton *crItem = radios->Button(TItemRegistry::IndexOf(CrOffsetPanel));
        memo1_ = TClickText::LayOver(crItem);
        memo1_->setObjectName(QStringLiteral("Memo1"));
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
    statusMemo_->setAccessibleName(QStringLiteral("Status messages"));
    statusMemo_->setFixedHeight(120);
    layout->addWidget(statusMemo_, 1);

    auto *side = new QVBoxLayout;
    auto *returnPnl = new QFrame(row);
    returnPnl->setObjectName(QStringLiteral("ReturnPnl"));
    returnPnl->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto *returnLayout = new QVBoxLayout(returnPnl);
    modelNameLbl_ = new TValueLabel(QStringLiteral("Model"), returnPnl);
    modelNameLbl_->setObjectName(QStringLiteral("ModelNameLbl"));
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
