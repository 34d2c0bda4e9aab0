#pragma once

// The printer's mechanical errors: how far this particular printer is out of adjustment before
// any stored correction is applied. A printer fresh from the factory has none. Each error is
// counted in steps of the stored value that corrects it, so the value a technician should
// write equals the error (the head tilt, the first dot and top margin offsets, the PW sensor
// offsets) or, for Bi-D, is the error itself per mode, ink group and platen gap.

#include <array>
#include <cstdint>
#include <string>

#include "printermodel.h"

namespace sim
{

struct Mechanics {
    // Bi-D modes in the order of the stored values: ECO, VSD1, VSD2, VSD3.
    static constexpr int kModes = 4;
    enum Gap { kTypicalGap = 0, kNarrowGap = 1 };
    enum Ink { kBlack = 0, kColor = 1 };
    enum PwSide { kRight = 0, kLeft = 1, kTop = 2, kBottom = 3 };

    // Sizes of one step of each error, in inches (see sim/README.md).
    static constexpr double kBidStepInches = 1.0 / 360.0;
    static constexpr double kFirstDotStepInches = 1.0 / 1440.0;
    static constexpr double kTopMarginStepInches = 1.0 / 720.0;
    // Sideways, between the first and the last nozzle of the head's row: the head angular
    // pattern's columns stand that far apart per unit of their labels.
    static constexpr double kHeadTiltStepInches = 1.0 / 2880.0;
    static constexpr double kPwSideStepInches = 1.0 / 180.0; // one row of the edge marks
    static constexpr double kPwEndStepInches = 1.0 / 120.0;  // one line of the diagonal bars

    // [gap][mode][ink], in steps of the stored Bi-D value.
    std::array<std::array<std::array<int, 2>, kModes>, 2> bid{};
    int headTilt = 0;
    int firstDot = 0;
    int topMargin = 0;
    std::array<int, 4> pwSensor{}; // Right, Left, Top, Bottom, in the side's input steps
    int crDispersion = 0;          // drive time counts the slow timing run reads high

    bool operator==(const Mechanics &other) const;
    bool operator!=(const Mechanics &other) const { return !(*this == other); }
};

// Reads the mechanics of a printer of this model from a JSON text. Returns an empty text and
// fills `out`, or names the field that is wrong and leaves `out` alone.
std::string ParseMechanics(const std::string &json, Model model, Mechanics &out);
// The JSON text of a printer's mechanics (what ParseMechanics reads).
std::string MechanicsJson(const Mechanics &mechanics, Model model);
// A reproducible printer out of adjustment: every error within what one pattern shows.
Mechanics RandomMechanics(uint32_t seed);
// What --mechanics names: "random:SEED" or a JSON file. Returns an empty text or why not.
std::string LoadMechanics(const std::string &source, Model model, Mechanics &out);
// Reads or writes the mechanics kept next to the EEPROM file. A missing file is a printer
// without errors.
std::string ReadMechanicsFile(const std::string &path, Model model, Mechanics &out);
std::string WriteMechanicsFile(const std::string &path, const Mechanics &mechanics, Model model);
// The file that keeps them with an EEPROM image.
std::string MechanicsPathFor(const std::string &eepromPath);

// Bi-D mode index (0 ECO, 1..3 VSD1..VSD3) of a dot-size mode (16 VSD1 .. 19 ECO), or -1.
int BidModeOfDotSize(int dotSizeMode);
// The EEPROM address of a stored Bi-D value.
uint8_t BidAddress(Mechanics::Gap gap, int mode, int ink);
// Inches a return-printed band lands right of its forward twin: the Bi-D error of the mode,
// ink group and platen gap set in force, less the stored correction.
double ReturnShiftInches(const Mechanics &mechanics, Mechanics::Gap gap, int mode, int ink,
                         int8_t stored);
// Inches the head's last nozzle lands right of its first: the head tilt less the head angular
// correction in force (the value last committed).
double NozzleRowSlantInches(const Mechanics &mechanics, int8_t stored);

// Where the stored first dot (0x59) and top margin (0x57) values live.
constexpr uint8_t kFirstDotAddress = 0x59;
constexpr uint8_t kTopMarginAddress = 0x57;
// Inches the printable area lands right of its designed place: the stored first dot value less
// the first dot error, in its steps. A higher stored value moves printing right (the program's
// "Remainder of left margin" grows with it), so the error is how far left the printer lands.
double FirstDotShiftInches(const Mechanics &mechanics, int8_t stored);
// Inches the printable area lands below its designed place: the stored top margin value less
// the top margin error, in its steps (negative values move toward the top).
double TopMarginShiftInches(const Mechanics &mechanics, int8_t stored);
// The gap set (typical or narrow) a platen gap position (1 PG- .. 4 PG++) prints with: the
// wide gaps print with the typical values.
Mechanics::Gap GapSetOf(int platenGap);

// The EEPROM address of a side's stored PW sensor value (the first copy, which the printer
// uses), and that value in the side's input steps (the byte holds steps times a factor).
uint8_t PwSensorAddress(Mechanics::PwSide side);
int PwSensorSteps(Mechanics::PwSide side, uint8_t stored);
// Inches a block printed against a paper edge lands off where a true sensor puts it (left for
// the right and left edges, towards the edge for the top and bottom): the side's error less
// the stored correction, in rows of the edge marks or lines of the diagonal bars.
double EdgeShiftInches(const Mechanics &mechanics, Mechanics::PwSide side, uint8_t stored);

// One line per error, for the service view.
std::string DescribeMechanics(const Mechanics &mechanics);

} // namespace sim
