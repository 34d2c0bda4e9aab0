#include "firmware.h"

#include <algorithm>
#include <cmath>

#include "capture.h"
#include "eepromstore.h"
#include "factorypacket.h"
#include "hexformat.h"

namespace sim
{

namespace
{

// EEPROM addresses the firmware itself looks after.
constexpr uint8_t kWasteCounterHigh = 0x0C;
constexpr uint8_t kPageCounterHigh = 0x0E;
constexpr uint8_t kCleaningCounterHigh = 0x10;
constexpr uint8_t kLimitInputB = 0x2B;
constexpr uint8_t kLimitInputC = 0x3E;
constexpr uint8_t kLimitInputA = 0x3F;
constexpr uint8_t kDriveTimeHigh = 0x52;
constexpr uint8_t kFirstDot = 0x59;
constexpr uint8_t kHeadAngular = 0x75;

constexpr uint8_t kHeatProtectOffset = 0x56;
constexpr uint8_t kTypicalGapBiD = 0x32;
constexpr uint8_t kNarrowGapBiD = 0xD2;

// Ink used and waste ink collected by a page.
constexpr double kPageInk = 0.2;
constexpr int kPageWaste = 2;
constexpr double kLowInk = 15.0;

// Cartridge levels of a printer just switched on.
constexpr std::array<double, 6> kStartInk = {82, 74, 69, 91, 57, 63};

// Every printable name as it is; anything else as hexadecimal, so the log stays readable.
std::string Printable(const std::string &name)
{
    for (char c : name)
        if (c < 0x20 || c > 0x7E) {
            std::string hex;
            for (char b : name)
                hex += (hex.empty() ? "" : " ") + HexByte(static_cast<uint8_t>(b));
            return hex;
        }
    return name;
}

// Decimal text of a byte read as two's complement.
std::string Signed(uint8_t value)
{
    return std::to_string(static_cast<int8_t>(value));
}

uint16_t Word(const std::vector<uint8_t> &p, size_t at)
{
    return static_cast<uint16_t>(p[at] | (p[at + 1] << 8));
}

bool IsFlag(uint8_t value)
{
    return value <= 1;
}

} // namespace

std::string PlatenGapName(int position)
{
    switch (position) {
    case kGapNarrow:
        return "PG- (1.2mm)";
    case kGapTypical:
        return "PG Typical (1.7mm)";
    case kGapWide:
        return "PG+ (2.35mm)";
    case kGapWidest:
        return "PG++ (4.2mm)";
    default:
        return "position " + std::to_string(position);
    }
}

Firmware::Firmware(Model model, EepromStore &eeprom, double timeScale, Clock clock,
                   Capture *capture)
    : model_(model), eeprom_(eeprom), timeScale_(timeScale), clock_(std::move(clock)),
      capture_(capture), ink_(kStartInk), random_(std::random_device{}())
{
}

void Firmware::StartTimed(Timed &timed, double seconds)
{
    timed.on = true;
    timed.until = seconds > 0 ? Now() + seconds : 0;
}

void Firmware::Update()
{
    const double now = Now();
    for (Timed *timed : {&paperOut_, &jam_, &busy_, &cleaningFault_, &noInkCharge_})
        if (timed->on && timed->until > 0 && now >= timed->until)
            *timed = Timed{};
    if (inkOut_.on && inkOut_.until > 0 && now >= inkOut_.until) {
        inkOut_ = Timed{};
        RefillEmptyCartridges();
    }
}

std::optional<uint8_t> Firmware::Error()
{
    const Lock lock(mutex_);
    Update();
    if (jam_.on)
        return kErrorPaperJam;
    if (std::any_of(ink_.begin(), ink_.end(), [](double level) { return level <= 0; }))
        return kErrorInkOut;
    if (paperOut_.on)
        return kErrorPaperOut;
    if (WasteInkCounter() >= WasteInkLimit())
        return kErrorMaintenance;
    return std::nullopt;
}

uint8_t Firmware::State()
{
    const Lock lock(mutex_);
    if (Error())
        return kStateError;
    const double now = Now();
    if (noInkCharge_.on)
        return kStateBeforeInkCharge;
    if (cleaningFault_.on || now < cleaningUntil_)
        return kStateCleaning;
    // A printer held busy prints nothing, so it does not say it is printing what it holds.
    if (busy_.on)
        return kStateBusy;
    if (dataPending_ || now < printingUntil_)
        return kStatePrinting;
    if (now < bootingUntil_)
        return kStateBusy;
    return kStateReady;
}

bool Firmware::CanTakeData()
{
    const Lock lock(mutex_);
    const uint8_t state = State();
    return state == kStateReady || state == kStatePrinting || state == kStateBeforeInkCharge;
}

std::vector<uint8_t> Firmware::Warnings()
{
    const Lock lock(mutex_);
    Update();
    std::vector<uint8_t> warnings;
    for (size_t color = 0; color < ink_.size(); ++color)
        if (ink_[color] > 0 && ink_[color] <= kLowInk)
            warnings.push_back(static_cast<uint8_t>(0x10 + color));
    const int limit = WasteInkLimit();
    const int counter = WasteInkCounter();
    if (counter < limit && counter * 10 >= limit * 9)
        warnings.push_back(0x20);
    return warnings;
}

std::array<uint8_t, 6> Firmware::InkLevels()
{
    const Lock lock(mutex_);
    Update();
    std::array<uint8_t, 6> levels{};
    for (size_t color = 0; color < ink_.size(); ++color)
        levels[color] = static_cast<uint8_t>(std::clamp(std::ceil(ink_[color]), 0.0, 100.0));
    return levels;
}

std::vector<uint8_t> Firmware::StatusReply()
{
    const Lock lock(mutex_);
    const std::string header = "@BDC ST2\r\n";
    std::vector<uint8_t> reply(header.begin(), header.end());
    reply.push_back(0); // L, filled in below
    reply.push_back(0);
    const uint8_t state = State();
    reply.insert(reply.end(), {0x01, 0x01, state});
    reply.insert(reply.end(), {0x02, 0x01, Error().value_or(0)});
    const std::vector<uint8_t> warnings = Warnings();
    if (!warnings.empty()) {
        reply.push_back(0x04);
        reply.push_back(static_cast<uint8_t>(warnings.size()));
        reply.insert(reply.end(), warnings.begin(), warnings.end());
    }
    const std::array<uint8_t, 6> levels = InkLevels();
    reply.insert(reply.end(), {0x0F, 0x13, 0x00});
    for (uint8_t color = 0; color < levels.size(); ++color)
        reply.insert(reply.end(), {0x00, color, levels[color]});
    reply[10] = static_cast<uint8_t>(reply.size() & 0xFF);
    reply[11] = static_cast<uint8_t>(reply.size() >> 8);
    return reply;
}

// The store keeps its own lock: a read or a write never waits for the firmware.
uint8_t Firmware::ReadEeprom(uint8_t address) const
{
    return eeprom_.Read(address);
}

bool Firmware::WriteEeprom(uint8_t address, uint8_t value)
{
    return eeprom_.Write(address, value);
}

void Firmware::SetFault(Fault fault, double seconds)
{
    const Lock lock(mutex_);
    Update();
    switch (fault) {
    case Fault::PaperOut:
        StartTimed(paperOut_, seconds);
        break;
    case Fault::Jam:
        StartTimed(jam_, seconds);
        break;
    case Fault::InkOut:
        ink_[static_cast<size_t>(InkColor::Black)] = 0;
        StartTimed(inkOut_, seconds);
        break;
    case Fault::Busy:
        StartTimed(busy_, seconds);
        break;
    case Fault::Cleaning:
        StartTimed(cleaningFault_, seconds);
        break;
    case Fault::NoInkCharge:
        StartTimed(noInkCharge_, seconds);
        break;
    }
}

void Firmware::Clear()
{
    const Lock lock(mutex_);
    paperOut_ = jam_ = busy_ = cleaningFault_ = noInkCharge_ = inkOut_ = Timed{};
    cleaningUntil_ = printingUntil_ = bootingUntil_ = 0;
    spoiledRuns_ = 0;
    spreadRuns_ = 0;
    RefillEmptyCartridges();
}

void Firmware::ReloadPaper()
{
    const Lock lock(mutex_);
    paperOut_ = Timed{};
}

void Firmware::Restart()
{
    const Lock lock(mutex_);
    Update();
    stagedHeadAngular_.reset();
    stagedFirstDot_.reset();
    cleaningUntil_ = printingUntil_ = 0;
    bootingUntil_ = Now() + Scaled(kBootSeconds);
}

void Firmware::RefillEmptyCartridges()
{
    for (double &level : ink_)
        if (level <= 0)
            level = 100;
}

int Firmware::WasteInkCounter() const
{
    return eeprom_.Read(kWasteCounterHigh) * 256 + eeprom_.Read(kWasteCounterHigh + 1);
}

int Firmware::WasteInkLimit() const
{
    const Lock lock(mutex_);
    const int a = eeprom_.Read(kLimitInputA);
    const int b = eeprom_.Read(kLimitInputB);
    const int c = eeprom_.Read(kLimitInputC);
    const int raw = (b <= 50 ? 20000 + 500 * b : 36750 + 200 * b) - 350 * a - 200 * c;
    return std::clamp(raw, 20000, 46750);
}

void Firmware::UseInk(double percent)
{
    for (double &level : ink_)
        level = std::max(0.0, level - percent);
}

// Counters count on from what the store holds when the edit is stored, so that a byte the
// link wrote meanwhile is not lost.
void Firmware::EepromEdit::Apply(EepromImage &image) const
{
    for (const auto &[address, value] : bytes)
        image[address] = value;
    for (const auto &[high, gain] : counts) {
        const auto low = static_cast<uint8_t>(high + 1);
        const int count = std::min(65535, image[high] * 256 + image[low] + gain);
        image[high] = static_cast<uint8_t>(count >> 8);
        image[low] = static_cast<uint8_t>(count & 0xFF);
    }
}

bool Firmware::Store(const EepromEdit &edit)
{
    if (edit.bytes.empty() && edit.counts.empty())
        return true;
    return eeprom_.Change([&edit](EepromImage &image) { edit.Apply(image); });
}

void Firmware::Log(const std::string &op, const std::string &why, int code,
                   const std::string &command, const std::string &did)
{
    if (capture_ == nullptr)
        return;
    nlohmann::json event = {{"op", op}};
    if (code >= 0)
        event["code"] = code;
    if (!command.empty())
        event["command"] = command;
    event["result"] = why.empty() ? "ok" : "rejected";
    if (!why.empty())
        event["why"] = why;
    if (!did.empty())
        event["did"] = did;
    capture_->Event(event);
}

std::string Firmware::FactoryPacket(const std::vector<uint8_t> &bytes)
{
    Outcome outcome;
    EepromEdit edit;
    {
        const Lock lock(mutex_);
        Update();
        sim::FactoryPacket packet;
        outcome.why = ParseFactoryPacket(bytes, packet);
        if (outcome.why.empty())
            outcome = ApplyFactory(packet.code, packet.parameters, edit);
    }
    Store(edit);
    const Lock lock(mutex_);
    if (outcome.why.empty())
        lastAction_ = outcome.did;
    Log("factory", outcome.why, bytes.size() > 7 ? bytes[7] : -1, "", outcome.did);
    return outcome.why;
}

Firmware::Outcome Firmware::ApplyFactory(uint8_t code, const std::vector<uint8_t> &p,
                                         EepromEdit &edit)
{
    switch (code) {
    case 0x00:
        return ApplyBiD(p, edit);
    case 0x05:
        stagedHeadAngular_ = p[0];
        return Done("head angular " + Signed(p[0]) + " held until 50 commits it");
    case 0x06:
        stagedFirstDot_ = p[0];
        return Done("first dot " + Signed(p[0]) + " held until 50 commits it");
    case 0x4C:
        edit.bytes.emplace_back(p[0], p[1]);
        return Done("EEPROM " + HexByte(p[0]) + " = " + HexByte(p[1]));
    case 0x50:
        return ApplyCommit(edit);
    case 0x81:
        return Done("heat protection offset " + Signed(eeprom_.Read(kHeatProtectOffset)) +
                    " (EEPROM 56) taken into the carriage motor control");
    case 0x84:
        return ApplyCleaning(p[0], edit);
    case 0xC4:
        return ApplyCarriageRun(p, edit);
    case 0xC5:
    case 0xCD:
        return ApplyCarriageParameter(code, p);
    case 0xD5:
        return ApplyPlatenGap(p[0]);
    case 0xF1:
        return ApplyPrintArea(p);
    case 0xF2:
        if (!IsFlag(p[0]) || !IsFlag(p[1]))
            return Rejected("command F2 flags " + HexByte(p[0]) + " " + HexByte(p[1]) +
                            " are not 0 or 1");
        return Done("edge printing flags " + std::to_string(p[0]) + " " + std::to_string(p[1]));
    default:
        return Rejected("unknown command code " + HexByte(code));
    }
}

// Bi-D write: mode byte (low nibble 0 ECO, 1..3 VSD1..VSD3; high nibble 0 typical gap,
// 1 narrow gap), kind (1 Black, 2 Color), the value as a signed 16-bit number that must fit a
// signed byte. Stored at once (no commit): typical gap ECO at 32/33, VSDn at 34 + 2(n-1);
// narrow gap ECO at D2/D3, VSDn at D4 + 2(n-1); Color one above Black.
Firmware::Outcome Firmware::ApplyBiD(const std::vector<uint8_t> &p, EepromEdit &edit)
{
    static const char *const kModeNames[] = {"ECO", "VSD1", "VSD2", "VSD3"};
    const uint8_t mode = p[0];
    const uint8_t kind = p[1];
    const uint8_t dotMode = mode & 0x0F;
    const uint8_t gap = mode >> 4;
    if (dotMode > 3 || gap > 1)
        return Rejected("Bi-D mode byte " + HexByte(mode) + " is not 00-03 or 10-13");
    if (kind != 1 && kind != 2)
        return Rejected("Bi-D kind " + HexByte(kind) + " is not 1 (Black) or 2 (Color)");
    const uint8_t sign = (p[2] & 0x80) ? 0xFF : 0x00;
    if (p[3] != sign)
        return Rejected("Bi-D value " + HexByte(p[3]) + HexByte(p[2]) +
                        " does not fit a signed byte");
    const uint8_t base = gap == 0 ? kTypicalGapBiD : kNarrowGapBiD;
    const auto address = static_cast<uint8_t>(base + 2 * dotMode + (kind - 1));
    edit.bytes.emplace_back(address, p[2]);
    return Done(std::string("Bi-D ") + kModeNames[dotMode] + (kind == 1 ? " Black" : " Color") +
                (gap == 0 ? " typical gap " : " narrow gap ") + Signed(p[2]) + " at " +
                HexByte(address));
}

// The settings commit: head angular and first dot values sent since the last commit take
// effect and are stored.
Firmware::Outcome Firmware::ApplyCommit(EepromEdit &edit)
{
    std::string did = "settings committed";
    if (stagedHeadAngular_) {
        edit.bytes.emplace_back(kHeadAngular, *stagedHeadAngular_);
        did += ", head angular " + Signed(*stagedHeadAngular_) + " at 75";
    }
    if (stagedFirstDot_) {
        edit.bytes.emplace_back(kFirstDot, *stagedFirstDot_);
        did += ", first dot " + Signed(*stagedFirstDot_) + " at 59";
    }
    stagedHeadAngular_.reset();
    stagedFirstDot_.reset();
    return Done(did);
}

Firmware::Outcome Firmware::ApplyCleaning(uint8_t mode, EepromEdit &edit)
{
    if (mode != 2 && mode != 7)
        return Rejected("command 84 mode " + HexByte(mode) +
                        " is not 2 (cleaning) or 7 (ink charge)");
    const bool charge = mode == 7;
    const double seconds = charge ? kInkChargeSeconds : kCleaningSeconds;
    const double ink = charge ? kInkChargeInk : kCleaningInk;
    const int waste = charge ? kInkChargeWaste : kCleaningWaste;
    cleaningUntil_ = std::max(cleaningUntil_, Now() + Scaled(seconds));
    UseInk(ink);
    const int before = WasteInkCounter();
    edit.counts.emplace_back(kWasteCounterHigh, waste);
    edit.counts.emplace_back(kCleaningCounterHigh, 1);
    if (charge)
        noInkCharge_ = Timed{};
    return Done(std::string(charge ? "ink charge" : "head cleaning") + ": cleaning for " +
                std::to_string(static_cast<int>(seconds)) + " s, " +
                std::to_string(static_cast<int>(ink)) + " % of each cartridge, waste ink " +
                std::to_string(before) + " -> " + std::to_string(std::min(65535, before + waste)));
}

// C4 speed, direction, distance: runs the carriage. Speeds 3 (slow) and 1 (fast) are timing
// runs that leave their drive time at 52 (high) and 53; any other speed only moves it.
Firmware::Outcome Firmware::ApplyCarriageRun(const std::vector<uint8_t> &p, EepromEdit &edit)
{
    const uint8_t speed = p[0];
    if (!IsFlag(p[1]))
        return Rejected("command C4 direction " + HexByte(p[1]) + " is not 0 or 1");
    const std::string run = "carriage run speed " + std::to_string(speed) + " direction " +
                            std::to_string(p[1]) + " distance " + std::to_string(Word(p, 2));
    if (speed != 1 && speed != 3)
        return Done(run);
    const int ti = NextDriveTime(speed == 3);
    edit.bytes.emplace_back(kDriveTimeHigh, static_cast<uint8_t>(ti >> 8));
    edit.bytes.emplace_back(kDriveTimeHigh + 1, static_cast<uint8_t>(ti & 0xFF));
    return Done(run + ": drive time " + std::to_string(ti) + " at 52/53");
}

// A drive time near the series value, or the one a tester asked for: just outside the range
// the measurement accepts (273 below the slow series, 871 above the fast one), or spread.
int Firmware::NextDriveTime(bool slow)
{
    const int base = slow ? kSlowDriveTime + driveTimeDispersion_ : kFastDriveTime;
    if (spoiledRuns_ > 0) {
        --spoiledRuns_;
        return slow ? 273 : 871;
    }
    if (spreadRuns_ > 0)
        return base + kSpreadPattern[kSpreadPattern.size() - spreadRuns_--];
    std::uniform_int_distribution<int> jitter(-kDriveTimeJitter, kDriveTimeJitter);
    return base + jitter(random_);
}

// C5 and CD set carriage motor parameters (C5: item, flag, value; CD: item, 00, value) and
// leave the last drive time as it is, so a read repeated after CD still finds the run's value.
Firmware::Outcome Firmware::ApplyCarriageParameter(uint8_t code, const std::vector<uint8_t> &p)
{
    if (code == 0xCD && p[1] != 0x00)
        return Rejected("command CD byte 11 is " + HexByte(p[1]) + ", not 00");
    if (code == 0xC5 && !IsFlag(p[1]))
        return Rejected("command C5 flag " + HexByte(p[1]) + " is not 0 or 1");
    return Done("carriage parameter " + std::to_string(p[0]) + " = " +
                std::to_string(static_cast<int16_t>(Word(p, 2))) +
                (code == 0xC5 ? " flag " + std::to_string(p[1]) : std::string()));
}

// F1 flag, width, position, flag: the printable area of the check prints.
Firmware::Outcome Firmware::ApplyPrintArea(const std::vector<uint8_t> &p)
{
    if (!IsFlag(p[0]) || !IsFlag(p[5]))
        return Rejected("command F1 flags " + HexByte(p[0]) + " " + HexByte(p[5]) +
                        " are not 0 or 1");
    return Done("print area " + std::to_string(Word(p, 1)) + " x " + std::to_string(Word(p, 3)) +
                " flags " + std::to_string(p[0]) + " " + std::to_string(p[5]));
}

Firmware::Outcome Firmware::ApplyPlatenGap(uint8_t position)
{
    if (position < kGapNarrow || position > kGapWidest)
        return Rejected("platen gap position " + std::to_string(position) + " is not 1 to 4");
    platenGap_ = position;
    return Done("platen gap to " + PlatenGapName(position));
}

std::string Firmware::RemoteCommand(const std::string &name, const std::vector<uint8_t> &parameters)
{
    const Lock lock(mutex_);
    Update();
    std::string why;
    const size_t count = parameters.size();
    auto expect = [&](size_t wanted) {
        if (count != wanted)
            why = "remote command " + name + " takes " + std::to_string(wanted) +
                  " parameter bytes, got " + std::to_string(count);
    };
    if (name == "SN") {
        expect(82);
        if (why.empty() && (parameters[0] != 0x00 || parameters[1] != 0x15))
            why = "SN block does not start with 00 15";
        if (why.empty()) {
            unsigned sum = 0;
            for (size_t i = 2; i < 80; ++i)
                sum += parameters[i];
            sum &= 0xFFFF;
            const unsigned sent = parameters[80] | (parameters[81] << 8);
            if (sum != sent)
                why = "SN sum " + HexByte(sent >> 8) + HexByte(sent) + " should be " +
                      HexByte(sum >> 8) + HexByte(sum);
        }
    } else if (name == "NC") {
        expect(2);
    } else if (name == "LD") {
        expect(0);
    } else if (name == "JE") {
        expect(1);
    } else {
        why = "unknown remote command " + Printable(name);
    }
    Log("remote", why, -1, Printable(name));
    return why;
}

void Firmware::PagePrinted(double seconds)
{
    PrintFor(seconds);
    PageOut();
}

void Firmware::PrintFor(double seconds)
{
    const Lock lock(mutex_);
    Update();
    const double start = std::max(Now(), printingUntil_);
    printingUntil_ = start + Scaled(std::max(0.0, seconds));
}

void Firmware::PageOut()
{
    {
        const Lock lock(mutex_);
        Update();
        UseInk(kPageInk);
    }
    // Both counters in one write of the file, without the lock.
    EepromEdit edit;
    edit.counts = {{kWasteCounterHigh, kPageWaste}, {kPageCounterHigh, 1}};
    Store(edit);
}

void Firmware::SetDataPending(bool pending)
{
    const Lock lock(mutex_);
    dataPending_ = pending;
}

std::optional<double> Firmware::SecondsBeforePrinting()
{
    const Lock lock(mutex_);
    if (Error() || busy_.on || cleaningFault_.on || Now() < cleaningUntil_ || Now() < bootingUntil_)
        return std::nullopt;
    return std::max(0.0, printingUntil_ - Now());
}

int Firmware::PlatenGap() const
{
    const Lock lock(mutex_);
    return platenGap_;
}

std::string Firmware::LastAction() const
{
    const Lock lock(mutex_);
    return lastAction_;
}

void Firmware::SpoilNextDriveTime()
{
    const Lock lock(mutex_);
    ++spoiledRuns_;
}

void Firmware::SpreadNextDriveTimes()
{
    const Lock lock(mutex_);
    spreadRuns_ = kSpreadPattern.size();
}

void Firmware::SetDriveTimeDispersion(int counts)
{
    const Lock lock(mutex_);
    driveTimeDispersion_ = counts;
}

} // namespace sim
