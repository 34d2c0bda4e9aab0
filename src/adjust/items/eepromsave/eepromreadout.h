#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class TPDLLFunction;

// "Save all EEPROM data": reads the whole EEPROM byte by byte and saves it as a masked
// 1024-byte EEPROM data file (four bytes per address: a filler byte, the two nibbles and a
// character of the marker text, each byte then raised by 7·k + 3).
class TPEepromReadout
{
public:
    static constexpr int EepromSize = 256;
    static constexpr int FileSize = 4 * EepromSize;
    using Image = std::array<uint8_t, EepromSize>;
    using Fillers = std::array<uint8_t, EepromSize>;
    // Called after every byte read, with its address.
    using Progress = std::function<void(int address)>;

    explicit TPEepromReadout(TPDLLFunction &dll);

    // Reads addresses 0 to 255 in order; stops at the first failing read and returns its code.
    uint16_t ReadAll(Image *image, const Progress &afterEach);

    // The percentage shown once the byte at address has been read: 0 after the first byte,
    // 100 after the last.
    static int ProgressPercent(int address);
    // The filler bytes of one file, from a pseudo-random generator seeded with seed.
    static Fillers MakeFillers(uint64_t seed);
    // The file image of an EEPROM image.
    static QByteArray BuildFile(const Image &image, const Fillers &fillers);

    // The chosen file name with ".eep" added when it has no extension.
    static QString WithDefaultExtension(const QString &fileName);

    enum class SaveResult { Saved, CannotOpen, CannotWrite };
    // Writes the file so that it is either replaced completely or left as it was.
    static SaveResult SaveFile(const QString &path, const QByteArray &bytes);

private:
    TPDLLFunction &dll_;
};
