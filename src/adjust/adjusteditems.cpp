#include "adjusteditems.h"

#include "summarycells.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>

namespace
{
constexpr int ValueColumns = 6;
}

TAdjustedItemsPanel::TAdjustedItemsPanel(QWidget *parent)
    : QGroupBox(QStringLiteral("Adjusted items"), parent)
{
    setObjectName(QStringLiteral("AdjustedItemsPnl"));
    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    // A little air between the blocks of the grid.
    auto gap = [grid](int row) {
        grid->setRowMinimumHeight(row, 6);
        return row + 1;
    };
    int row = 0;
    row = gap(AddIdentityRows(grid, row));
    row = gap(AddBidBlock(grid, row));
    row = gap(AddSingleValueRows(grid, row));
    row = gap(AddPwSensorRows(grid, row));
    row = AddUnusedRows(grid, row);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(0, 0);
    for (int column = 1; column <= ValueColumns; ++column)
        grid->setColumnStretch(column, 1);
}

bool TAdjustedItemsPanel::SetValue(const QString &cellName, const QString &text)
{
    for (QLabel *cell : cells_) {
        if (cell->objectName() == cellName) {
            cell->setText(text);
            return true;
        }
    }
    return false;
}

QString TAdjustedItemsPanel::Value(const QString &cellName) const
{
    for (const QLabel *cell : cells_) {
        if (cell->objectName() == cellName)
            return cell->text();
    }
    return QString();
}

void TAdjustedItemsPanel::ClearValues()
{
    for (QLabel *cell : cells_)
        cell->clear();
}

QStringList TAdjustedItemsPanel::CellNames() const
{
    QStringList names;
    for (const QLabel *cell : cells_)
        names << cell->objectName();
    return names;
}

QLabel *TAdjustedItemsPanel::AddCell(QGridLayout *grid, const QString &name, int row, int column,
                                     int span)
{
    auto *cell = new QLabel(this);
    cell->setObjectName(name);
    cell->setAccessibleName(name);
    cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    cell->setAlignment(Qt::AlignCenter);
    cell->setMinimumHeight(20);
    cell->setMinimumWidth(36);
    cell->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(cell, row, column, 1, span);
    cells_ << cell;
    return cell;
}

void TAdjustedItemsPanel::AddCaption(QGridLayout *grid, const QString &text, int row, int column,
                                     int span, Qt::Alignment alignment)
{
    auto *caption = new QLabel(text, this);
    grid->addWidget(caption, row, column, 1, span, alignment);
}

int TAdjustedItemsPanel::AddIdentityRows(QGridLayout *grid, int row)
{
    AddCaption(grid, QStringLiteral("Head ID"), row, 0);
    AddCell(grid, SummaryCellName(TPSummaryCell::HeadId), row++, 1, ValueColumns);
    AddCaption(grid, QStringLiteral("USB ID"), row, 0);
    AddCell(grid, SummaryCellName(TPSummaryCell::UsbId), row++, 1, ValueColumns);
    AddCaption(grid, QStringLiteral("Waste ink pad counter"), row, 0);
    AddCell(grid, SummaryCellName(TPSummaryCell::WasteInkCounter), row++, 1, 2);
    return row;
}

int TAdjustedItemsPanel::AddBidBlock(QGridLayout *grid, int row)
{
    const Qt::Alignment centre = Qt::AlignCenter;
    AddCaption(grid, QStringLiteral("Bi-D"), row, 0);
    AddCaption(grid, QStringLiteral("Typ"), row, 1, 2, centre);
    AddCaption(grid, QStringLiteral("PG-"), row++, 3, 2, centre);
    for (int column : {1, 3}) {
        AddCaption(grid, QStringLiteral("Black"), row, column, 1, centre);
        AddCaption(grid, QStringLiteral("Color"), row, column + 1, 1, centre);
    }
    ++row;
    // Each mode's four cells follow each other in the cell list: Black, Color, then both
    // with the platen gap raised.
    const struct {
        const char *caption;
        TPSummaryCell first;
    } modes[] = {{"VSD1", TPSummaryCell::Bid1Black},
                 {"VSD2", TPSummaryCell::Bid2Black},
                 {"VSD3", TPSummaryCell::Bid3Black},
                 {"ECO", TPSummaryCell::BidEcoBlack}};
    for (const auto &mode : modes) {
        AddCaption(grid, QString::fromLatin1(mode.caption), row, 0);
        for (int column = 0; column < 4; ++column)
            AddCell(grid, SummaryCellName(TPSummaryCell(int(mode.first) + column)), row,
                    column + 1);
        ++row;
    }
    return row;
}

int TAdjustedItemsPanel::AddSingleValueRows(QGridLayout *grid, int row)
{
    AddCaption(grid, QStringLiteral("Head angular"), row, 0);
    AddCell(grid, SummaryCellName(TPSummaryCell::HeadAngular), row++, 1);
    AddCaption(grid, QStringLiteral("First dot"), row, 0);
    AddCell(grid, SummaryCellName(TPSummaryCell::FirstDot), row++, 1);
    AddCaption(grid, QStringLiteral("Top margin"), row, 0);
    AddCell(grid, SummaryCellName(TPSummaryCell::TopMargin), row++, 1);
    return row;
}

int TAdjustedItemsPanel::AddPwSensorRows(QGridLayout *grid, int row)
{
    const struct {
        const char *caption;
        TPSummaryCell cell;
    } sides[] = {{"Top", TPSummaryCell::PwTop},
                 {"Left", TPSummaryCell::PwLeft},
                 {"Bottom", TPSummaryCell::PwBottom},
                 {"Right", TPSummaryCell::PwRight}};
    AddCaption(grid, QStringLiteral("PW sensor"), row + 1, 0);
    int column = 1;
    for (const auto &side : sides) {
        AddCaption(grid, QString::fromLatin1(side.caption), row, column, 1, Qt::AlignCenter);
        AddCell(grid, SummaryCellName(side.cell), row + 1, column);
        ++column;
    }
    return row + 2;
}

int TAdjustedItemsPanel::AddUnusedRows(QGridLayout *grid, int row)
{
    // Pixel shift and PF rows belong to other adjustment programs; nothing here fills them.
    AddCaption(grid, QStringLiteral("Pixel shift adjustment"), row + 1, 0);
    const QString letters = QStringLiteral("ABCDEF");
    for (int i = 0; i < letters.size(); ++i) {
        AddCaption(grid, QString(letters[i]), row, i + 1, 1, Qt::AlignCenter);
        AddCell(grid, QStringLiteral("ShowPixelShift%1Pnl").arg(letters[i]), row + 1, i + 1);
    }
    row += 2;
    AddCaption(grid, QStringLiteral("Black"), row, 1, 1, Qt::AlignCenter);
    AddCaption(grid, QStringLiteral("Color"), row, 2, 1, Qt::AlignCenter);
    AddCaption(grid, QStringLiteral("PF調整値"), row + 1, 0);
    AddCell(grid, QStringLiteral("ShowPFBkPnl"), row + 1, 1);
    AddCell(grid, QStringLiteral("ShowPFClPnl"), row + 1, 2);
    return row + 2;
}
