#include "heatprotectoffset.h"

#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/raster.h"
#include "link/statuscontrol.h"
#include "link/wait.h"

#include <algorithm>

namespace
{
// Carriage commands of the sequence: C4 runs (speed, direction, distance), C5 and CD set
// carriage parameters (item, flag or 0, value).
constexpr uint8_t MoveSpeed = 20;
constexpr uint8_t ParameterItem = 19;
constexpr uint8_t BaseItem = 0;
constexpr int16_t SettleValue = 193;
constexpr int16_t PreparationValue = 1993;
constexpr int PreparationPairs = 30;
constexpr uint16_t TimedRunDistance = 1800;

constexpr int PreparationWaitMs = 30000;
constexpr int ReadRetryWaitMs = 200;
constexpr int MaxReadAttempts = 12;
constexpr int AllowedSpread = 10;

// D to the intermediate A and its limits.
constexpr int DispersionBias = 951;
constexpr int AFactorNumerator = 18;
constexpr int AFactorDenominator = 10;
constexpr int ABase = 88;
constexpr int DispersionHighLimit = 40;
constexpr int AAboveHighLimit = 160;
constexpr int DispersionLowLimit = -77;
constexpr int ABelowLowLimit = -51;

int Sum(const TPHeatProtect::Values &values)
{
    int sum = 0;
    for (int value : values)
        sum += value;
    return sum;
}
} // namespace

const TPHeatProtect::Series TPHeatProtect::SlowSeries = {3, 2000, 274, 502};
const TPHeatProtect::Series TPHeatProtect::FastSeries = {1, 1500, 546, 870};

bool TPHeatProtect::Accepts(const Series &series, int driveTime)
{
    return driveTime >= series.minimum && driveTime <= series.maximum;
}

int TPHeatProtect::Dispersion(const Values &slow, const Values &fast)
{
    return (Sum(slow) - Sum(fast) + DispersionBias) / ValuesPerSeries;
}

uint8_t TPHeatProtect::OffsetFor(int dispersion)
{
    int a = dispersion * AFactorNumerator / AFactorDenominator + ABase;
    if (dispersion > DispersionHighLimit)
        a = AAboveHighLimit;
    if (dispersion < DispersionLowLimit)
        a = ABelowLowLimit;
    return static_cast<uint8_t>(a / 2);
}

bool TPHeatProtect::SpreadTooWide(const Values &series)
{
    const auto [low, high] = std::minmax_element(series.begin(), series.end());
    return *high - *low > AllowedSpread;
}

bool TPHeatProtect::WaitForReady(const std::function<Poll()> &poll,
                                 const std::function<void()> &onFailedInquiry)
{
    int failedInARow = 0;
    for (int polls = 1;; ++polls) {
        const Poll answer = poll();
        if (answer == Poll::Ready)
            return true;
        failedInARow = answer == Poll::Failed ? failedInARow + 1 : 0;
        if (answer == Poll::Failed && onFailedInquiry)
            onFailedInquiry();
        // A printer that does not answer costs the link's time-out on every inquiry as well.
        if (polls >= MaxReadyPolls || failedInARow >= MaxFailedInquiries)
            return false;
        Wait::For(ReadyPollMs);
    }
}

TPHeatProtect::TPHeatProtect(TPDLLFunction &dll, TPRaster &raster, TPFactory &factory,
                             TPStatusControl &status)
    : dll_(dll), raster_(raster), factory_(factory), status_(status)
{
}

uint16_t TPHeatProtect::WriteDefaultOffset()
{
    const uint16_t written = dll_.ChanWriteEeprom(OffsetAddress, DefaultOffset);
    if (written != TPResult::Ok)
        return written;
    return factory_.FactoryCommand50();
}

uint16_t TPHeatProtect::RunMeasurement()
{
    failure_ = Failure::None;
    Values slow{};
    Values fast{};
    for (auto step : {&TPHeatProtect::Prepare, &TPHeatProtect::WaitAfterPreparation}) {
        const uint16_t code = (this->*step)();
        if (code != TPResult::Ok)
            return code;
    }
    uint16_t code = MeasureSeries(SlowSeries, &slow);
    if (code == TPResult::Ok)
        code = MeasureSeries(FastSeries, &fast);
    if (code == TPResult::Ok)
        code = StoreOffset(OffsetFor(Dispersion(slow, fast)));
    if (code != TPResult::Ok)
        return code;
    if ((SpreadTooWide(slow) || SpreadTooWide(fast)) && hooks_.spreadTooWide)
        hooks_.spreadTooWide();
    return raster_.Flush();
}

uint16_t TPHeatProtect::Prepare()
{
    const std::function<uint16_t()> steps[] = {
        [this] { return factory_.FactoryCommandC4(MoveSpeed, 0, 2); },
        [this] { return factory_.FactoryCommandC5(ParameterItem, 0, 200); },
        [this] { return factory_.FactoryCommandC4(MoveSpeed, 1, 4); },
        [this] { return factory_.FactoryCommandC5(ParameterItem, 0, 200); },
        [this] { return factory_.FactoryCommandC4(MoveSpeed, 0, 2); },
        [this] { return factory_.FactoryCommandCD(MoveSpeed, SettleValue); },
    };
    for (const auto &step : steps) {
        const uint16_t code = step();
        if (code != TPResult::Ok)
            return code;
    }
    for (int pair = 0; pair < PreparationPairs; ++pair) {
        for (int16_t value : {PreparationValue, SettleValue}) {
            const uint16_t code = factory_.FactoryCommandCD(BaseItem, value);
            if (code != TPResult::Ok)
                return code;
        }
    }
    return raster_.Flush();
}

uint16_t TPHeatProtect::WaitAfterPreparation()
{
    Wait::For(PreparationWaitMs);
    bool failedBefore = false;
    const auto poll = [this, &failedBefore] {
        if (status_.ReadStatus() != TPResult::Ok)
            return Poll::Failed;
        if (failedBefore) {
            failedBefore = false;
            if (hooks_.inquiryRecovered)
                hooks_.inquiryRecovered();
        }
        return status_.Record().state == TPStatusControl::StateReady ? Poll::Ready : Poll::NotReady;
    };
    const auto failed = [this, &failedBefore] {
        failedBefore = true;
        if (hooks_.inquiryFailed)
            hooks_.inquiryFailed();
    };
    if (WaitForReady(poll, failed))
        return TPResult::Ok;
    failure_ = Failure::NotReady;
    return TPResult::CrMeasurementError;
}

uint16_t TPHeatProtect::MeasureSeries(const Series &series, Values *values)
{
    for (int &value : *values) {
        const uint16_t code = MeasureOne(series, &value);
        if (code != TPResult::Ok)
            return code;
    }
    return TPResult::Ok;
}

uint16_t TPHeatProtect::MeasureOne(const Series &series, int *driveTime)
{
    for (bool retried = false;; retried = true) {
        uint16_t code = factory_.FactoryCommandC4(series.speed, 0, TimedRunDistance);
        if (code == TPResult::Ok)
            code = raster_.Flush();
        if (code != TPResult::Ok)
            return code;
        Wait::For(series.settleMs);
        code = ReadDriveTime(driveTime);
        if (code != TPResult::Ok)
            return code;
        if (Accepts(series, *driveTime))
            return Settle();
        if (retried) {
            code = raster_.Flush();
            if (code != TPResult::Ok)
                return code;
            failure_ = Failure::DriveTimeOutOfRange;
            return TPResult::CrMeasurementError;
        }
        code = Settle();
        if (code != TPResult::Ok)
            return code;
    }
}

uint16_t TPHeatProtect::ReadDriveTime(int *driveTime)
{
    uint8_t low = 0;
    uint8_t high = 0;
    uint16_t code = ReadWithRetry(DriveTimeLow, &low);
    if (code == TPResult::Ok)
        code = ReadWithRetry(DriveTimeHigh, &high);
    if (code == TPResult::Ok)
        *driveTime = high * 256 + low;
    return code;
}

uint16_t TPHeatProtect::ReadWithRetry(uint8_t address, uint8_t *value)
{
    for (int attempt = 1;; ++attempt) {
        const uint16_t code = dll_.ChanReadEeprom(address, value);
        if (code == TPResult::Ok || attempt >= MaxReadAttempts)
            return code;
        Wait::For(ReadRetryWaitMs);
        const uint16_t settled = Settle();
        if (settled != TPResult::Ok)
            return settled;
    }
}

uint16_t TPHeatProtect::Settle()
{
    const uint16_t code = factory_.FactoryCommandCD(BaseItem, SettleValue);
    return code == TPResult::Ok ? raster_.Flush() : code;
}

uint16_t TPHeatProtect::StoreOffset(uint8_t offset)
{
    const std::function<uint16_t()> steps[] = {
        [this, offset] { return dll_.ChanWriteEeprom(OffsetAddress, offset); },
        [this, offset] { return factory_.FactoryCommand4C(OffsetAddress, offset); },
        [this] { return factory_.FactoryCommand81(); },
        [this] { return factory_.FactoryCommandC4(MoveSpeed, 1, 2); },
        [this] { return factory_.FactoryCommandC5(ParameterItem, 1, 200); },
        [this] { return factory_.FactoryCommandC4(MoveSpeed, 0, 2); },
    };
    for (const auto &step : steps) {
        const uint16_t code = step();
        if (code != TPResult::Ok)
            return code;
    }
    return TPResult::Ok;
}

TPErrorWording TPHeatProtect::Wording(uint16_t code) const
{
    if (code != TPResult::CrMeasurementError)
        return {};
    switch (failure_) {
    case Failure::DriveTimeOutOfRange:
        return {{{TPMode::Error, QStringLiteral("Ave_Ti value out of range.")}}, std::nullopt};
    case Failure::NotReady:
        return {
            {{TPMode::Error, QStringLiteral("The printer did not become ready.")},
             {TPMode::NewLine, QStringLiteral("Check the printer and run the sequence again.")}},
            std::nullopt};
    case Failure::None:
        break;
    }
    return {};
}
