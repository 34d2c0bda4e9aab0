#include "printclock.h"

#include <algorithm>

namespace sim
{

void PrintClock::Printed(int fromDot, int toDot, bool unidirectional)
{
    if (!passOpen_) {
        passOpen_ = true;
        from_ = fromDot;
        to_ = toDot;
        unidirectional_ = unidirectional;
        return;
    }
    from_ = std::min(from_, fromDot);
    to_ = std::max(to_, toDot);
    unidirectional_ = unidirectional_ || unidirectional;
}

void PrintClock::EndPass()
{
    if (!passOpen_) {
        return;
    }
    passOpen_ = false;
    ++passes_;
    const double span = std::max(0, to_ - from_ + 1) / 360.0;
    double seconds = kPassStartSeconds + span / kCarriageInchesPerSecond;
    if (unidirectional_) {
        seconds += span / (2.0 * kCarriageInchesPerSecond);
    }
    seconds_ += seconds;
}

void PrintClock::Feed(double inches)
{
    EndPass();
    if (inches <= 0.0) {
        return;
    }
    feedInches_ += inches;
    seconds_ += kFeedStartSeconds + inches * kFeedSecondsPerInch;
}

double PrintClock::PageOut()
{
    EndPass();
    const double total = seconds_ + kLoadEjectSeconds;
    *this = PrintClock{};
    return total;
}

} // namespace sim
