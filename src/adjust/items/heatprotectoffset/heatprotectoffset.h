#pragma once

#include "adjust/errorreport.h"
#include "link/resultcode.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>

class TPDLLFunction;
class TPFactory;
class TPRaster;
class TPStatusControl;

// The offset of the carriage (CR) motor heat protection at EEPROM 0x56: a fixed default, or
// the value measured from the drive times the printer records during timed carriage runs
// (the CR motor drive dispersion measurement).
class TPHeatProtect
{
public:
    static constexpr uint8_t OffsetAddress = 0x56;
    static constexpr uint8_t DefaultOffset = 0x42;
    static constexpr uint8_t DriveTimeHigh = 0x52;
    static constexpr uint8_t DriveTimeLow = 0x53;
    static constexpr int ValuesPerSeries = 3;

    // Why the last measurement failed with CrMeasurementError.
    enum class Failure {
        None = 0,
        DriveTimeOutOfRange = 1, // a drive time out of range twice in a row
        NotReady = 2             // the printer did not become ready after the carriage runs
    };

    // One series of timed carriage runs.
    struct Series {
        uint8_t speed;
        int settleMs; // wait after the run before its drive time is read
        int minimum;  // accepted drive times
        int maximum;
    };
    static const Series SlowSeries;
    static const Series FastSeries;
    using Values = std::array<int, ValuesPerSeries>;

    static bool Accepts(const Series &series, int driveTime);
    // D: the dispersion of the two series, truncated toward zero.
    static int Dispersion(const Values &slow, const Values &fast);
    // The stored offset byte for a dispersion D (through the intermediate value A).
    static uint8_t OffsetFor(int dispersion);
    // True when two values of the series differ by more than the allowed spread.
    static bool SpreadTooWide(const Values &series);

    // The wait for a ready printer after the preparation runs: one inquiry a second, at most
    // MaxReadyPolls of them. A failed inquiry is passed to onFailedInquiry and the wait goes
    // on, unless MaxFailedInquiries fail in a row (each one also waits out the link's time-out).
    enum class Poll { Ready, NotReady, Failed };
    static constexpr int ReadyPollMs = 1000;
    static constexpr int MaxReadyPolls = 180;
    static constexpr int MaxFailedInquiries = 5;
    static bool WaitForReady(const std::function<Poll()> &poll,
                             const std::function<void()> &onFailedInquiry);

    // What the measurement tells the window while it runs.
    struct Hooks {
        std::function<void()> inquiryFailed;    // a status inquiry of the ready wait failed
        std::function<void()> inquiryRecovered; // the printer answered again after that
        std::function<void()> spreadTooWide;    // after the offset was written
    };

    TPHeatProtect(TPDLLFunction &dll, TPRaster &raster, TPFactory &factory,
                  TPStatusControl &status);
    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Writes the default offset, then the settings commit command.
    uint16_t WriteDefaultOffset();
    // Runs the carriage, measures, writes the offset. CrMeasurementError with FailureIndex().
    uint16_t RunMeasurement();

    Failure FailureIndex() const { return failure_; }
    TPErrorWording Wording(uint16_t code) const;

private:
    uint16_t Prepare();
    uint16_t WaitAfterPreparation();
    uint16_t MeasureSeries(const Series &series, Values *values);
    uint16_t MeasureOne(const Series &series, int *driveTime);
    uint16_t ReadDriveTime(int *driveTime);
    uint16_t ReadWithRetry(uint8_t address, uint8_t *value);
    uint16_t Settle(); // CD(0, 193) and flush
    uint16_t StoreOffset(uint8_t offset);

    TPDLLFunction &dll_;
    TPRaster &raster_;
    TPFactory &factory_;
    TPStatusControl &status_;
    Hooks hooks_;
    Failure failure_ = Failure::None;
};
