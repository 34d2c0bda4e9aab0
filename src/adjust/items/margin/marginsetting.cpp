#include "marginsetting.h"

#include <cmath>

namespace
{
// Enough for any value of the byte with its sign; longer text is not read at all, so no
// overflow can turn a long number into one in range.
constexpr int MaxInputLength = 4;
constexpr double StepsAcrossGauge = 255.0;
constexpr int MillimetreDecimals = 4;

std::optional<int> ParseDecimal(const QString &text)
{
    if (text.isEmpty() || text.size() > MaxInputLength)
        return std::nullopt;
    int at = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        at = 1;
    }
    if (at == text.size())
        return std::nullopt;
    int value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}
} // namespace

int TPMarginSetting::Clamp(int value)
{
    if (value > Maximum - 1)
        return Maximum;
    if (value < Minimum + 1)
        return Minimum;
    return value;
}

int TPMarginSetting::GaugeOffset(int value)
{
    if (value >= Maximum)
        return GaugeCentre;
    if (value <= Minimum)
        return -GaugeCentre;
    return static_cast<int>(std::trunc(value / StepsAcrossGauge * GaugeMaximum));
}

TPMarginSetting::View TPMarginSetting::ViewOf(int value, double millimetresPerStep)
{
    const int v = Clamp(value);
    const int first = GaugeOffset(v) + GaugeCentre;
    return {v, QString::number(v), first, GaugeMaximum - first,
            QString::number(millimetresPerStep * v, 'f', MillimetreDecimals) +
                QStringLiteral(" mm")};
}

std::optional<int> TPMarginSetting::InputValue(const QString &editText)
{
    const std::optional<int> value = ParseDecimal(editText);
    if (!value || *value < Minimum || *value > Maximum)
        return std::nullopt;
    return value;
}

std::optional<int> TPMarginSetting::SteppedValue(const QString &editText, int delta)
{
    const std::optional<int> value = ParseDecimal(editText);
    if (!value)
        return std::nullopt;
    return *value + delta;
}

int TPMarginSetting::FromStoredByte(uint8_t stored)
{
    return static_cast<int8_t>(stored);
}
