#pragma once

#include <QString>
#include <functional>
#include <vector>

class QWidget;
class TAdjustServices;
class TItemPanel;

// The items of the main window's three lists, in list order, with the panel each one shows.
// An item whose panel is built has a maker; until then the window shows an empty panel named
// after the item's panel. Adding an item: its panel class in a file pair of its own, and its
// maker in the table in itemregistry.cpp.
class TItemRegistry
{
public:
    enum List { Adjustment, Maintenance, Appendix, ListCount };

    using Maker = std::function<TItemPanel *(TAdjustServices &, QWidget *parent)>;

    struct Entry {
        List list;
        int index;
        QString caption;   // radio list entry
        QString panelName; // objectName of the item's panel
        bool inErrorState; // stays enabled while the printer reports an error (lock level 2)
        Maker make;        // empty while the item is not built
    };

    static const std::vector<Entry> &Entries();
    static std::vector<Entry> EntriesOf(List list);
    static QString ListCaption(List list); // "Adjustment items", ...
    static QString PageCaption(List list); // "Adjustment", ...
    static QString ListName(List list);    // "AdjustRdoGrp", ...
};
