#include "enginebridge.h"

#include "firmware.h"

namespace sim
{

EngineBridge::EngineBridge(Firmware &firmware, const Mechanics &mechanics, PrintOptions options)
    : firmware_(firmware), mechanics_(mechanics), engine_(*this, std::move(options))
{
}

namespace
{

// The sheet preview: a sixteenth of the sheet's dots each way, twice a second at most.
constexpr int kPreviewDivisor = 16;
constexpr std::chrono::milliseconds kPreviewEvery{500};

} // namespace

void EngineBridge::Feed(const uint8_t *bytes, size_t count)
{
    engine_.Feed(bytes, count);
    PassPrintTime();
    ShowSheet(false);
}

void EngineBridge::EndJob()
{
    engine_.EndJob();
    PassPrintTime();
    ShowSheet(true);
}

void EngineBridge::PassPrintTime()
{
    const double seconds = engine_.PrintSeconds();
    if (seconds > printSeconds_)
        firmware_.PrintFor(seconds - printSeconds_);
    printSeconds_ = seconds;
}

void EngineBridge::ShowSheet(bool now)
{
    if (!sheetListener_ || !sheetWatched_)
        return;
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - sheetShown_ < kPreviewEvery)
        return;
    sheetShown_ = time;
    sheetListener_(engine_.CurrentSheet(kPreviewDivisor));
}

void EngineBridge::PageWriting(bool writing)
{
    if (pageWriting_)
        pageWriting_(writing);
    if (!writing)
        sheetShown_ = {}; // the next sheet shows at once
}

std::string EngineBridge::FactoryPacket(const std::vector<uint8_t> &packet)
{
    constexpr size_t kCodeAt = 7;
    constexpr size_t kFirstParameterAt = 10;
    constexpr uint8_t kBidWrite = 0x00;
    constexpr uint8_t kPlatenGapMove = 0xD5;
    constexpr uint8_t kNarrowGapModes = 0x10;
    std::string why = firmware_.FactoryPacket(packet);
    if (why.empty() && packet.size() > kFirstParameterAt) {
        const uint8_t code = packet[kCodeAt];
        const uint8_t first = packet[kFirstParameterAt];
        if (code == kBidWrite)
            gapSet_ =
                (first & 0xF0) == kNarrowGapModes ? Mechanics::kNarrowGap : Mechanics::kTypicalGap;
        else if (code == kPlatenGapMove)
            gapSet_ = GapSetOf(first);
    }
    return why;
}

std::string EngineBridge::RemoteCommand(const std::string &name,
                                        const std::vector<uint8_t> &parameters)
{
    return firmware_.RemoteCommand(name, parameters);
}

// The page's time on paper reaches the mechanism step by step (PassPrintTime); here the
// page is out.
void EngineBridge::PagePrinted(double seconds)
{
    (void)seconds;
    firmware_.PageOut();
}

double EngineBridge::ReturnPrintShiftInches(int dotSizeMode, int colorCode)
{
    constexpr int kBlackColorCode = 0;
    const int mode = BidModeOfDotSize(dotSizeMode);
    if (mode < 0 || Aligned())
        return 0.0;
    const int ink = colorCode == kBlackColorCode ? Mechanics::kBlack : Mechanics::kColor;
    const auto stored = static_cast<int8_t>(firmware_.ReadEeprom(BidAddress(gapSet_, mode, ink)));
    return ReturnShiftInches(mechanics_, gapSet_, mode, ink, stored);
}

std::optional<double> EngineBridge::NozzleRowSlantInches()
{
    constexpr uint8_t kHeadAngular = 0x75;
    if (Aligned())
        return std::nullopt;
    const auto stored = static_cast<int8_t>(firmware_.ReadEeprom(kHeadAngular));
    return sim::NozzleRowSlantInches(mechanics_, stored);
}

std::optional<double> EngineBridge::EdgeBlockShiftInches(int side)
{
    if (Aligned())
        return std::nullopt;
    if (side < Mechanics::kRight || side > Mechanics::kBottom)
        return std::nullopt;
    const auto pwSide = static_cast<Mechanics::PwSide>(side);
    return EdgeShiftInches(mechanics_, pwSide, firmware_.ReadEeprom(PwSensorAddress(pwSide)));
}

double EngineBridge::FirstDotShiftInches()
{
    if (Aligned())
        return 0.0;
    return sim::FirstDotShiftInches(mechanics_,
                                    static_cast<int8_t>(firmware_.ReadEeprom(kFirstDotAddress)));
}

double EngineBridge::TopMarginShiftInches()
{
    if (Aligned())
        return 0.0;
    return sim::TopMarginShiftInches(mechanics_,
                                     static_cast<int8_t>(firmware_.ReadEeprom(kTopMarginAddress)));
}

} // namespace sim
