#pragma once

#include <QString>

// The value panels of the "Adjusted items" summary. An item writes the value it has just
// stored or read into its panel; closing the window empties them all.
enum class TPSummaryCell {
    HeadId,
    UsbId,
    WasteInkCounter,
    HeadAngular,
    FirstDot,
    TopMargin,
    PwTop,
    PwLeft,
    PwBottom,
    PwRight,
    // Bi-D: mode VSD1, VSD2, VSD3, ECO by ink group, without and with the platen gap raised.
    Bid1Black,
    Bid1Color,
    Bid1BlackPg,
    Bid1ColorPg,
    Bid2Black,
    Bid2Color,
    Bid2BlackPg,
    Bid2ColorPg,
    Bid3Black,
    Bid3Color,
    Bid3BlackPg,
    Bid3ColorPg,
    BidEcoBlack,
    BidEcoColor,
    BidEcoBlackPg,
    BidEcoColorPg
};

// The object name of a value panel ("ShowUSBIDPnl", "ShowBid2ClPGPnl", ...).
inline QString SummaryCellName(TPSummaryCell cell)
{
    static const char *const names[] = {"ShowHeadIDLbl",     "ShowUSBIDPnl",
                                        "ShowProCounterPnl", "ShowHeadAngularAdjustValuePnl",
                                        "ShowFirstDotPnl",   "ShowTopMarginPnl",
                                        "ShowPWHMYUPnl",     "ShowPWHMXDPnl",
                                        "ShowPWHMYDPnl",     "ShowPWHMXUPnl",
                                        "ShowBid1BkPnl",     "ShowBid1ClPnl",
                                        "ShowBid1BkPGPnl",   "ShowBid1ClPGPnl",
                                        "ShowBid2BkPnl",     "ShowBid2ClPnl",
                                        "ShowBid2BkPGPnl",   "ShowBid2ClPGPnl",
                                        "ShowBid3BkPnl",     "ShowBid3ClPnl",
                                        "ShowBid3BkPGPnl",   "ShowBid3ClPGPnl",
                                        "ShowBidECOBkPnl",   "ShowBidECOClPnl",
                                        "ShowBidECOBkPGPnl", "ShowBidECOClPGPnl"};
    return QString::fromLatin1(names[static_cast<int>(cell)]);
}
