#pragma once

#include <QString>
#include <cstdint>

class TPDLLFunction;

// The waste ink pad counter: the counter itself, its upper limit worked out from three limit
// inputs, the usage rate, and the reset when the pad is replaced.
class TPMaintenance
{
public:
    static constexpr uint8_t AddressCounterHigh = 0x0C;
    static constexpr uint8_t AddressCounterLow = 0x0D;
    static constexpr uint8_t AddressLimitB = 0x2B;
    static constexpr uint8_t AddressLimitC = 0x3E;
    static constexpr uint8_t AddressLimitA = 0x3F;

    static constexpr int32_t SmallestLimit = 20000;
    static constexpr int32_t LargestLimit = 46750;

    explicit TPMaintenance(TPDLLFunction &dll);

    // Reads 0x0D, then 0x0C.
    uint16_t ReadWasteInkCounter(uint16_t *counter);
    // Reads 0x3F, 0x2B, 0x3E and works out the clamped limit.
    uint16_t ReadWasteInkLimit(int32_t *limit);
    // Writes 0 to 0x0D, 0x0C, 0x2B, 0x3E and 0x3F, in this order; stops at the first failure.
    uint16_t ResetWasteInkCounter();

    // The upper limit from the inputs A (0x3F), B (0x2B) and C (0x3E), clamped to
    // 20000..46750.
    static int32_t LimitFrom(uint8_t a, uint8_t b, uint8_t c);
    // A raw limit held to 20000..46750.
    static int32_t ClampLimit(int32_t raw);
    static uint16_t CounterFrom(uint8_t high, uint8_t low);
    // Counter in percent of the limit, rounded up; -1 when the limit is not a positive number.
    static int64_t UsageRate(uint32_t counter, int64_t limit);
    // The second line of "Read": the rate against the limit text of the panel, or a line
    // saying that no rate can be given when that text holds no limit.
    static QString RateLine(uint16_t counter, const QString &limitText);

private:
    TPDLLFunction &dll_;
};
