#include "remotecomm.h"

#include "resultcode.h"

#include "raster.h"

#include <array>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace
{

constexpr std::array<uint8_t, 13> EnterRemote = {0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 0x52,
                                                 0x45, 0x4D, 0x4F, 0x54, 0x45, 0x31};
constexpr std::array<uint8_t, 4> ExitRemote = {0x1B, 0x00, 0x00, 0x00};
constexpr std::array<uint8_t, 6> SettingsHeader = {0x53, 0x4E, 0x52, 0x00, 0x00, 0x15};
constexpr std::array<uint8_t, 6> NozzleCheck = {0x4E, 0x43, 0x02, 0x00, 0x00, 0x00};
constexpr std::array<uint8_t, 4> LoadDefaults = {0x4C, 0x44, 0x00, 0x00};
constexpr std::array<uint8_t, 5> EjectPaper = {0x4A, 0x45, 0x01, 0x00, 0x00};
constexpr char NozzleCheckTitle[] = "Nozzle check pattern\r\n"; // sent with its zero byte

constexpr int SettingsBlockSize = 78;
using SettingsBlock = std::array<uint8_t, SettingsBlockSize>;

constexpr SettingsBlock BaseBlock = {
    0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x58, 0x02, 0xC8, 0x04,
    0x3D, 0x01, 0x3B, 0x02, 0x00, 0x00, 0x00, 0x00, 0x50, 0x08, 0x84, 0x10, 0x18, 0x15, 0xC8, 0x19,
    0xE0, 0x3D, 0xA0, 0x0F, 0x8C, 0x0A, 0x30, 0x05, 0x8C, 0x00, 0x0A, 0x01, 0x2C, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x04, 0x0A, 0x04, 0x0F, 0x0F, 0x0F,
    0x0F, 0x0F, 0x06, 0x04, 0x0F, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};

struct Difference {
    int index;
    uint8_t value;
};

// How each block differs from block 2.
const std::vector<Difference> &DifferencesOf(int block)
{
    static const std::vector<Difference> none;
    static const std::vector<Difference> block3 = {{77, 0x01}};
    static const std::vector<Difference> block4 = {{71, 0x01}, {72, 0x01}, {73, 0x01}, {77, 0x01}};
    static const std::vector<Difference> block5 = {{0, 0x0D},  {14, 0x96}, {16, 0x0B}, {18, 0x40},
                                                   {71, 0x01}, {72, 0x01}, {73, 0x01}};
    static const std::vector<Difference> block6 = {{0, 0x17},  {14, 0x96}, {16, 0xF3}, {17, 0x00},
                                                   {18, 0x49}, {58, 0x09}, {71, 0x01}, {72, 0x01},
                                                   {73, 0x01}, {77, 0x01}};
    switch (block) {
    case 3:
        return block3;
    case 4:
        return block4;
    case 5:
        return block5;
    case 6:
        return block6;
    default:
        return none;
    }
}

SettingsBlock BuildBlock(int block)
{
    SettingsBlock bytes = BaseBlock;
    for (const Difference &difference : DifferencesOf(block))
        bytes[difference.index] = difference.value;
    return bytes;
}

uint16_t SumOf(const SettingsBlock &bytes)
{
    uint16_t sum = 0;
    for (uint8_t byte : bytes)
        sum = static_cast<uint16_t>(sum + byte);
    return sum;
}

// Appends the pieces one after another into out; returns the count written.
template <size_t N> int Put(uint8_t *out, const std::array<uint8_t, N> &piece)
{
    std::memcpy(out, piece.data(), N);
    return static_cast<int>(N);
}
} // namespace

TPRemoteComm::TPRemoteComm(TPRaster &raster) : raster_(raster) {}

uint16_t TPRemoteComm::EnterRemoteMode()
{
    return raster_.Append(EnterRemote.data(), static_cast<int>(EnterRemote.size()));
}

uint16_t TPRemoteComm::ExitRemoteMode()
{
    return raster_.Append(ExitRemote.data(), static_cast<int>(ExitRemote.size()));
}

uint16_t TPRemoteComm::SendPaperSettings(int block)
{
    if (block < FirstSettingsBlock || block > LastSettingsBlock)
        return TPRaster::RequestRefused;
    const SettingsBlock settings = BuildBlock(block);
    const uint16_t sum = SumOf(settings);
    std::array<uint8_t, PaperSettingsLength> packet{};
    int length = Put(packet.data(), EnterRemote);
    length += Put(packet.data() + length, SettingsHeader);
    length += Put(packet.data() + length, settings);
    packet[length++] = static_cast<uint8_t>(sum & 0xFF);
    packet[length++] = static_cast<uint8_t>(sum >> 8);
    length += Put(packet.data() + length, ExitRemote);
    return raster_.Append(packet.data(), length);
}

uint16_t TPRemoteComm::PrintNozzleCheck()
{
    uint16_t result = raster_.Append(reinterpret_cast<const uint8_t *>(NozzleCheckTitle),
                                     static_cast<int>(sizeof NozzleCheckTitle));
    if (result == TPResult::Ok)
        result = EnterRemoteMode();
    if (result == TPResult::Ok)
        result = raster_.Append(NozzleCheck.data(), static_cast<int>(NozzleCheck.size()));
    if (result == TPResult::Ok)
        result = ExitRemoteMode();
    if (result == TPResult::Ok)
        result = raster_.NewLines(2);
    if (result == TPResult::Ok)
        result = raster_.Flush();
    return result;
}

uint16_t TPRemoteComm::LoadDefaultsAndEject()
{
    std::array<uint8_t, LoadDefaultsLength> packet{};
    int length = Put(packet.data(), EnterRemote);
    length += Put(packet.data() + length, LoadDefaults);
    length += Put(packet.data() + length, EjectPaper);
    length += Put(packet.data() + length, ExitRemote);
    return raster_.Append(packet.data(), length);
}

uint16_t TPRemoteComm::SettingsSum(int block)
{
    if (block < FirstSettingsBlock || block > LastSettingsBlock)
        return 0;
    return SumOf(BuildBlock(block));
}
