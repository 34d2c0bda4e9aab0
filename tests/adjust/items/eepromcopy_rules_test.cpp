#include "adjust/items/eepromcopy/backuphistory.h"
#include "adjust/items/eepromcopy/eepromcopy.h"
#include "filesizelimit.h"
#include "link/dllfunction.h"
#include "link/resultcode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace
{
using Image = TPEEPROMCopy::Image;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

Image imageOf(uint8_t value)
{
    Image image{};
    image.fill(value);
    return image;
}

QDateTime at(int second)
{
    return QDateTime(QDate(2026, 12, 9), QTime(7, 30, 0)).addSecs(second);
}

TEST(EepromCopyList, HoldsTheBackupSetCounterLowByteFirst)
{
    // The board-specific addresses, as ranges.
    std::set<int> expected;
    const std::pair<int, int> ranges[] = {{0x0C, 0x11}, {0x2B, 0x2D}, {0x32, 0x39}, {0x3E, 0x44},
                                          {0x49, 0x51}, {0x56, 0x57}, {0x59, 0x59}, {0x5C, 0x6D},
                                          {0x70, 0x75}, {0xD2, 0xD9}};
    for (const auto &[first, last] : ranges) {
        for (int address = first; address <= last; ++address)
            expected.insert(address);
    }
    const Image &list = TPEEPROMCopy::CopyList();
    EXPECT_EQ(std::set<int>(list.begin(), list.end()), expected);
    EXPECT_EQ(list[0], 0x0D);
    EXPECT_EQ(list[1], 0x0C);
    // The CR offset goes before 0x51, then top margin and first dot.
    EXPECT_EQ(std::vector<int>(list.begin() + 40, list.begin() + 44),
              std::vector<int>({0x56, 0x51, 0x57, 0x59}));
    // The USB ID in one piece, in character order.
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(list[44 + i], 0x5C + i);
}

TEST(EepromCopyRestore, MarketBytesOfTheDestinationChosenNow)
{
    const std::vector<TPEEPROMCopy::Write> fixed = {{0x2A, 0x03}, {0x30, 0x04}, {0x6F, 0x00}};
    const struct {
        int destination;
        std::vector<TPEEPROMCopy::Write> market;
    } rows[] = {{0, {{0x6E, 0x00}, {0x5B, 0xBA}, {0xCD, 0x00}}},
                {1, {{0x6E, 0x04}, {0x5B, 0xFA}, {0xCD, 0x01}}},
                {3, {{0x6E, 0x04}, {0x5B, 0xFA}, {0xCD, 0x01}}},
                {4, {{0x6E, 0x00}, {0x5B, 0xBA}, {0xCD, 0x01}}},
                {255, {}}};
    for (const auto &row : rows) {
        std::vector<TPEEPROMCopy::Write> expected = fixed;
        expected.insert(expected.end(), row.market.begin(), row.market.end());
        EXPECT_EQ(TPEEPROMCopy::RestoreExtraWrites(row.destination), expected) << row.destination;
    }
}

class EepromCopyFile : public ::testing::Test
{
protected:
    QTemporaryDir folder;
    QString path = folder.filePath("Adjustment Program/HPQ510530/backupdata.eep");
    // No link libraries here: any EEPROM access would answer 0xB000.
    TPDLLFunction noPrinter{folder.path()};
    TPEEPROMCopy copy{noPrinter, path};
};

TEST_F(EepromCopyFile, BadBackupFilesAreRefusedBeforeAnythingIsWritten)
{
    const struct {
        const char *what;
        int size; // -1: a folder in the file's place; -2: a file that cannot be read
        // -4: a link to a good backup elsewhere
    } rows[] = {{"empty", 0},   {"67 bytes", 67},   {"69 bytes", 69}, {"100000 bytes", 100000},
                {"folder", -1}, {"unreadable", -2}, {"missing", -3},  {"link", -4}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        QDir(folder.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QByteArray content(std::max(row.size, 68), '\x5A');
        if (row.size >= 0)
            content.truncate(row.size);
        if (row.size == -1) {
            ASSERT_TRUE(QDir().mkpath(path));
        } else if (row.size == -4) {
            const QString elsewhere = folder.filePath("elsewhere.eep");
            ASSERT_TRUE(writeFile(elsewhere, content));
            ASSERT_TRUE(QFile::link(elsewhere, path));
        } else if (row.size != -3) {
            ASSERT_TRUE(writeFile(path, content));
        }
        if (row.size == -2) {
            if (geteuid() == 0)
                continue; // root reads every file
            ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }

        EXPECT_EQ(copy.RestoreEepromData(0), TPResult::EepromCopyError);
        EXPECT_EQ(copy.ErrorDetail(), TPEEPROMCopy::CannotRead);
        EXPECT_EQ(TPEEPROMCopy::Wording(copy.ErrorDetail()).lines,
                  (std::vector<TPMessageLine>{{TPMode::Error, "Cannot read data from file."}}));
        if (row.size >= 0) {
            EXPECT_EQ(readAll(path), content);
        } else if (row.size == -1) {
            EXPECT_TRUE(QFileInfo(path).isDir());
        }
    }
}

TEST_F(EepromCopyFile, BackupFileIsKeptWhenTheRestoreFailsAtThePrinter)
{
    uint16_t detail = 0;
    ASSERT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x11), at(0), &detail), TPResult::Ok);
    EXPECT_EQ(readAll(path), QByteArray(68, '\x11'));
    EXPECT_EQ(copy.RestoreEepromData(0), TPResult::MissingLibrary);
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(EepromCopyFile, FailedBackupLeavesThePreviousBackupWhole)
{
    uint16_t detail = 0;
    ASSERT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x11), at(0), &detail), TPResult::Ok);
    {
        FileSizeLimit fullDisk(20); // the new backup breaks off after 20 bytes
        EXPECT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x22), at(1), &detail),
                  TPResult::EepromCopyError);
    }
    EXPECT_EQ(detail, TPEEPROMCopy::CannotCreate);
    EXPECT_EQ(readAll(path), QByteArray(68, '\x11'));
    // Nothing left behind beside it.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"backupdata.eep"}));
    EXPECT_EQ(TPEEPROMCopy::Wording(detail).lines,
              (std::vector<TPMessageLine>{{TPMode::Error, "Cannot create file."}}));
}

QByteArray historyFile(const QString &path, const QString &name)
{
    return readAll(QFileInfo(path).dir().filePath("history/" + name));
}

TEST_F(EepromCopyFile, ReplacedBackupGoesIntoTheHistoryUnderTheTimeOfTheMove)
{
    uint16_t detail = 0;
    ASSERT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x11), at(0), &detail), TPResult::Ok);
    EXPECT_FALSE(QFileInfo::exists(TPBackupHistory(path).Folder())); // nothing replaced yet
    ASSERT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x22), at(15), &detail), TPResult::Ok);
    ASSERT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x33), at(15), &detail), TPResult::Ok);
    EXPECT_EQ(readAll(path), QByteArray(68, '\x33'));
    EXPECT_EQ(TPBackupHistory(path).Entries(),
              QStringList({"backupdata-20261209-073015.eep", "backupdata-20261209-073015_2.eep"}));
    EXPECT_EQ(historyFile(path, "backupdata-20261209-073015.eep"), QByteArray(68, '\x11'));
    EXPECT_EQ(historyFile(path, "backupdata-20261209-073015_2.eep"), QByteArray(68, '\x22'));
}

TEST_F(EepromCopyFile, HistoryKeepsTheNewestTwentyAndNothingElseIsTouched)
{
    const TPBackupHistory history(path);
    uint16_t detail = 0;
    // Eleven a second, so the copy numbers pass 9 within a second.
    constexpr int Backups = 23;
    for (int i = 0; i < Backups; ++i) {
        ASSERT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(uint8_t(i)), at(i / 11), &detail),
                  TPResult::Ok);
        if (i == 1) { // the history folder exists from the second backup on
            ASSERT_TRUE(writeFile(QDir(history.Folder()).filePath("notes.txt"), "mine"));
        }
    }
    const QStringList entries = history.Entries();
    ASSERT_EQ(entries.size(), TPBackupHistory::Kept);
    // Backups 0 to 21 were replaced; the oldest two are gone.
    for (int i = 0; i < TPBackupHistory::Kept; ++i)
        EXPECT_EQ(historyFile(path, entries[i]), QByteArray(68, char(i + 2))) << entries[i].toStdString();
    EXPECT_EQ(readAll(QDir(history.Folder()).filePath("notes.txt")), "mine");
}

TEST_F(EepromCopyFile, BackupThatCannotKeepTheOlderOneReplacesNothing)
{
    const struct {
        const char *what;
        uint16_t code;
    } rows[] = {{"history is a file", TPResult::EepromCopyError},
                {"read-only folder", TPResult::FileOpen}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        QDir(folder.path()).removeRecursively();
        uint16_t detail = 0;
        ASSERT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x11), at(0), &detail), TPResult::Ok);
        const QString modelFolder = QFileInfo(path).absolutePath();
        if (row.code == TPResult::EepromCopyError) {
            ASSERT_TRUE(writeFile(TPBackupHistory(path).Folder(), "not a folder"));
        } else {
            if (geteuid() == 0)
                continue; // root writes into every folder
            ASSERT_TRUE(
                QFile::setPermissions(modelFolder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QStringList before = QDir(modelFolder).entryList(QDir::AllEntries | QDir::Hidden);

        EXPECT_EQ(TPEEPROMCopy::WriteBackupFile(path, imageOf(0x22), at(1), &detail), row.code);
        if (row.code == TPResult::EepromCopyError) {
            EXPECT_EQ(detail, TPEEPROMCopy::CannotCreate);
        }
        EXPECT_EQ(readAll(path), QByteArray(68, '\x11'));
        EXPECT_EQ(QDir(modelFolder).entryList(QDir::AllEntries | QDir::Hidden), before);
        QFile::setPermissions(modelFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
    }
}
} // namespace
