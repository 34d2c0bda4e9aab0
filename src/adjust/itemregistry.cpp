#include "itemregistry.h"

#include "defaultsetpanel.h"

namespace
{
template <typename Panel> TItemRegistry::Maker maker()
{
    return [](TAdjustServices &window, QWidget *parent) -> TItemPanel * {
        return new Panel(window, parent);
    };
}

std::vector<TItemRegistry::Entry> buildEntries()
{
    using R = TItemRegistry;
    auto text = [](const char *s) { return QString::fromUtf8(s); };
    return {
        {R::Adjustment, 0, text("Market setting"), text("DefaultSetPnl"), true,
         maker<TDefaultSetPanel>()},
        {R::Adjustment, 1, text("USB ID input"), text("USBIDInputPnl"), false, {}},
        {R::Adjustment, 2, text("Head ID input"), text("HeadIDInputPnl"), false, {}},
        {R::Adjustment, 3, text("Head angular adjustment"), text("HeadAngAdjustPnl"), false, {}},
        {R::Adjustment, 4, text("Bi-D adjustment"), text("BidPrintPnl"), false, {}},
        {R::Adjustment, 5, text("PW sensor adjustment"), text("PWSensorAdjustPnl"), false, {}},
        {R::Adjustment, 6, text("First dot adjustment"), text("LandMarginAdjustPnl"), false, {}},
        {R::Adjustment, 7, text("Top margin adjustment"), text("TopMarginMainPnl"), false, {}},
        {R::Adjustment, 8, text("Offset input for CR"), text("CRHeatProtectOffsetPnl"), false, {}},
        {R::Maintenance, 0, text("Head cleaning"), text("CleaningPnl"), false, {}},
        {R::Maintenance, 1, text("Ink charge"), text("InkChargePnl"), false, {}},
        {R::Maintenance, 2, text("Waste ink pad counter"), text("ProCounterMaintePnl"), true, {}},
        {R::Maintenance, 3, text("EEPROM data copy"), text("EepromDataCopyPnl"), true, {}},
        {R::Appendix, 0, text("Save all EEPROM data"), text("EepromReadOutPnl"), true, {}},
        {R::Appendix, 1, text("APG check"), text("APGCheckPnl"), false, {}},
        {R::Appendix, 2, text("Check Pattern"), text("CheckPatternPnl"), false, {}},
    };
}
} // namespace

const std::vector<TItemRegistry::Entry> &TItemRegistry::Entries()
{
    static const std::vector<Entry> entries = buildEntries();
    return entries;
}

std::vector<TItemRegistry::Entry> TItemRegistry::EntriesOf(List list)
{
    std::vector<Entry> result;
    for (const Entry &entry : Entries()) {
        if (entry.list == list)
            result.push_back(entry);
    }
    return result;
}

QString TItemRegistry::ListCaption(List list)
{
    switch (list) {
    case Adjustment:
        return QStringLiteral("Adjustment items");
    case Maintenance:
        return QStringLiteral("Maintenance items");
    default:
        return QStringLiteral("Appendix items");
    }
}

QString TItemRegistry::PageCaption(List list)
{
    switch (list) {
    case Adjustment:
        return QStringLiteral("Adjustment");
    case Maintenance:
        return QStringLiteral("Maintenance");
    default:
        return QStringLiteral("Appendix");
    }
}

QString TItemRegistry::ListName(List list)
{
    switch (list) {
    case Adjustment:
        return QStringLiteral("AdjustRdoGrp");
    case Maintenance:
        return QStringLiteral("MainteRdoGrp");
    default:
        return QStringLiteral("AppendixRdoGrp");
    }
}
