#pragma once

// The printer's firmware: printer state, faults, ink, the EEPROM, and what factory and
// remote-mode packets do. Plain C++ without sockets or an event loop; time comes from a
// clock given to it, and every timed state (cleaning, printing, a fault that lasts a while,
// the boot after a reset) ends when the clock passes its end, checked at each call.
//
// The link answers on one thread and the print engine works on another: every public call
// takes the firmware's lock, so each sees the printer whole. The EEPROM's file is written with
// the lock released (the store keeps its own), so the link never waits for a disk.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "eepromstore.h"
#include "printermodel.h"

namespace sim
{

class Capture;

// Printer states of the status reply.
enum PrinterState : uint8_t {
    kStateError = 0,
    kStateBusy = 2,
    kStatePrinting = 3,
    kStateReady = 4,
    kStateCleaning = 7,
    kStateBeforeInkCharge = 8,
};

// Error codes of the status reply (meaningful in the error state).
enum PrinterError : uint8_t {
    kErrorPaperJam = 4,
    kErrorInkOut = 5,
    kErrorPaperOut = 6,
    kErrorMaintenance = 16,
};

// Faults a tester can put the printer in.
enum class Fault { PaperOut, Jam, InkOut, Busy, Cleaning, NoInkCharge };

enum class InkColor { Black, Cyan, Magenta, Yellow, LightCyan, LightMagenta };

// Platen gap positions of the gap mechanism, as command D5 names them.
enum PlatenGapPosition : uint8_t {
    kGapNarrow = 1,  // PG- (1.2mm)
    kGapTypical = 2, // PG Typical (1.7mm)
    kGapWide = 3,    // PG+ (2.35mm)
    kGapWidest = 4,  // PG++ (4.2mm)
};

// "PG Typical (1.7mm)" and so on.
std::string PlatenGapName(int position);

class Firmware
{
public:
    // Seconds on a monotonic clock.
    using Clock = std::function<double()>;

    // Unscaled durations, in seconds.
    static constexpr double kCleaningSeconds = 41.0;
    static constexpr double kInkChargeSeconds = 70.0;
    static constexpr double kBootSeconds = 3.0;

    // Ink used (percent of each cartridge) and waste ink points collected by a head cleaning
    // and an ink charge.
    static constexpr double kCleaningInk = 7.0;
    static constexpr double kInkChargeInk = 15.0;
    static constexpr int kCleaningWaste = 350;
    static constexpr int kInkChargeWaste = 900;

    // Drive times of the carriage timing runs: speed 3 (slow) and speed 1 (fast), each run
    // within kDriveTimeJitter of its series value.
    static constexpr int kSlowDriveTime = 380;
    static constexpr int kFastDriveTime = 700;
    static constexpr int kDriveTimeJitter = 2;

    // capture may be null. Every duration is multiplied by timeScale.
    Firmware(Model model, EepromStore &eeprom, double timeScale, Clock clock,
             Capture *capture = nullptr);

    Model GetModel() const { return model_; }
    std::string DeviceId() const { return DeviceIdText(model_); }

    uint8_t State();
    // The error code, or nothing when the printer is not in an error state.
    std::optional<uint8_t> Error();
    std::vector<uint8_t> Warnings();
    // Percent, Black, Cyan, Magenta, Yellow, Light Cyan, Light Magenta.
    std::array<uint8_t, 6> InkLevels();
    // The reply to "@BDC ST2\r\n".
    std::vector<uint8_t> StatusReply();
    // False while busy, cleaning or in an error state: data is refused then. While printing
    // the printer takes data as long as its input buffer has room (the buffer decides).
    bool CanTakeData();

    uint8_t ReadEeprom(uint8_t address) const;
    // False when the byte could not be stored (it is not changed then).
    bool WriteEeprom(uint8_t address, uint8_t value);

    // Puts the printer in a fault; seconds > 0 ends it by itself after that long (real
    // seconds, not scaled: the tester chose them).
    void SetFault(Fault fault, double seconds = 0);
    // Back to ready: every fault and every running job ends, empty cartridges are replaced.
    void Clear();
    // The paper was reloaded: ends a paper-out error.
    void ReloadPaper();
    // The printer restarts (reset request): settings not yet committed are lost, cleaning
    // and printing stop, and it is busy booting for a moment. Faults stay.
    void Restart();

    // Where the platen gap mechanism stands (position code 1..4, 2 = typical).
    int PlatenGap() const;
    // What the last accepted factory packet did, in words (empty before the first).
    std::string LastAction() const;

    // Carriage timing runs for a tester: the next run leaves a drive time just outside its
    // series' range (each call spoils one more run); the next three runs spread by 12
    // counts, more than the measurement allows. Clear() ends both.
    void SpoilNextDriveTime();
    void SpreadNextDriveTimes();
    // The carriage motor's drive-time dispersion: the slow timing runs read this many counts
    // above the series value (below when negative).
    void SetDriveTimeDispersion(int counts);
    // The waste ink counter's upper limit from the limit inputs in the EEPROM.
    int WasteInkLimit() const;

    // What the print engine finds in the data stream. A factory packet (ESC "|" 00 count
    // ...) exactly as it stood there: returns an empty text when it was accepted and applied,
    // else why it was rejected.
    std::string FactoryPacket(const std::vector<uint8_t> &packet);
    // One remote-mode command with its parameter bytes; an empty text when accepted.
    std::string RemoteCommand(const std::string &name, const std::vector<uint8_t> &parameters);
    // A page left the printer; printing it took this long on paper (seconds, unscaled).
    // The same as PrintFor (seconds) and PageOut ().
    void PagePrinted(double seconds);
    // The print mechanism has this much more to do (seconds on paper, unscaled): the printer
    // prints until it is done.
    void PrintFor(double seconds);
    // A page came out: ink, waste ink and the page counter.
    void PageOut();
    // The input buffer holds data not yet printed (or the engine is at work on it): the
    // printer is printing until it is empty.
    void SetDataPending(bool pending);
    // Seconds until the mechanism is free to print what comes next (0: now), or nothing
    // while it cannot print at all (an error, a cleaning, busy): the engine then waits.
    std::optional<double> SecondsBeforePrinting();

private:
    struct Timed {
        bool on = false;
        double until = 0; // 0: no end
    };

    using Lock = std::lock_guard<std::recursive_mutex>;
    void Update();
    double Now() const { return clock_(); }
    double Scaled(double seconds) const { return seconds * timeScale_; }
    void StartTimed(Timed &timed, double seconds);
    // What a factory packet came to: rejected (why) or applied (did).
    struct Outcome {
        std::string why;
        std::string did;
    };
    static Outcome Rejected(std::string why) { return {std::move(why), ""}; }
    static Outcome Done(std::string did) { return {"", std::move(did)}; }

    // What a command changes in the EEPROM, stored once the firmware's lock is released.
    struct EepromEdit {
        std::vector<std::pair<uint8_t, uint8_t>> bytes; // address, value
        std::vector<std::pair<uint8_t, int>> counts;    // a 16-bit counter's high byte, the gain
        void Apply(EepromImage &image) const;
    };
    // Stores the edit; called without the firmware's lock.
    bool Store(const EepromEdit &edit);

    Outcome ApplyFactory(uint8_t code, const std::vector<uint8_t> &parameters, EepromEdit &edit);
    Outcome ApplyBiD(const std::vector<uint8_t> &parameters, EepromEdit &edit);
    Outcome ApplyCommit(EepromEdit &edit);
    Outcome ApplyCleaning(uint8_t mode, EepromEdit &edit);
    Outcome ApplyCarriageRun(const std::vector<uint8_t> &parameters, EepromEdit &edit);
    Outcome ApplyCarriageParameter(uint8_t code, const std::vector<uint8_t> &parameters);
    Outcome ApplyPrintArea(const std::vector<uint8_t> &parameters);
    Outcome ApplyPlatenGap(uint8_t position);
    int NextDriveTime(bool slow);
    void UseInk(double percent);
    void RefillEmptyCartridges();
    int WasteInkCounter() const;
    void Log(const std::string &op, const std::string &why, int code = -1,
             const std::string &command = "", const std::string &did = "");

    static constexpr std::array<int, 3> kSpreadPattern = {-6, 6, 0};

    mutable std::recursive_mutex mutex_;
    Model model_;
    EepromStore &eeprom_;
    double timeScale_;
    Clock clock_;
    Capture *capture_;

    Timed paperOut_, jam_, busy_, cleaningFault_, noInkCharge_;
    Timed inkOut_;             // the cartridge emptied by a fault is replaced when this ends
    double cleaningUntil_ = 0; // head cleaning or ink charge running
    double printingUntil_ = 0;
    bool dataPending_ = false;
    double bootingUntil_ = 0;
    std::array<double, 6> ink_{};
    std::optional<uint8_t> stagedHeadAngular_;
    std::optional<uint8_t> stagedFirstDot_;
    int platenGap_ = kGapTypical;
    std::string lastAction_;
    std::mt19937 random_;
    int spoiledRuns_ = 0;
    size_t spreadRuns_ = 0;
    int driveTimeDispersion_ = 0;
};

} // namespace sim
