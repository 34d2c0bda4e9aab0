#include "mechanics.h"

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

namespace sim
{

namespace
{

using nlohmann::json;

constexpr const char *kModeNames[Mechanics::kModes] = {"ECO", "VSD1", "VSD2", "VSD3"};
constexpr const char *kGapNames[2] = {"typical", "narrow"};
constexpr const char *kInkNames[2] = {"black", "color"};
constexpr const char *kSideNames[4] = {"right", "left", "top", "bottom"};

struct Range {
    int low;
    int high;
};

// What the stored values can correct.
constexpr Range kBidRange{-35, 35};
constexpr Range kHeadTiltRange{-3, 3};
constexpr Range kMarginRange{-128, 127};
constexpr Range kPwSideRange[4] = {{-8, 19}, {-8, 19}, {-10, 10}, {-10, 10}};
constexpr Range kCrRange{-100, 100};

// What a random printer is out by: every error shows on one pattern printed with the
// stored values at 0.
constexpr int kRandomBid = 6;
constexpr int kRandomHeadTilt = 3;
// The head angular pattern has columns for -3, 0 and 3 only: a random head tilt is one of them.
constexpr int kHeadAngularColumnStep = 3;
constexpr int kRandomFirstDot = 40;
constexpr int kRandomTopMargin = 30;
constexpr int kRandomPw = 6;
constexpr int kRandomCr = 30;

constexpr uint8_t kTypicalGapBiD = 0x32;
constexpr uint8_t kNarrowGapBiD = 0xD2;
constexpr int kGapNarrowPosition = 1;

// Reads one integer field; an absent field leaves the value at 0.
std::string ReadInt(const json &object, const std::string &key, const std::string &field,
                    Range range, int &out)
{
    const auto it = object.find(key);
    if (it == object.end())
        return "";
    if (!it->is_number_integer())
        return "field \"" + field + "\" must be a whole number";
    const int64_t value = it->get<int64_t>();
    if (value < range.low || value > range.high)
        return "field \"" + field + "\" is " + std::to_string(value) + ", outside " +
               std::to_string(range.low) + " to " + std::to_string(range.high);
    out = static_cast<int>(value);
    return "";
}

// Every key of an object is one of the names; else names the first that is not.
template <size_t N>
std::string CheckObject(const json &object, const std::string &field,
                        const std::array<const char *, N> &names)
{
    if (!object.is_object())
        return "field \"" + field + "\" must be an object";
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char *name : names)
            known = known || it.key() == name;
        if (!known)
            return "unknown field \"" + (field.empty() ? "" : field + ".") + it.key() + "\"";
    }
    return "";
}

std::string Join(const std::string &parent, const std::string &key)
{
    return parent + "." + key;
}

std::string ParseBid(const json &bid, Mechanics &m)
{
    std::string why = CheckObject<2>(bid, "bid", {kGapNames[0], kGapNames[1]});
    for (int gap = 0; gap < 2 && why.empty(); ++gap) {
        const auto g = bid.find(kGapNames[gap]);
        if (g == bid.end())
            continue;
        const std::string gapField = Join("bid", kGapNames[gap]);
        why = CheckObject<4>(*g, gapField,
                             {kModeNames[0], kModeNames[1], kModeNames[2], kModeNames[3]});
        for (int mode = 0; mode < Mechanics::kModes && why.empty(); ++mode) {
            const auto md = g->find(kModeNames[mode]);
            if (md == g->end())
                continue;
            const std::string modeField = Join(gapField, kModeNames[mode]);
            why = CheckObject<2>(*md, modeField, {kInkNames[0], kInkNames[1]});
            for (int ink = 0; ink < 2 && why.empty(); ++ink)
                why = ReadInt(*md, kInkNames[ink], Join(modeField, kInkNames[ink]), kBidRange,
                              m.bid[gap][mode][ink]);
        }
    }
    return why;
}

std::string ParseFields(const json &root, Model model, Mechanics &m)
{
    std::string why = CheckObject<7>(
        root, "",
        {"model", "bid", "headTilt", "firstDot", "topMargin", "pwSensor", "crDispersion"});
    if (!why.empty())
        return why == "field \"\" must be an object" ? "the file must hold a JSON object" : why;
    const auto modelField = root.find("model");
    if (modelField != root.end()) {
        const std::optional<Model> named =
            modelField->is_string() ? ModelFromWord(modelField->get<std::string>()) : std::nullopt;
        if (!named)
            return "field \"model\" must be \"q510\" or \"q530\"";
        if (*named != model)
            return "field \"model\" is for the " + ModelName(*named) + ", this printer is the " +
                   ModelName(model);
    }
    if (root.contains("bid"))
        why = ParseBid(root["bid"], m);
    if (why.empty())
        why = ReadInt(root, "headTilt", "headTilt", kHeadTiltRange, m.headTilt);
    if (why.empty())
        why = ReadInt(root, "firstDot", "firstDot", kMarginRange, m.firstDot);
    if (why.empty())
        why = ReadInt(root, "topMargin", "topMargin", kMarginRange, m.topMargin);
    if (why.empty())
        why = ReadInt(root, "crDispersion", "crDispersion", kCrRange, m.crDispersion);
    if (why.empty() && root.contains("pwSensor")) {
        const json &pw = root["pwSensor"];
        why = CheckObject<4>(pw, "pwSensor",
                             {kSideNames[0], kSideNames[1], kSideNames[2], kSideNames[3]});
        for (int side = 0; side < 4 && why.empty(); ++side)
            why = ReadInt(pw, kSideNames[side], Join("pwSensor", kSideNames[side]),
                          kPwSideRange[side], m.pwSensor[static_cast<size_t>(side)]);
    }
    return why;
}

} // namespace

bool Mechanics::operator==(const Mechanics &other) const
{
    return bid == other.bid && headTilt == other.headTilt && firstDot == other.firstDot &&
           topMargin == other.topMargin && pwSensor == other.pwSensor &&
           crDispersion == other.crDispersion;
}

std::string ParseMechanics(const std::string &text, Model model, Mechanics &out)
{
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded())
        return "not valid JSON";
    Mechanics parsed;
    const std::string why = ParseFields(root, model, parsed);
    if (why.empty())
        out = parsed;
    return why;
}

std::string MechanicsJson(const Mechanics &m, Model model)
{
    json bid = json::object();
    for (int gap = 0; gap < 2; ++gap)
        for (int mode = 0; mode < Mechanics::kModes; ++mode)
            for (int ink = 0; ink < 2; ++ink)
                bid[kGapNames[gap]][kModeNames[mode]][kInkNames[ink]] = m.bid[gap][mode][ink];
    json pw = json::object();
    for (int side = 0; side < 4; ++side)
        pw[kSideNames[side]] = m.pwSensor[static_cast<size_t>(side)];
    const json root = {{"model", model == Model::Q510 ? "q510" : "q530"},
                       {"bid", bid},
                       {"headTilt", m.headTilt},
                       {"firstDot", m.firstDot},
                       {"topMargin", m.topMargin},
                       {"pwSensor", pw},
                       {"crDispersion", m.crDispersion}};
    return root.dump(2) + "\n";
}

Mechanics RandomMechanics(uint32_t seed)
{
    std::mt19937 random(seed);
    auto within = [&random](int limit) {
        return std::uniform_int_distribution<int>(-limit, limit)(random);
    };
    Mechanics m;
    for (auto &gap : m.bid)
        for (auto &mode : gap)
            for (int &error : mode)
                error = within(kRandomBid);
    // Drawn from -3..3 and taken to the nearest column, so the draws of the other errors stay.
    const int tilt = within(kRandomHeadTilt);
    m.headTilt = kHeadAngularColumnStep *
                 static_cast<int>(std::lround(static_cast<double>(tilt) / kHeadAngularColumnStep));
    m.firstDot = within(kRandomFirstDot);
    m.topMargin = within(kRandomTopMargin);
    for (int &side : m.pwSensor)
        side = within(kRandomPw);
    m.crDispersion = within(kRandomCr);
    return m;
}

std::string LoadMechanics(const std::string &source, Model model, Mechanics &out)
{
    const std::string randomPrefix = "random:";
    if (source.rfind(randomPrefix, 0) == 0) {
        const std::string seed = source.substr(randomPrefix.size());
        char *end = nullptr;
        const unsigned long value = std::strtoul(seed.c_str(), &end, 10);
        if (seed.empty() || *end != '\0' || value > UINT32_MAX)
            return "--mechanics random:SEED needs a whole number from 0 to 4294967295, not \"" +
                   seed + "\"";
        out = RandomMechanics(static_cast<uint32_t>(value));
        return "";
    }
    std::ifstream file(source);
    if (!file)
        return "cannot read the mechanics file " + source;
    std::stringstream text;
    text << file.rdbuf();
    const std::string why = ParseMechanics(text.str(), model, out);
    return why.empty() ? "" : "mechanics file " + source + ": " + why;
}

std::string ReadMechanicsFile(const std::string &path, Model model, Mechanics &out)
{
    std::ifstream file(path);
    if (!file) {
        out = Mechanics{};
        return "";
    }
    return LoadMechanics(path, model, out);
}

std::string WriteMechanicsFile(const std::string &path, const Mechanics &mechanics, Model model)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << MechanicsJson(mechanics, model);
        if (!file)
            return "cannot write " + temporary;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return "cannot write " + path;
    return "";
}

std::string MechanicsPathFor(const std::string &eepromPath)
{
    return eepromPath + ".mechanics.json";
}

int BidModeOfDotSize(int dotSizeMode)
{
    switch (dotSizeMode) {
    case 16:
    case 17:
    case 18:
        return dotSizeMode - 15;
    case 19:
        return 0;
    default:
        return -1;
    }
}

Mechanics::Gap GapSetOf(int platenGap)
{
    return platenGap == kGapNarrowPosition ? Mechanics::kNarrowGap : Mechanics::kTypicalGap;
}

uint8_t BidAddress(Mechanics::Gap gap, int mode, int ink)
{
    const uint8_t base = gap == Mechanics::kNarrowGap ? kNarrowGapBiD : kTypicalGapBiD;
    return static_cast<uint8_t>(base + 2 * mode + ink);
}

double ReturnShiftInches(const Mechanics &mechanics, Mechanics::Gap gap, int mode, int ink,
                         int8_t stored)
{
    if (mode < 0 || mode >= Mechanics::kModes || ink < 0 || ink > 1)
        return 0.0;
    const int error = mechanics.bid[gap][mode][ink];
    return (error - stored) * Mechanics::kBidStepInches;
}

double NozzleRowSlantInches(const Mechanics &mechanics, int8_t stored)
{
    return (mechanics.headTilt - stored) * Mechanics::kHeadTiltStepInches;
}

uint8_t PwSensorAddress(Mechanics::PwSide side)
{
    static constexpr uint8_t kAddresses[] = {0x70, 0x72, 0x71, 0x73}; // right, left, top, bottom
    return kAddresses[side];
}

int PwSensorSteps(Mechanics::PwSide side, uint8_t stored)
{
    constexpr int kSideFactor = 4;
    constexpr int kEdgeFactor = 6;
    const int factor =
        side == Mechanics::kRight || side == Mechanics::kLeft ? kSideFactor : kEdgeFactor;
    return static_cast<int8_t>(stored) / factor;
}

double EdgeShiftInches(const Mechanics &mechanics, Mechanics::PwSide side, uint8_t stored)
{
    const int error = mechanics.pwSensor[static_cast<size_t>(side)];
    const double step = side == Mechanics::kRight || side == Mechanics::kLeft
                            ? Mechanics::kPwSideStepInches
                            : Mechanics::kPwEndStepInches;
    return (error - PwSensorSteps(side, stored)) * step;
}

double FirstDotShiftInches(const Mechanics &mechanics, int8_t stored)
{
    return (stored - mechanics.firstDot) * Mechanics::kFirstDotStepInches;
}

double TopMarginShiftInches(const Mechanics &mechanics, int8_t stored)
{
    return (stored - mechanics.topMargin) * Mechanics::kTopMarginStepInches;
}

std::string DescribeMechanics(const Mechanics &m)
{
    std::ostringstream text;
    for (int gap = 0; gap < 2; ++gap) {
        text << "Bi-D " << (gap == 0 ? "Typ" : "PG-") << ":";
        for (int mode = 0; mode < Mechanics::kModes; ++mode)
            text << " " << kModeNames[mode] << " " << m.bid[gap][mode][0] << "/"
                 << m.bid[gap][mode][1];
        text << " (Black/Color)\n";
    }
    text << "Head tilt " << m.headTilt << ", first dot " << m.firstDot << ", top margin "
         << m.topMargin << "\nPW sensor right " << m.pwSensor[0] << ", left " << m.pwSensor[1]
         << ", top " << m.pwSensor[2] << ", bottom " << m.pwSensor[3] << "\nCR drive dispersion "
         << m.crDispersion << " counts";
    return text.str();
}

} // namespace sim
