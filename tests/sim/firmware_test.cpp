// The firmware on its own: factory and remote-mode packets, states, faults, ink and the
// status reply, with a clock the test moves by hand.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "capture.h"
#include "eepromstore.h"
#include "factoryimage.h"
#include "factorypacket.h"
#include "firmware.h"
#include "papersettings.h"

namespace sim
{
namespace
{

class FirmwareTest : public ::testing::Test
{
protected:
    FirmwareTest()
        : eeprom_(FactoryImage(Model::Q510, Destination::UsEuro)),
          firmware_(
              Model::Q510, eeprom_, 0.5, [this]() { return now_; }, &capture_)
    {
        EXPECT_TRUE(folder_.isValid());
        EXPECT_EQ(capture_.Open(folder_.path().toStdString()), "");
    }

    std::string Factory(uint8_t code, const std::vector<uint8_t> &parameters)
    {
        return firmware_.FactoryPacket(BuildFactoryPacket(code, parameters));
    }

    std::vector<nlohmann::json> Events() const
    {
        std::ifstream file(folder_.path().toStdString() + "/events.jsonl");
        std::vector<nlohmann::json> events;
        for (std::string line; std::getline(file, line);)
            events.push_back(nlohmann::json::parse(line));
        return events;
    }

    int WasteCounter() const { return eeprom_.Read(0x0C) * 256 + eeprom_.Read(0x0D); }

    double now_ = 100.0;
    QTemporaryDir folder_;
    Capture capture_;
    EepromStore eeprom_;
    Firmware firmware_;
};

// The status reply as the program parses it: fields after the 12-byte head, up to L.
struct ParsedStatus {
    int state = -1;
    int error = -1;
    std::vector<uint8_t> warnings;
    std::array<int, 6> ink{-1, -1, -1, -1, -1, -1};
};

ParsedStatus Parse(const std::vector<uint8_t> &reply)
{
    ParsedStatus parsed;
    EXPECT_EQ(std::string(reply.begin(), reply.begin() + 10), "@BDC ST2\r\n");
    const size_t length = reply[10] | (reply[11] << 8);
    EXPECT_EQ(length, reply.size());
    for (size_t at = 12; at < length;) {
        const uint8_t type = reply[at];
        const uint8_t n = reply[at + 1];
        const uint8_t *data = &reply[at + 2];
        if (type == 0x01) {
            EXPECT_EQ(n, 1);
            parsed.state = data[0];
        } else if (type == 0x02) {
            EXPECT_EQ(n, 1);
            parsed.error = data[0];
        } else if (type == 0x04) {
            parsed.warnings.assign(data, data + n);
        } else if (type == 0x0F) {
            EXPECT_EQ(n, 19);
            for (int entry = 0; entry < 6; ++entry)
                parsed.ink[data[1 + entry * 3 + 1]] = data[1 + entry * 3 + 2];
        }
        at += n + 2;
    }
    return parsed;
}

TEST_F(FirmwareTest, AcceptsTheProgramsPacketsByteForByte)
{
    // Cleaning and commit exactly as the program sends them.
    EXPECT_EQ(
        firmware_.FactoryPacket({0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E, 0xA7, 0x84, 0x7B, 0x42, 0x02}),
        "");
    EXPECT_EQ(firmware_.FactoryPacket({0x1B, 0x7C, 0x00, 0x05, 0x00, 0x5E, 0xA7, 0x50, 0xAF, 0x28}),
              "");
    EXPECT_EQ(
        firmware_.FactoryPacket({0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E, 0xA7, 0xD5, 0x2A, 0xEA, 0x04}),
        "");
    EXPECT_EQ(firmware_.PlatenGap(), 4);
}

TEST_F(FirmwareTest, RejectsEveryMalformedPartOfAFactoryPacket)
{
    const std::vector<uint8_t> good = BuildFactoryPacket(0x05, {0x03});
    struct Case {
        size_t index;
        uint8_t value;
        const char *why;
    };
    const Case cases[] = {
        {0, 0x1C, "1B 7C"},   {1, 0x7D, "1B 7C"},      {2, 0x01, "byte 2"},
        {3, 0x07, "count"},   {5, 0x5F, "key pair"},   {6, 0xA6, "key pair"},
        {7, 0x07, "unknown"}, {8, 0xFB, "complement"}, {9, 0x83, "rotation"},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> bad = good;
        bad[c.index] = c.value;
        const std::string why = firmware_.FactoryPacket(bad);
        EXPECT_NE(why.find(c.why), std::string::npos) << "byte " << c.index << ": " << why;
    }
    // Right header, wrong length for the command (count matches the bytes).
    std::vector<uint8_t> longer = BuildFactoryPacket(0x05, {0x03, 0x00});
    EXPECT_NE(firmware_.FactoryPacket(longer).find("takes 11 bytes"), std::string::npos);
    EXPECT_NE(firmware_.FactoryPacket({0x1B, 0x7C, 0x00}).find("shorter"), std::string::npos);
    EXPECT_EQ(Factory(0x50, {}), "");
    EXPECT_EQ(eeprom_.Read(0x75), 0) << "no rejected head angular value may be committed";

    const std::vector<nlohmann::json> events = Events();
    ASSERT_EQ(events.size(), std::size(cases) + 3);
    for (size_t i = 0; i + 1 < events.size(); ++i) {
        EXPECT_EQ(events[i]["op"], "factory");
        EXPECT_EQ(events[i]["result"], "rejected");
        EXPECT_TRUE(events[i]["why"].is_string());
    }
    EXPECT_EQ(events.back()["result"], "ok");
    EXPECT_EQ(events.back()["code"], 0x50);
}

TEST_F(FirmwareTest, BiDWritesLandWhereTheProgramReadsThem)
{
    struct Case {
        uint8_t mode;
        uint8_t kind;
        uint8_t address;
    };
    const Case cases[] = {
        {0x01, 1, 0x34}, {0x01, 2, 0x35}, {0x02, 1, 0x36}, {0x02, 2, 0x37},
        {0x03, 1, 0x38}, {0x03, 2, 0x39}, {0x00, 1, 0x32}, {0x00, 2, 0x33},
        {0x11, 1, 0xD4}, {0x11, 2, 0xD5}, {0x12, 1, 0xD6}, {0x12, 2, 0xD7},
        {0x13, 1, 0xD8}, {0x13, 2, 0xD9}, {0x10, 1, 0xD2}, {0x10, 2, 0xD3},
    };
    uint8_t value = 0xE0;
    for (const Case &c : cases) {
        ++value;
        EXPECT_EQ(Factory(0x00, {c.mode, c.kind, value, 0xFF}), "");
        EXPECT_EQ(eeprom_.Read(c.address), value) << std::hex << int(c.address);
    }
    EXPECT_EQ(Factory(0x00, {0x01, 1, 10, 0x00}), "");
    EXPECT_EQ(eeprom_.Read(0x34), 10);

    const EepromImage before = eeprom_.Bytes();
    EXPECT_NE(Factory(0x00, {0x04, 1, 1, 0}), "") << "no dot mode 4";
    EXPECT_NE(Factory(0x00, {0x21, 1, 1, 0}), "") << "no third platen gap";
    EXPECT_NE(Factory(0x00, {0x01, 3, 1, 0}), "") << "kind is 1 or 2";
    EXPECT_NE(Factory(0x00, {0x01, 1, 0xF6, 0x00}), "") << "sign byte must match";
    EXPECT_NE(Factory(0x00, {0x01, 1, 0x10, 0xFF}), "");
    EXPECT_EQ(eeprom_.Bytes(), before);
}

TEST_F(FirmwareTest, HeadAngularAndFirstDotWaitForTheCommit)
{
    EXPECT_EQ(Factory(0x05, {0xFD}), "");
    EXPECT_EQ(Factory(0x06, {0xF0}), "");
    EXPECT_EQ(eeprom_.Read(0x75), 0x00);
    EXPECT_EQ(eeprom_.Read(0x59), 0xFC);
    EXPECT_EQ(Factory(0x50, {}), "");
    EXPECT_EQ(eeprom_.Read(0x75), 0xFD);
    EXPECT_EQ(eeprom_.Read(0x59), 0xF0);

    // A restart loses what was not committed.
    EXPECT_EQ(Factory(0x05, {0x03}), "");
    firmware_.Restart();
    EXPECT_EQ(Factory(0x50, {}), "");
    EXPECT_EQ(eeprom_.Read(0x75), 0xFD);
}

// Each command in the order the program's items send them, with what it leaves behind: the
// EEPROM byte the program reads afterwards (or none) and what the capture says it did.
TEST_F(FirmwareTest, EachCommandLeavesItsEffectWhereTheProgramLooks)
{
    struct Step {
        uint8_t code;
        std::vector<uint8_t> parameters;
        const char *did; // nullptr: rejected, nothing changes
        int address;     // -1: no EEPROM byte to check
        int value;
    };
    const Step steps[] = {
        {0x00, {0x00, 2, 0x05, 0x00}, "ECO Color typical gap 5 at 33", 0x33, 0x05},
        {0x00, {0x10, 2, 0x00, 0x00}, "ECO Color narrow gap 0 at D3", 0xD3, 0x00},
        {0x05, {0x03}, "head angular 3 held", 0x75, 0x00},
        {0x06, {0x80}, "first dot -128 held", 0x59, 0xFC},
        {0x50, {}, "head angular 3 at 75, first dot -128 at 59", 0x75, 0x03},
        {0x50, {}, "settings committed", 0x59, 0x80},
        {0x4C, {0x56, 0xE7}, "EEPROM 56 = E7", 0x56, 0xE7},
        {0x81, {}, "offset -25", -1, 0},
        {0xC4, {20, 1, 4, 0}, "carriage run speed 20 direction 1 distance 4", -1, 0},
        {0xC4, {20, 2, 4, 0}, nullptr, -1, 0},
        {0xC5, {19, 1, 200, 0}, "carriage parameter 19 = 200 flag 1", -1, 0},
        {0xC5, {19, 2, 200, 0}, nullptr, -1, 0},
        {0xCD, {20, 0, 0xFF, 0xFF}, "carriage parameter 20 = -1", -1, 0},
        {0xF1, {0, 0x10, 0x27, 208, 0, 1}, "print area 10000 x 208 flags 0 1", -1, 0},
        {0xF1, {2, 0x10, 0x27, 208, 0, 1}, nullptr, -1, 0},
        {0xF2, {0, 1}, "edge printing flags 0 1", -1, 0},
        {0xD5, {1}, "platen gap to PG- (1.2mm)", -1, 0},
        {0x84, {7}, "ink charge: cleaning for 70 s, 15 % of each cartridge, waste ink", -1, 0},
        {0x84, {5}, nullptr, -1, 0},
    };
    for (const Step &step : steps) {
        const EepromImage before = eeprom_.Bytes();
        const std::string why = Factory(step.code, step.parameters);
        const nlohmann::json event = Events().back();
        if (step.did == nullptr) {
            EXPECT_NE(why, "") << std::hex << int(step.code);
            EXPECT_EQ(eeprom_.Bytes(), before) << std::hex << int(step.code);
            EXPECT_FALSE(event.contains("did"));
            continue;
        }
        EXPECT_EQ(why, "") << std::hex << int(step.code);
        EXPECT_NE(event.value("did", "").find(step.did), std::string::npos)
            << event.dump() << " should say " << step.did;
        EXPECT_NE(firmware_.LastAction().find(step.did), std::string::npos);
        if (step.address >= 0) {
            EXPECT_EQ(eeprom_.Read(step.address), step.value)
                << std::hex << int(step.code) << " at " << step.address;
        }
    }
    EXPECT_EQ(firmware_.PlatenGap(), kGapNarrow);
    EXPECT_EQ(firmware_.State(), kStateCleaning);
}

TEST_F(FirmwareTest, HeatProtectionCommandsStoreAndLeaveDriveTimes)
{
    EXPECT_EQ(Factory(0x4C, {0x56, 0x2A}), "");
    EXPECT_EQ(eeprom_.Read(0x56), 0x2A);
    EXPECT_EQ(Factory(0x81, {}), "");

    auto driveTime = [this]() { return eeprom_.Read(0x52) * 256 + eeprom_.Read(0x53); };
    std::vector<int> slow, fast;
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(Factory(0xC4, {3, 0, 0x08, 0x07}), "");
        slow.push_back(driveTime());
        EXPECT_EQ(Factory(0xCD, {0, 0, 193, 0}), "");
        EXPECT_EQ(driveTime(), slow.back()) << "a parameter command does not run the carriage";
    }
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(Factory(0xC4, {1, 0, 0x08, 0x07}), "");
        fast.push_back(driveTime());
    }
    for (const std::vector<int> *series : {&slow, &fast}) {
        const auto [low, high] = std::minmax_element(series->begin(), series->end());
        EXPECT_LE(*high - *low, 10) << "the measurement must not spread too widely";
    }
    for (int ti : slow) {
        EXPECT_GE(ti, 274);
        EXPECT_LE(ti, 502);
    }
    for (int ti : fast) {
        EXPECT_GE(ti, 546);
        EXPECT_LE(ti, 870);
    }

    // On a tester's word: readings just out of range, one run per word, then a wide spread.
    firmware_.SpoilNextDriveTime();
    firmware_.SpoilNextDriveTime();
    EXPECT_EQ(Factory(0xC4, {3, 0, 0x08, 0x07}), "");
    EXPECT_LT(driveTime(), 274);
    EXPECT_EQ(Factory(0xC4, {1, 0, 0x08, 0x07}), "");
    EXPECT_GT(driveTime(), 870);
    EXPECT_EQ(Factory(0xC4, {1, 0, 0x08, 0x07}), "");
    EXPECT_LE(driveTime(), 870) << "two words spoil two runs";
    firmware_.SpreadNextDriveTimes();
    std::vector<int> spread;
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(Factory(0xC4, {3, 0, 0x08, 0x07}), "");
        spread.push_back(driveTime());
        EXPECT_GE(spread.back(), 274);
        EXPECT_LE(spread.back(), 502);
    }
    const auto [low, high] = std::minmax_element(spread.begin(), spread.end());
    EXPECT_GT(*high - *low, 10);
    firmware_.SpoilNextDriveTime();
    firmware_.Clear();
    EXPECT_EQ(Factory(0xC4, {3, 0, 0x08, 0x07}), "");
    EXPECT_GE(driveTime(), 274) << "clear takes the word back";
    EXPECT_EQ(Factory(0xC5, {19, 0, 200, 0}), "");
    EXPECT_NE(Factory(0xCD, {0, 1, 193, 0}), "") << "CD byte 11 is 00";
    EXPECT_NE(Factory(0xD5, {5}), "");
    EXPECT_NE(Factory(0xD5, {0}), "");
    EXPECT_EQ(Factory(0xF1, {1, 0x40, 0x0B, 50, 0, 1}), "");
    EXPECT_EQ(Factory(0xF2, {1, 0}), "");
    EXPECT_NE(Factory(0xF2, {2, 0}), "");
}

TEST_F(FirmwareTest, CleaningKeepsThePrinterBusyUsesInkAndFillsThePad)
{
    const std::array<uint8_t, 6> before = firmware_.InkLevels();
    const int waste = WasteCounter();
    EXPECT_EQ(Factory(0x84, {2}), "");
    EXPECT_EQ(firmware_.State(), kStateCleaning);
    EXPECT_FALSE(firmware_.CanTakeData());
    const std::array<uint8_t, 6> after = firmware_.InkLevels();
    for (size_t color = 0; color < 6; ++color)
        EXPECT_EQ(after[color], before[color] - 7);
    EXPECT_EQ(WasteCounter(), waste + Firmware::kCleaningWaste);
    EXPECT_EQ(eeprom_.Read(0x11), 1) << "cleanings are counted";

    now_ += Firmware::kCleaningSeconds * 0.5 - 0.01;
    EXPECT_EQ(firmware_.State(), kStateCleaning);
    now_ += 0.02;
    EXPECT_EQ(firmware_.State(), kStateReady);
    EXPECT_TRUE(firmware_.CanTakeData());

    // The ink charge takes longer and ends the wait for the initial charge.
    firmware_.SetFault(Fault::NoInkCharge);
    EXPECT_EQ(firmware_.State(), kStateBeforeInkCharge);
    EXPECT_TRUE(firmware_.CanTakeData());
    EXPECT_EQ(Factory(0x84, {7}), "");
    now_ += Firmware::kCleaningSeconds * 0.5 + 1;
    EXPECT_EQ(firmware_.State(), kStateCleaning);
    now_ += Firmware::kInkChargeSeconds * 0.5;
    EXPECT_EQ(firmware_.State(), kStateReady);
    EXPECT_EQ(firmware_.InkLevels()[0], before[0] - 7 - 15);
    EXPECT_EQ(WasteCounter(), waste + Firmware::kCleaningWaste + Firmware::kInkChargeWaste);

    EXPECT_NE(Factory(0x84, {3}), "");
    EXPECT_EQ(firmware_.State(), kStateReady);
}

TEST_F(FirmwareTest, FaultsShowInTheStatusAndRefuseData)
{
    ParsedStatus status = Parse(firmware_.StatusReply());
    EXPECT_EQ(status.state, kStateReady);
    EXPECT_TRUE(status.warnings.empty());
    EXPECT_EQ(status.ink, (std::array<int, 6>{82, 74, 69, 91, 57, 63}));

    firmware_.SetFault(Fault::PaperOut);
    status = Parse(firmware_.StatusReply());
    EXPECT_EQ(status.state, kStateError);
    EXPECT_EQ(status.error, kErrorPaperOut);
    EXPECT_FALSE(firmware_.CanTakeData());
    firmware_.ReloadPaper();
    EXPECT_EQ(firmware_.State(), kStateReady);

    firmware_.SetFault(Fault::Jam, 2.0);
    firmware_.SetFault(Fault::PaperOut);
    EXPECT_EQ(firmware_.Error(), kErrorPaperJam) << "the jam is reported first";
    now_ += 2.0;
    EXPECT_EQ(firmware_.Error(), kErrorPaperOut) << "the jam ended by itself";
    firmware_.Clear();
    EXPECT_EQ(firmware_.State(), kStateReady);

    firmware_.SetFault(Fault::InkOut);
    status = Parse(firmware_.StatusReply());
    EXPECT_EQ(status.error, kErrorInkOut);
    EXPECT_EQ(status.ink[0], 0);
    firmware_.Clear();
    EXPECT_EQ(firmware_.InkLevels()[0], 100) << "clear replaces the empty cartridge";

    firmware_.SetFault(Fault::Busy, 1.0);
    EXPECT_EQ(firmware_.State(), kStateBusy);
    EXPECT_FALSE(firmware_.CanTakeData());
    now_ += 1.0;
    EXPECT_EQ(firmware_.State(), kStateReady);

    firmware_.SetFault(Fault::Cleaning);
    EXPECT_EQ(firmware_.State(), kStateCleaning);
    firmware_.Clear();

    firmware_.Restart();
    EXPECT_EQ(firmware_.State(), kStateBusy) << "booting";
    now_ += Firmware::kBootSeconds * 0.5;
    EXPECT_EQ(firmware_.State(), kStateReady);
}

TEST_F(FirmwareTest, PagesKeepThePrinterPrintingOneAfterAnother)
{
    firmware_.PagePrinted(4.0);
    firmware_.PagePrinted(4.0);
    EXPECT_EQ(firmware_.State(), kStatePrinting);
    EXPECT_TRUE(firmware_.CanTakeData()) << "into its input buffer";
    EXPECT_DOUBLE_EQ(firmware_.SecondsBeforePrinting().value_or(-1), 4.0);
    firmware_.SetFault(Fault::Jam);
    EXPECT_FALSE(firmware_.SecondsBeforePrinting()) << "a jammed mechanism prints nothing";
    firmware_.Clear();
    firmware_.PagePrinted(4.0);
    firmware_.PagePrinted(4.0);
    now_ += 3.9;
    EXPECT_EQ(firmware_.State(), kStatePrinting) << "two pages of 4 s at half speed";
    now_ += 0.2;
    EXPECT_EQ(firmware_.State(), kStateReady);
    EXPECT_EQ(eeprom_.Read(0x0F), 4) << "pages are counted";
}

TEST_F(FirmwareTest, WarnsOfLowInkAndStopsWhenThePadIsFull)
{
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Factory(0x84, {2}), ""); // Light Cyan 57 -> 8
    std::vector<uint8_t> warnings = firmware_.Warnings();
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), 0x14), warnings.end());
    EXPECT_EQ(std::find(warnings.begin(), warnings.end(), 0x13), warnings.end());

    // Limit from A = 4, B = 50, C = 5: 42600 points.
    EXPECT_EQ(firmware_.WasteInkLimit(), 42600);
    firmware_.WriteEeprom(0x0C, 42000 >> 8);
    firmware_.WriteEeprom(0x0D, 42000 & 0xFF);
    warnings = firmware_.Warnings();
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), 0x20), warnings.end());
    firmware_.WriteEeprom(0x0C, 0xB6);
    firmware_.WriteEeprom(0x0D, 0x9E);
    EXPECT_EQ(firmware_.Error(), kErrorMaintenance);
    for (uint8_t address : {0x0D, 0x0C, 0x2B, 0x3E, 0x3F})
        firmware_.WriteEeprom(address, 0);
    EXPECT_EQ(firmware_.WasteInkLimit(), 20000);
    EXPECT_FALSE(firmware_.Error());
}

TEST_F(FirmwareTest, RemoteCommandsAreCheckedForCountsAndSums)
{
    ASSERT_EQ(novari_test::PaperBlock2().size(), 78u);
    const std::vector<uint8_t> sn = novari_test::PaperSettings2Parameters();
    EXPECT_EQ(firmware_.RemoteCommand("SN", sn), "");

    std::vector<uint8_t> wrongSum = sn;
    wrongSum[80] = 0x02;
    EXPECT_NE(firmware_.RemoteCommand("SN", wrongSum).find("sum"), std::string::npos);
    std::vector<uint8_t> changedBlock = sn;
    changedBlock[2 + 77] = 0x01; // block 3's difference without block 3's sum
    EXPECT_NE(firmware_.RemoteCommand("SN", changedBlock), "");
    std::vector<uint8_t> wrongLead = sn;
    wrongLead[1] = 0x16;
    EXPECT_NE(firmware_.RemoteCommand("SN", wrongLead), "");
    EXPECT_NE(firmware_.RemoteCommand("SN", std::vector<uint8_t>(sn.begin(), sn.end() - 1)), "");

    EXPECT_EQ(firmware_.RemoteCommand("NC", {0, 0}), "");
    EXPECT_NE(firmware_.RemoteCommand("NC", {0}), "");
    EXPECT_EQ(firmware_.RemoteCommand("LD", {}), "");
    EXPECT_NE(firmware_.RemoteCommand("LD", {0}), "");
    EXPECT_EQ(firmware_.RemoteCommand("JE", {0}), "");
    EXPECT_NE(firmware_.RemoteCommand("JE", {}), "");
    EXPECT_NE(firmware_.RemoteCommand("XX", {}), "");

    const std::vector<nlohmann::json> events = Events();
    ASSERT_EQ(events.size(), 12u);
    EXPECT_EQ(events[0]["op"], "remote");
    EXPECT_EQ(events[0]["command"], "SN");
    EXPECT_EQ(events[0]["result"], "ok");
    EXPECT_EQ(events[1]["result"], "rejected");
}

TEST(FactoryImageTest, EveryItemFindsValidBytes)
{
    for (const auto &[model, destination] :
         {std::pair{Model::Q510, Destination::UsEuro}, std::pair{Model::Q510, Destination::Latin},
          std::pair{Model::Q530, Destination::Asia}, std::pair{Model::Q530, Destination::Eal}}) {
        const EepromImage image = FactoryImage(model, destination);
        const MarketBytes market = MarketBytesOf(destination);
        EXPECT_EQ(image[0x6E], market.at6E);
        EXPECT_EQ(image[0x5B], market.at5B);
        EXPECT_EQ(image[0xCD], market.atCD);
        EXPECT_EQ(image[0x2A], 0x03);
        EXPECT_EQ(image[0x30], 0x04);
        EXPECT_EQ(image[0x6F], 0x00);
        for (int address = 0x5C; address <= 0x6D; ++address)
            EXPECT_TRUE(std::isdigit(image[address]) || std::isupper(image[address]));
        // Head ID bytes within their ranges, and "U" at 0x50.
        for (int address : {0x42, 0x43, 0x44})
            EXPECT_LE(image[address], 0x83);
        EXPECT_LE(image[0x49], 20);
        for (int address = 0x4A; address <= 0x4F; ++address) {
            EXPECT_GE(image[address], 0x20);
            EXPECT_LE(image[address], 0x47);
        }
        EXPECT_EQ(image[0x50], 0x32);
        // Bi-D values within -35..35.
        for (int address :
             {0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9})
            EXPECT_LE(std::abs(static_cast<int8_t>(image[address])), 35);
        // The two copies of each PW sensor value agree.
        for (int side = 0; side < 4; ++side)
            EXPECT_EQ(image[0x70 + side], image[0xCE + side]);
    }
}

} // namespace
} // namespace sim
