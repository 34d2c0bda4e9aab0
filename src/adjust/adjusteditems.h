#pragma once

#include <QGroupBox>
#include <QStringList>

class QGridLayout;
class QLabel;

// The "Adjusted items" summary: a fixed grid of captions with one read-only value panel per
// value stored during this visit. Items fill their panel by name; closing empties them all.
class TAdjustedItemsPanel : public QGroupBox
{
    Q_OBJECT

public:
    explicit TAdjustedItemsPanel(QWidget *parent = nullptr);

    // Sets the text of the value panel of that name; false when there is no such panel.
    bool SetValue(const QString &cellName, const QString &text);
    QString Value(const QString &cellName) const;
    void ClearValues();
    // Names of every value panel, top to bottom.
    QStringList CellNames() const;

private:
    // A value cell, spoken by its row and column captions ("Bi-D VSD1 Typ Black").
    QLabel *AddCell(QGridLayout *grid, const QString &name, const QString &spokenName, int row,
                    int column, int span = 1);
    void AddCaption(QGridLayout *grid, const QString &text, int row, int column, int span = 1,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
    int AddIdentityRows(QGridLayout *grid, int row);
    int AddBidBlock(QGridLayout *grid, int row);
    int AddSingleValueRows(QGridLayout *grid, int row);
    int AddPwSensorRows(QGridLayout *grid, int row);
    int AddUnusedRows(QGridLayout *grid, int row);

    QList<QLabel *> cells_;
};
