#include "margininputpanel.h"

#include "adjust/accessnames.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "adjust/scanreading.h"
#include "link/program.h"
#include "marginsetting.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QIconEngine>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <optional>

namespace
{
enum MoveKind { ToEdge, StepOnce, Centre };

// The movement arrows, drawn as paths so that they are sharp at every size. Shapes are
// given pointing left in a square from -1 to 1; they are mirrored for the second side and
// turned through a right angle for the vertical gauges (left becomes up).
class TMoveIconEngine : public QIconEngine
{
public:
    TMoveIconEngine(MoveKind kind, bool towardSecond, Qt::Orientation orientation)
        : kind_(kind), towardSecond_(towardSecond), orientation_(orientation)
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QApplication::palette();
        const QColor colour = mode == QIcon::Disabled
                                  ? palette.color(QPalette::Disabled, QPalette::ButtonText)
                                  : palette.color(QPalette::Active, QPalette::ButtonText);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(QRectF(rect).center());
        const qreal half = std::min(rect.width(), rect.height()) / 2.0;
        painter->scale(half, half);
        if (orientation_ == Qt::Vertical)
            painter->rotate(90);
        if (towardSecond_)
            painter->scale(-1, 1);
        painter->fillPath(Shape(), colour);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override
    {
        return new TMoveIconEngine(kind_, towardSecond_, orientation_);
    }

private:
    static void AddTriangle(QPainterPath &path, QPointF tip, qreal baseX, qreal halfHeight)
    {
        QPolygonF triangle;
        triangle << tip << QPointF(baseX, -halfHeight) << QPointF(baseX, halfHeight) << tip;
        path.addPolygon(triangle);
    }

    QPainterPath Shape() const
    {
        QPainterPath path;
        switch (kind_) {
        case ToEdge:
            path.addRect(QRectF(-0.8, -0.7, 0.18, 1.4));
            AddTriangle(path, {-0.5, 0.0}, 0.7, 0.7);
            break;
        case StepOnce:
            AddTriangle(path, {-0.6, 0.0}, 0.5, 0.65);
            break;
        case Centre:
            path.addRect(QRectF(-0.07, -0.8, 0.14, 0.8 * 2));
            AddTriangle(path, {-0.2, 0.0}, -0.9, 0.55);
            AddTriangle(path, {0.2, 0.0}, 0.9, 0.55);
            break;
        }
        return path;
    }

    MoveKind kind_;
    bool towardSecond_;
    Qt::Orientation orientation_;
};

constexpr int IconSize = 20;
constexpr int GaugeLength = 160;
constexpr int GaugeThickness = 22;

void Name(QWidget *widget, const char *name, const QString &spokenName)
{
    widget->setObjectName(QString::fromLatin1(name));
    Access::Name(widget, spokenName);
}
} // namespace

TMarginUpDown::TMarginUpDown(int minimum, int maximum, QWidget *parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum)
{
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto &[arrow, delta] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto *button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setFixedSize(18, 12);
        const int step = delta;
        connect(button, &QToolButton::clicked, this, [this, step] { StepBy(step); });
        layout->addWidget(button);
    }
}

void TMarginUpDown::SetValue(int value)
{
    value_ = std::clamp(value, minimum_, maximum_);
}

void TMarginUpDown::StepBy(int delta)
{
    const int next = std::clamp(value_ + delta, minimum_, maximum_);
    if (next == value_)
        return;
    value_ = next;
    emit Stepped(value_);
}

void TMarginUpDown::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        StepBy(1);
    else if (event->key() == Qt::Key_Down)
        StepBy(-1);
    else
        QWidget::keyPressEvent(event);
}

TMarginInputGroup::TMarginInputGroup(const Config &config, QWidget *parent)
    : QGroupBox(QStringLiteral("Input"), parent), config_(config), edit_(new QLineEdit(this)),
      upDown_(new TMarginUpDown(TPMarginSetting::Minimum, TPMarginSetting::Maximum, this)),
      firstGauge_(new QProgressBar(this)), secondGauge_(new QProgressBar(this)),
      valuePanel_(new TValueLabel(config.valuePanelCaption, this)),
      inputBtn_(new QPushButton(QStringLiteral("Input"), this)),
      readBtn_(new QPushButton(QStringLiteral("Read"), this))
{
    Name(edit_, config.edit, config.editCaption);
    Name(upDown_, config.upDown, config.editCaption + QStringLiteral(" up and down"));
    firstGauge_->setObjectName(QString::fromLatin1(config.firstGauge));
    secondGauge_->setObjectName(QString::fromLatin1(config.secondGauge));
    valuePanel_->setObjectName(QString::fromLatin1(config.valuePanel));
    inputBtn_->setObjectName(QString::fromLatin1(config.inputButton));
    readBtn_->setObjectName(QString::fromLatin1(config.readButton));

    edit_->setReadOnly(true);
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("-0000")) + 16);
    edit_->setAlignment(Qt::AlignRight);
    valuePanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    valuePanel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    valuePanel_->setMinimumWidth(
        valuePanel_->fontMetrics().horizontalAdvance(QStringLiteral("-4.5158 mm")) + 12);
    const bool vertical = config.orientation == Qt::Vertical;
    for (QProgressBar *gauge : {firstGauge_, secondGauge_}) {
        gauge->setOrientation(config.orientation);
        gauge->setRange(0, TPMarginSetting::GaugeMaximum);
        gauge->setTextVisible(!vertical);
        gauge->setFormat(QStringLiteral("%v"));
        if (vertical)
            gauge->setFixedSize(GaugeThickness, GaugeLength);
        else
            gauge->setMinimumWidth(GaugeLength);
    }
    // Each gauge fills from its own edge of the paper.
    firstGauge_->setInvertedAppearance(vertical);
    secondGauge_->setInvertedAppearance(!vertical);

    auto *valueRow = new QWidget(this);
    auto *valueLayout = new QHBoxLayout(valueRow);
    valueLayout->setContentsMargins(0, 0, 0, 0);
    valueLayout->addWidget(edit_);
    valueLayout->addWidget(upDown_);
    valueLayout->addSpacing(8);
    valueLayout->addWidget(valuePanel_);
    valueLayout->addStretch(1);

    auto *moves = new QWidget(this);
    auto *moveLayout =
        new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, moves);
    moveLayout->setContentsMargins(0, 0, 0, 0);
    moveLayout->addStretch(1);
    moveLayout->addWidget(AddMove(config.toFirstEdge, ToEdge, false));
    moveLayout->addWidget(AddMove(config.stepToFirst, StepOnce, false));
    moveLayout->addWidget(AddMove(config.centering, Centre, false));
    moveLayout->addWidget(AddMove(config.stepToSecond, StepOnce, true));
    QToolButton *lastMove = AddMove(config.toSecondEdge, ToEdge, true);
    moveLayout->addWidget(lastMove);
    moveLayout->addStretch(1);
    // Tab goes through the moves before "Input" and "Read", as the group reads.
    setTabOrder(lastMove, inputBtn_);
    setTabOrder(inputBtn_, readBtn_);

    auto *actions = new QWidget(this);
    auto *actionLayout = new QHBoxLayout(actions);
    actionLayout->setContentsMargins(0, 0, 0, 0);
    actionLayout->addStretch(1);
    actionLayout->addWidget(inputBtn_);
    actionLayout->addWidget(readBtn_);

    if (vertical)
        LayOutVertical(valueRow, moves, actions);
    else
        LayOutHorizontal(valueRow, moves, actions);

    connect(upDown_, &TMarginUpDown::Stepped, this, [this](int value) {
        edit_->setText(QString::number(value));
        ShowGaugesAndMillimetres(value);
    });
    edit_->setText(QStringLiteral("0"));
    ShowGaugesAndMillimetres(0);
}

QToolButton *TMarginInputGroup::AddMove(const Move &move, int kind, bool towardSecond)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(move.name));
    button->setIcon(
        QIcon(new TMoveIconEngine(static_cast<MoveKind>(kind), towardSecond, config_.orientation)));
    button->setIconSize(QSize(IconSize, IconSize));
    button->setToolTip(move.hint);
    button->setAccessibleName(move.hint);
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &QToolButton::clicked, this, [this, kind, towardSecond] {
        const int sign = towardSecond ? 1 : -1;
        switch (static_cast<MoveKind>(kind)) {
        case ToEdge:
            SetSetting(towardSecond ? TPMarginSetting::Maximum : TPMarginSetting::Minimum);
            break;
        case StepOnce:
            Step(sign * config_.stepPoints);
            break;
        case Centre:
            SetSetting(0);
            break;
        }
    });
    return button;
}

QWidget *TMarginInputGroup::GaugeWithCaption(QProgressBar *gauge, const QString &caption)
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(caption, box);
    Access::NameAfter(gauge, label);
    layout->addWidget(label);
    layout->addWidget(gauge, 0,
                      config_.orientation == Qt::Vertical ? Qt::AlignHCenter : Qt::Alignment());
    return box;
}

void TMarginInputGroup::LayOutHorizontal(QWidget *valueRow, QWidget *moves, QWidget *actions)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(valueRow);
    auto *gauges = new QHBoxLayout;
    gauges->addWidget(GaugeWithCaption(firstGauge_, config_.firstGaugeCaption), 1);
    gauges->addSpacing(4);
    gauges->addWidget(GaugeWithCaption(secondGauge_, config_.secondGaugeCaption), 1);
    layout->addLayout(gauges);
    layout->addWidget(moves);
    layout->addWidget(actions);
}

void TMarginInputGroup::LayOutVertical(QWidget *valueRow, QWidget *moves, QWidget *actions)
{
    auto *layout = new QHBoxLayout(this);
    auto *gauges = new QVBoxLayout;
    gauges->addWidget(GaugeWithCaption(firstGauge_, config_.firstGaugeCaption));
    gauges->addWidget(GaugeWithCaption(secondGauge_, config_.secondGaugeCaption));
    layout->addLayout(gauges);
    layout->addSpacing(8);
    layout->addWidget(moves);
    layout->addSpacing(8);
    auto *side = new QVBoxLayout;
    side->addWidget(valueRow);
    side->addStretch(1);
    side->addWidget(actions);
    layout->addLayout(side, 1);
}

void TMarginInputGroup::SetSetting(int value)
{
    const TPMarginSetting::View view = TPMarginSetting::ViewOf(value, config_.millimetresPerStep);
    edit_->setText(view.editText);
    upDown_->SetValue(view.value);
    ShowGaugesAndMillimetres(view.value);
}

void TMarginInputGroup::Step(int delta)
{
    if (const auto value = TPMarginSetting::SteppedValue(edit_->text(), delta))
        SetSetting(*value);
}

void TMarginInputGroup::ShowGaugesAndMillimetres(int value)
{
    const TPMarginSetting::View view = TPMarginSetting::ViewOf(value, config_.millimetresPerStep);
    firstGauge_->setValue(view.firstGauge);
    secondGauge_->setValue(view.secondGauge);
    valuePanel_->setText(view.millimetres);
}

void TMarginInputGroup::ClearEdit()
{
    edit_->clear();
}

QString TMarginInputGroup::EditText() const
{
    return edit_->text();
}

void MarginInput(TAdjustServices &window, TMarginInputGroup &input,
                 const std::function<uint16_t(int)> &write, const QString &doneText,
                 TPSummaryCell cell)
{
    const std::optional<int> value = TPMarginSetting::InputValue(input.EditText());
    if (!value) {
        input.Edit()->setFocus();
        window.ShowStatus(TPMode::Error, QStringLiteral("A range of input value is -128 to 127."));
        return;
    }
    TPEepromSession session(window, window.Program().dll);
    if (!session.Begin(QStringLiteral("Writing now..."), TPEepromSession::OnPrinterError::Report))
        return;
    if (!session.Check(write(*value)) || !session.Finish(TPMode::DoneAfterWait, doneText))
        return;
    window.SetSummaryValue(cell, QString::number(*value));
}

void MarginRead(TAdjustServices &window, TMarginInputGroup &input, uint8_t address,
                const QString &doneText)
{
    input.ClearEdit();
    TPEepromSession session(window, window.Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::Report))
        return;
    uint8_t stored = 0;
    if (!session.Read(address, &stored))
        return;
    input.SetSetting(TPMarginSetting::FromStoredByte(stored));
    session.Finish(TPMode::DoneAfterWait, doneText);
}

void MarginScanRead(TAdjustServices &window, QWidget *owner, TMarginInputGroup &input,
                    uint8_t address, const QString &doneText,
                    const std::function<TPScan::PageReading(TPScan::TPPageReader &, int)> &read)
{
    const QImage image = TScanReading::AskForImage(owner, window);
    if (image.isNull())
        return;
    TPEepromSession session(window, window.Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::Report))
        return;
    uint8_t stored = 0;
    if (!session.Read(address, &stored) || !session.Finish(TPMode::Done, doneText))
        return;
    TPScan::TPPageReader reader(image);
    const TPScan::PageReading reading = read(reader, TPMarginSetting::FromStoredByte(stored));
    for (const TPScan::ItemReading &item : reading.items) {
        if (TScanReading::Fills(item))
            input.SetSetting(*item.proposal);
    }
    TScanReading::Report(owner, window, image, reading);
}
