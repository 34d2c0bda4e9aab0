#include "eepromreadout.h"

#include "adjust/items/eepromcopy/eepromcopy.h"
#include "link/dllfunction.h"
#include "link/resultcode.h"

#include <QFileInfo>
#include <QSaveFile>
#include <random>

namespace
{
constexpr char Marker[] = "EEPROM data file";
constexpr int MarkerLength = sizeof(Marker) - 1;
constexpr int GroupSize = 4;
constexpr int NibbleBits = 4;
constexpr uint8_t LowNibble = 0x0F;
constexpr int MaskStep = 7;
constexpr int MaskBase = 3;
constexpr int Percent = 100;
} // namespace

TPEepromReadout::TPEepromReadout(TPDLLFunction &dll) : dll_(dll) {}

uint16_t TPEepromReadout::ReadAll(Image *image, const Progress &afterEach)
{
    image->fill(0);
    for (int address = 0; address < EepromSize; ++address) {
        const uint16_t code = dll_.ChanReadEeprom(static_cast<uint8_t>(address),
                                                  &(*image)[static_cast<size_t>(address)]);
        if (code != TPResult::Ok)
            return code;
        if (afterEach)
            afterEach(address);
    }
    return TPResult::Ok;
}

int TPEepromReadout::ProgressPercent(int address)
{
    return (address * Percent + Percent) / EepromSize;
}

TPEepromReadout::Fillers TPEepromReadout::MakeFillers(uint64_t seed)
{
    std::mt19937 generator(static_cast<std::mt19937::result_type>(seed ^ (seed >> 32)));
    Fillers fillers{};
    for (uint8_t &filler : fillers)
        filler = static_cast<uint8_t>(generator());
    return fillers;
}

QByteArray TPEepromReadout::BuildFile(const Image &image, const Fillers &fillers)
{
    QByteArray file(FileSize, '\0');
    for (int a = 0; a < EepromSize; ++a) {
        const uint8_t value = image[static_cast<size_t>(a)];
        const int at = GroupSize * a;
        file[at] = static_cast<char>(fillers[static_cast<size_t>(a)]);
        file[at + 1] = static_cast<char>(value >> NibbleBits);
        file[at + 2] = static_cast<char>((value & LowNibble) << NibbleBits);
        file[at + 3] = Marker[a % MarkerLength];
    }
    for (int k = 0; k < FileSize; ++k)
        file[k] = static_cast<char>(static_cast<uint8_t>(file[k]) + MaskStep * k + MaskBase);
    return file;
}

TPEepromReadout::SaveResult TPEepromReadout::SaveFile(const QString &path, const QByteArray &bytes)
{
    // Written beside the target and renamed over it once flushed: an existing file is never
    // left half-written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return SaveResult::CannotOpen;
    return TPEEPROMCopy::WriteWhole(file, bytes) ? SaveResult::Saved : SaveResult::CannotWrite;
}

QString TPEepromReadout::WithDefaultExtension(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + QStringLiteral(".eep");
}
