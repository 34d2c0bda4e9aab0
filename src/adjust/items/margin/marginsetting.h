#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The setting shared by the first dot and the top margin adjustment: one signed byte of the
// EEPROM shown as an edit, a pair of gauges for the margin left on either side, and the
// offset in millimetres. Widget-free; the panels show what it computes.
class TPMarginSetting
{
public:
    static constexpr int Minimum = -128;
    static constexpr int Maximum = 127;
    static constexpr int GaugeMaximum = 100;
    static constexpr int GaugeCentre = 50;

    // What the panel shows for a setting.
    struct View {
        int value;           // after the clamp
        QString editText;    // decimal
        int firstGauge;      // left or top: margin left on that side, 0..100
        int secondGauge;     // right or bottom: 100 - firstGauge
        QString millimetres; // "0.1764 mm"
    };

    // Values one short of an end go to that end, so that the gauges reach 0 and 100.
    static int Clamp(int value);
    // The gauges' distance from their centre: -50..50.
    static int GaugeOffset(int value);
    // The setting v (clamped) with millimetresPerStep the length of one step.
    static View ViewOf(int value, double millimetresPerStep);

    // The value the "Input" button writes: a decimal integer (optional sign, ASCII digits)
    // in Minimum..Maximum. Anything else, empty text included, gives none.
    static std::optional<int> InputValue(const QString &editText);
    // Where a step of delta points from the edit's value lands (before the clamp). An empty
    // or unreadable edit (after a failed Read) gives none: the step does nothing.
    static std::optional<int> SteppedValue(const QString &editText, int delta);

    // A stored byte as the signed setting it stands for (0x80 and above are negative).
    static int FromStoredByte(uint8_t stored);
};
