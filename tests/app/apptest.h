#pragma once

// Shared pieces of the selection window tests: reading and choosing combo box items as the
// technician does, and socket files that stand for virtual printers in a port directory.
#include <QComboBox>
#include <QString>
#include <QStringList>
#include <QTest>

namespace apptest
{

inline QStringList Items(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// As the technician picks an item: the list changes and its handler runs.
inline void Choose(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text + " not in " + Items(combo).join(", ")));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace apptest
