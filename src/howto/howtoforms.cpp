#include "howtoforms.h"

#include "howtoexamples.h"
#include "howtopicture.h"

#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>

using HowToExamples::TMarginCase;

namespace
{
constexpr int WindowMargin = 18;
constexpr int SectionSpacing = 12;
constexpr int IndentWidth = 22;

QVBoxLayout *NewWindowLayout(QWidget *window)
{
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(WindowMargin, WindowMargin, WindowMargin, WindowMargin);
    layout->setSpacing(SectionSpacing);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

QGridLayout *NewStepGrid()
{
    auto *steps = new QGridLayout;
    steps->setHorizontalSpacing(8);
    steps->setVerticalSpacing(4);
    steps->setColumnMinimumWidth(0, IndentWidth - 8);
    steps->setColumnStretch(2, 1);
    return steps;
}

// The three margin cases side by side, each with its caption under it.
using TNewMarginPicture = THowToPicture *(*)(TMarginCase, QWidget *);

QLayout *MarginCases(QWidget *window, TNewMarginPicture newPicture, const QString &standard)
{
    struct TCase {
        TMarginCase margin;
        QStringList captions;
    };
    const TCase cases[] = {
        {TMarginCase::Standard, {standard, QStringLiteral("No adjustment")}},
        {TMarginCase::TooNear, {QStringLiteral("Input the higher value than current one.")}},
        {TMarginCase::TooFar, {QStringLiteral("Input the lower value than current one.")}},
    };
    auto *row = new QHBoxLayout;
    row->setSpacing(14);
    for (const TCase &margin : cases) {
        THowToPicture *picture = newPicture(margin.margin, window);
        picture->setFixedSize(picture->sizeHint());
        auto *column = new QVBoxLayout;
        column->setSpacing(6);
        column->addWidget(picture);
        for (const QString &caption : margin.captions) {
            auto *label = new QLabel(caption, window);
            label->setWordWrap(true);
            label->setFixedWidth(picture->width());
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            column->addWidget(label);
        }
        column->addStretch();
        row->addLayout(column);
    }
    return row;
}
} // namespace

THowToForm::THowToForm(const char *objectName, const char *caption)
{
    setObjectName(QLatin1String(objectName));
    setWindowTitle(QLatin1String(caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setBackgroundRole(QPalette::Window);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

QLabel *THowToForm::NewText(const QString &text, int wrapWidth)
{
    auto *label = new QLabel(text, this);
    if (wrapWidth > 0) {
        label->setWordWrap(true);
        label->setFixedWidth(wrapWidth);
    }
    return label;
}

void THowToForm::AddStep(QGridLayout *steps, const QString &number, const QStringList &sentences,
                         int wrapWidth)
{
    int row = steps->count() == 0 ? 0 : steps->rowCount();
    steps->addWidget(NewText(number), row, 0, Qt::AlignTop);
    for (const QString &sentence : sentences)
        steps->addWidget(NewText(sentence, wrapWidth), row++, 1, Qt::AlignTop);
}

void THowToForm::AddIndented(QBoxLayout *layout, const QStringList &lines)
{
    auto *block = new QVBoxLayout;
    block->setContentsMargins(IndentWidth, 0, 0, 0);
    block->setSpacing(2);
    for (const QString &line : lines)
        block->addWidget(NewText(line));
    layout->addLayout(block);
}

THowToBidAdjustForm::THowToBidAdjustForm()
    : THowToForm("HowToBidAdjustForm", "How to Bi-D adjustment ")
{
    auto *steps = NewStepGrid();
    AddStep(steps, QStringLiteral("1."), {QStringLiteral("Print the Bi-D adjustment pattern.")});
    AddStep(
        steps, QStringLiteral("2."),
        {QStringLiteral("Check the print pattern."),
         QStringLiteral("Input the adjustment value of the smallest gap in the printed lines.")});
    AddStep(steps, QStringLiteral("3."),
            {QStringLiteral("If you select the value from red area, please print the print pattern "
                            "again and confirm it.")});
    auto *layout = NewWindowLayout(this);
    layout->addLayout(steps);
    layout->addWidget(NewText(
        QStringLiteral("As shown in the example below, adjustment value is 0 in this case.")));
    layout->addWidget(HowToExamples::NewBid(this));
}

THowToHdAngAdjustForm::THowToHdAngAdjustForm()
    : THowToForm("HowToHdAngAdjustForm", "How to head angular adjustment")
{
    auto *steps = NewStepGrid();
    AddStep(steps, QStringLiteral("1."), {QStringLiteral("Print the check pattern.")});
    AddStep(steps, QStringLiteral("2."),
            {QStringLiteral("Input the adjustment value of straight line in the printed lines.")});
    auto *layout = NewWindowLayout(this);
    layout->addLayout(steps);
    layout->addWidget(NewText(
        QStringLiteral("As shown in the example below, adjustment value is 0 in this case.")));
    layout->addWidget(HowToExamples::NewHeadAngular(this));
}

THowToPWAdjustForm::THowToPWAdjustForm()
    : THowToForm("HowToPWAdjustForm", "How to PW sensor adjustment")
{
    const int textWidth = 320;
    auto *steps = NewStepGrid();
    AddStep(steps, QStringLiteral("1."),
            {QStringLiteral("Print the PW sensor adjustment pattern.")}, textWidth);
    AddStep(steps, QStringLiteral("2."),
            {QStringLiteral("Input the 4 adjustment values of printed lines that are 5mm away from "
                            "each edge of the paper.")},
            textWidth);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(SectionSpacing);
    texts->addLayout(steps);
    texts->addSpacing(SectionSpacing);
    texts->addWidget(
        NewText(QStringLiteral("The following numbers indicate the range of the input values;")));
    AddIndented(texts,
                {QStringLiteral("Top / Bottom : -10~10"), QStringLiteral("Left / Right : -8~19")});
    texts->addSpacing(SectionSpacing);
    texts->addWidget(
        NewText(QStringLiteral("As shown in the example on the right, adjustment value is;")));
    AddIndented(texts, {QStringLiteral("Top : 0"), QStringLiteral("Bottom : 2"),
                        QStringLiteral("Left : 0"), QStringLiteral("Right : 5")});
    texts->addStretch();

    auto *row = new QHBoxLayout;
    row->setSpacing(2 * SectionSpacing);
    row->addLayout(texts);
    row->addWidget(HowToExamples::NewPwSensor(this));
    NewWindowLayout(this)->addLayout(row);
}

THowToFirstDotAdjustForm::THowToFirstDotAdjustForm()
    : THowToForm("HowToFirstDotAdjustForm", "How to first dot adjustment")
{
    auto *layout = NewWindowLayout(this);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(NewText(QStringLiteral("Please adjust value to 3mm from left edge.")));
    texts->addWidget(NewText(QStringLiteral("(Standard : 3±1.0mm from left edge)")));
    layout->addLayout(texts);
    layout->addLayout(
        MarginCases(this, HowToExamples::NewFirstDot, QStringLiteral("3±1.0 from left edge")));
}

THowToTopMarginAdjustForm::THowToTopMarginAdjustForm()
    : THowToForm("HowToTopMarginAdjustForm", "How to top margin adjustment")
{
    auto *layout = NewWindowLayout(this);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(NewText(QStringLiteral("Please adjust value to 3mm from top edge.")));
    texts->addWidget(NewText(QStringLiteral("(Standard : 3±1.0mm from top edge)")));
    layout->addLayout(texts);
    layout->addLayout(
        MarginCases(this, HowToExamples::NewTopMargin, QStringLiteral("3±1.0mm from top edge")));
}
