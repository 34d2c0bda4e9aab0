#include "maintenance.h"

#include "link/dllfunction.h"
#include "link/resultcode.h"

#include <array>
#include <utility>

namespace
{
// Below this value of B the limit grows by 500 points per step of B, from it on by 200.
constexpr int32_t SteepInputsEnd = 50;
constexpr int32_t SteepBase = 20000;
constexpr int32_t SteepPerB = 500;
constexpr int32_t FlatBase = 36750;
constexpr int32_t FlatPerB = 200;
constexpr int32_t PerA = 350;
constexpr int32_t PerC = 200;
constexpr int64_t Percent = 100;
} // namespace

TPMaintenance::TPMaintenance(TPDLLFunction &dll) : dll_(dll) {}

uint16_t TPMaintenance::ReadWasteInkCounter(uint16_t *counter)
{
    uint8_t low = 0;
    uint8_t high = 0;
    uint16_t code = dll_.ChanReadEeprom(AddressCounterLow, &low);
    if (code == TPResult::Ok)
        code = dll_.ChanReadEeprom(AddressCounterHigh, &high);
    if (code == TPResult::Ok)
        *counter = CounterFrom(high, low);
    return code;
}

uint16_t TPMaintenance::ReadWasteInkLimit(int32_t *limit)
{
    uint8_t a = 0;
    uint8_t b = 0;
    uint8_t c = 0;
    uint16_t code = dll_.ChanReadEeprom(AddressLimitA, &a);
    if (code == TPResult::Ok)
        code = dll_.ChanReadEeprom(AddressLimitB, &b);
    if (code == TPResult::Ok)
        code = dll_.ChanReadEeprom(AddressLimitC, &c);
    if (code == TPResult::Ok)
        *limit = LimitFrom(a, b, c);
    return code;
}

uint16_t TPMaintenance::ResetWasteInkCounter()
{
    constexpr std::array<uint8_t, 5> order = {AddressCounterLow, AddressCounterHigh, AddressLimitB,
                                              AddressLimitC, AddressLimitA};
    for (uint8_t address : order) {
        const uint16_t code = dll_.ChanWriteEeprom(address, 0);
        if (code != TPResult::Ok)
            return code;
    }
    return TPResult::Ok;
}

int32_t TPMaintenance::LimitFrom(uint8_t a, uint8_t b, uint8_t c)
{
    const int32_t base = b <= SteepInputsEnd ? SteepBase + SteepPerB * b : FlatBase + FlatPerB * b;
    return ClampLimit(base - PerA * a - PerC * c);
}

int32_t TPMaintenance::ClampLimit(int32_t raw)
{
    if (raw >= LargestLimit)
        return LargestLimit;
    if (raw <= SmallestLimit)
        return SmallestLimit;
    return raw;
}

uint16_t TPMaintenance::CounterFrom(uint8_t high, uint8_t low)
{
    return static_cast<uint16_t>(high * 256 + low);
}

int64_t TPMaintenance::UsageRate(uint32_t counter, int64_t limit)
{
    if (limit <= 0)
        return -1;
    const int64_t scaled = int64_t(counter) * Percent;
    return scaled / limit + (scaled % limit != 0 ? 1 : 0);
}

QString TPMaintenance::RateLine(uint16_t counter, const QString &limitText)
{
    bool ok = false;
    const int64_t limit = limitText.trimmed().toLongLong(&ok);
    const int64_t rate = ok ? UsageRate(counter, limit) : -1;
    if (rate < 0)
        return QStringLiteral("Waste ink pad usage rate: not available (the upper limit could "
                              "not be read; select the item again to read it).");
    return QStringLiteral("Waste ink pad usage rate: %1%").arg(rate);
}
