#include "adjusteditems.h"

#include "accessnames.h"
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

QLabel *TAdjustedItemsPanel::AddCell(QGridLayout *grid, const QString &name,
                                     const QString &spokenName, int row, int column, int span)
{
    auto *cell = new TValueLabel(spokenName, this);
    cell->setObjectName(name);
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
    const struct {
        const char *caption;
        TPSummaryCell cell;
        int span;
    } rows[] = {{"Head ID", TPSummaryCell::HeadId, ValueColumns},
                {"USB ID", TPSummaryCell::UsbId, ValueColumns},
                {"Waste ink pad counter", TPSummaryCell::WasteInkCounter, 2}};
    for (const auto &line : rows) {
        const QString caption = QString::fromLatin1(line.caption);
        AddCaption(grid, caption, row, 0);
        AddCell(grid, SummaryCellName(line.cell), caption, row++, 1, line.span);
    }
    return row;
}

int TAdjustedItemsPanel::AddBidBlock(QGridLayout *grid, int row)
{
    const Qt::Alignment centre = Qt::AlignCenter;
    const QString bid = QStringLiteral("Bi-D");
    const QString gaps[] = {QStringLiteral("Typ"), QStringLiteral("PG-")};
    const QString inks[] = {QStringLiteral("Black"), QStringLiteral("Color")};
    AddCaption(grid, bid, row, 0);
    AddCaption(grid, gaps[0], row, 1, 2, centre);
    AddCaption(grid, gaps[1], row++, 3, 2, centre);
    for (int column : {1, 3}) {
        AddCaption(grid, inks[0], row, column, 1, centre);
        AddCaption(grid, inks[1], row, column + 1, 1, centre);
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
        const QString caption = QString::fromLatin1(mode.caption);
        AddCaption(grid, caption, row, 0);
        for (int column = 0; column < 4; ++column)
            AddCell(grid, SummaryCellName(TPSummaryCell(int(mode.first) + column)),
                    QStringList{bid, caption, gaps[column / 2], inks[column % 2]}.join(' '), row,
                    column + 1);
        ++row;
    }
    return row;
}

int TAdjustedItemsPanel::AddSingleValueRows(QGridLayout *grid, int row)
{
    const struct {
        const char *caption;
        TPSummaryCell cell;
    } rows[] = {{"Head angular", TPSummaryCell::HeadAngular},
                {"First dot", TPSummaryCell::FirstDot},
                {"Top margin", TPSummaryCell::TopMargin}};
    for (const auto &line : rows) {
        const QString caption = QString::fromLatin1(line.caption);
        AddCaption(grid, caption, row, 0);
        AddCell(grid, SummaryCellName(line.cell), caption, row++, 1);
    }
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
    const QString sensor = QStringLiteral("PW sensor");
    AddCaption(grid, sensor, row + 1, 0);
    int column = 1;
    for (const auto &side : sides) {
        const QString caption = QString::fromLatin1(side.caption);
        AddCaption(grid, caption, row, column, 1, Qt::AlignCenter);
        AddCell(grid, SummaryCellName(side.cell), sensor + ' ' + caption, row + 1, column);
        ++column;
    }
    return row + 2;
}

int TAdjustedItemsPanel::AddUnusedRows(QGridLayout *grid, int row)
{
    // Pixel shift and PF rows belong to other adjustment programs; nothing here fills them.
    const QString shift = QStringLiteral("Pixel shift adjustment");
    AddCaption(grid, shift, row + 1, 0);
    const QString letters = QStringLiteral("ABCDEF");
    for (int i = 0; i < letters.size(); ++i) {
        AddCaption(grid, QString(letters[i]), row, i + 1, 1, Qt::AlignCenter);
        AddCell(grid, QStringLiteral("ShowPixelShift%1Pnl").arg(letters[i]),
                shift + ' ' + letters[i], row + 1, i + 1);
    }
    row += 2;
    const QString feed = QStringLiteral("PF調整値");
    AddCaption(grid, QStringLiteral("Black"), row, 1, 1, Qt::AlignCenter);
    AddCaption(grid, QStringLiteral("Color"), row, 2, 1, Qt::AlignCenter);
    AddCaption(grid, feed, row + 1, 0);
    AddCell(grid, QStringLiteral("ShowPFBkPnl"), feed + QStringLiteral(" Black"), row + 1, 1);
    AddCell(grid, QStringLiteral("ShowPFClPnl"), feed + QStringLiteral(" Color"), row + 1, 2);
    return row + 2;
}
