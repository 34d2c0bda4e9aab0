#pragma once

#include <QString>
#include <functional>
#include <vector>

class QWidget;
class TAdjustServices;
class TItemPanel;

// The items of the main window's three lists, in list order, with the panel each one shows.
// An item whose panel is built has a maker; until then the window shows an empty panel named
// after the item's panel. Adding an item: its folder under items/ and its row in
// itemregistry.cpp.
class TItemRegistry
{
public:
    enum List { Adjustment, Maintenance, Appendix, ListCount };

    using Maker = std::function<TItemPanel *(TAdjustServices &, QWidget *parent)>;

    struct Entry {
        List list;
        QString caption;   // radio list entry
        QString panelName; // object name the registry gives the item's panel
        bool inErrorState; // stays enabled while the printer reports an error (lock level 2)
        Maker make;        // empty while the item is not built
    };

    // Every item, list by list, each list in its order.
    static const std::vector<Entry> &Entries();
    static std::vector<Entry> EntriesOf(List list);
    // Position of an item in its list, by its panel name; -1 when there is none.
    static int IndexOf(const QString &panelName);
    static QString ListCaption(List list); // "Adjustment items", ...
    static QString PageCaption(List list); // "Adjustment", ...
    static QString ListName(List list);    // "AdjustRdoGrp", ...
};
