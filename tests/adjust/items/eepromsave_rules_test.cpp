#include "adjust/items/eepromsave/eepromreadout.h"
#include "filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
using Image = TPEepromReadout::Image;

uint8_t unmasked(const QByteArray &file, int k)
{
    return static_cast<uint8_t>(uint8_t(file[k]) - (7 * k + 3));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(EepromDataFile, AllZeroEepromHoldsOnlyTheMaskNextToTheFillers)
{
    const QByteArray file = TPEepromReadout::BuildFile(Image{}, TPEepromReadout::MakeFillers(1));
    ASSERT_EQ(file.size(), 1024);
    for (int a = 0; a < 256; ++a) {
        EXPECT_EQ(uint8_t(file[4 * a + 1]), uint8_t(7 * (4 * a + 1) + 3)) << a;
        EXPECT_EQ(uint8_t(file[4 * a + 2]), uint8_t(7 * (4 * a + 2) + 3)) << a;
        EXPECT_EQ(char(unmasked(file, 4 * a + 3)), "EEPROM data file"[a % 16]) << a;
    }
}

TEST(EepromDataFile, NibblesOfTheExampleByte)
{
    Image image{};
    image[0] = 0xA5;
    const QByteArray file = TPEepromReadout::BuildFile(image, TPEepromReadout::MakeFillers(7));
    EXPECT_EQ(uint8_t(file[1]), 0x14);
    EXPECT_EQ(uint8_t(file[2]), 0x61);
    EXPECT_EQ(uint8_t(file[3]), 0x5D);
}

TEST(EepromDataFile, UnmaskingGivesTheImageBackAndOnlyFillersDifferBetweenRuns)
{
    Image image{};
    for (int a = 0; a < 256; ++a)
        image[a] = uint8_t(a * 37 + 11);
    const auto fillers = TPEepromReadout::MakeFillers(1234);
    const QByteArray first = TPEepromReadout::BuildFile(image, fillers);
    const QByteArray second =
        TPEepromReadout::BuildFile(image, TPEepromReadout::MakeFillers(98765));
    int fillersDiffering = 0;
    for (int a = 0; a < 256; ++a) {
        EXPECT_EQ(unmasked(first, 4 * a), fillers[a]);
        EXPECT_EQ(uint8_t(unmasked(first, 4 * a + 1) << 4 | unmasked(first, 4 * a + 2) >> 4),
                  image[a]);
        EXPECT_EQ(unmasked(first, 4 * a + 1) & 0xF0, 0);
        EXPECT_EQ(unmasked(first, 4 * a + 2) & 0x0F, 0);
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(first[4 * a + i], second[4 * a + i]);
        fillersDiffering += first[4 * a] != second[4 * a];
    }
    EXPECT_GT(fillersDiffering, 200);
}

TEST(EepromDataFile, ProgressRunsFromZeroToAHundred)
{
    const std::pair<int, int> rows[] = {{0, 0}, {1, 0}, {2, 1}, {127, 50}, {254, 99}, {255, 100}};
    for (const auto &[address, percent] : rows)
        EXPECT_EQ(TPEepromReadout::ProgressPercent(address), percent) << address;
}

TEST(EepromDataFile, DefaultExtensionOnlyWhenThereIsNone)
{
    EXPECT_EQ(TPEepromReadout::WithDefaultExtension("/tmp/board"), "/tmp/board.eep");
    EXPECT_EQ(TPEepromReadout::WithDefaultExtension("/tmp/board.eep"), "/tmp/board.eep");
    EXPECT_EQ(TPEepromReadout::WithDefaultExtension("/tmp/board.bin"), "/tmp/board.bin");
}

TEST(EepromDataFileSave, ExistingFileIsReplacedWholeOrNotAtAll)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("board.eep");
    const QByteArray old(1024, 'o');
    const QByteArray next(1024, 'n');
    ASSERT_EQ(TPEepromReadout::SaveFile(path, old), TPEepromReadout::SaveResult::Saved);
    {
        FileSizeLimit fullDisk(100);
        EXPECT_EQ(TPEepromReadout::SaveFile(path, next), TPEepromReadout::SaveResult::CannotWrite);
    }
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"board.eep"}));

    EXPECT_EQ(TPEepromReadout::SaveFile(folder.filePath("no/such/folder.eep"), next),
              TPEepromReadout::SaveResult::CannotOpen);
    EXPECT_EQ(TPEepromReadout::SaveFile(path, next), TPEepromReadout::SaveResult::Saved);
    EXPECT_EQ(readAll(path), next);
}
} // namespace
