#include "itemregistry.h"

#include "apgcheck/apgcheckpanel.h"
#include "bid/bidpanel.h"
#include "checkpattern/checkpatternpanel.h"
#include "eepromcopy/eepromdatacopypanel.h"
#include "eepromsave/eepromreadoutpanel.h"
#include "firstdot/landmarginadjustpanel.h"
#include "headangular/headangularpanel.h"
#include "headid/headidpanel.h"
#include "heatprotectoffset/crheatprotectpanel.h"
#include "maintenance/cleaningpanel.h"
#include "maintenance/procountermaintepanel.h"
#include "market/defaultsetpanel.h"
#include "pwadjust/pwsensorpanel.h"
#include "topmargin/topmarginmainpanel.h"
#include "usbid/usbidpanel.h"

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
        {R::Adjustment, text("Market setting"), text("DefaultSetPnl"), true,
         maker<TDefaultSetPanel>()},
        {R::Adjustment, text("USB ID input"), text("USBIDInputPnl"), false, maker<TUsbIdPanel>()},
        {R::Adjustment, text("Head ID input"), text("HeadIDInputPnl"), false,
         maker<THeadIdPanel>()},
        {R::Adjustment, text("Head angular adjustment"), text("HeadAngAdjustPnl"), false,
         maker<THeadAngularPanel>()},
        {R::Adjustment, text("Bi-D adjustment"), text("BidPrintPnl"), false, maker<TBidPanel>()},
        {R::Adjustment, text("PW sensor adjustment"), text("PWSensorAdjustPnl"), false,
         maker<TPWSensorPanel>()},
        {R::Adjustment, text("First dot adjustment"), text("LandMarginAdjustPnl"), false,
         maker<TLandMarginAdjustPanel>()},
        {R::Adjustment, text("Top margin adjustment"), text("TopMarginMainPnl"), false,
         maker<TTopMarginMainPanel>()},
        {R::Adjustment, text("Offset input for CR"), text("CRHeatProtectOffsetPnl"), false,
         maker<TCRHeatProtectPanel>()},
        {R::Maintenance, text("Head cleaning"), text("CleaningPnl"), false,
         maker<TCleaningPanel>()},
        {R::Maintenance, text("Ink charge"), text("InkChargePnl"), false, maker<TInkChargePanel>()},
        {R::Maintenance, text("Waste ink pad counter"), text("ProCounterMaintePnl"), true,
         maker<TProCounterMaintePanel>()},
        {R::Maintenance, text("EEPROM data copy"), text("EepromDataCopyPnl"), true,
         maker<TEepromDataCopyPanel>()},
        {R::Appendix, text("Save all EEPROM data"), text("EepromReadOutPnl"), true,
         maker<TEepromReadOutPanel>()},
        {R::Appendix, text("APG check"), text("APGCheckPnl"), false, maker<TAPGCheckPanel>()},
        {R::Appendix, text("Check Pattern"), text("CheckPatternPnl"), false,
         maker<TCheckPatternPanel>()},
    };
}
} // namespace

const std::vector<TItemRegistry::Entry> &TItemRegistry::Entries()
{
    static const std::vector<Entry> entries = buildEntries();
    return entries;
}

int TItemRegistry::IndexOf(const QString &panelName)
{
    int index[ListCount] = {};
    for (const Entry &entry : Entries()) {
        if (entry.panelName == panelName)
            return index[entry.list];
        ++index[entry.list];
    }
    return -1;
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
