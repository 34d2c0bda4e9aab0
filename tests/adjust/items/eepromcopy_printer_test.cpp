// EEPROM data copy from one virtual printer (the old board) to another (the new one).
#include "adjust/items/eepromcopy/backuphistory.h"
#include "adjust/items/eepromcopy/eepromcopy.h"
#include "printerfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace adjusttest;

namespace
{
// The backup file goes into a data folder of the test's own.
class EepromCopyPrinterTest : public PrinterFixture
{
protected:
    void SetUp() override
    {
        PrinterFixture::SetUp();
        previous_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome_.path().toLocal8Bit());
    }
    void TearDown() override
    {
        PrinterFixture::TearDown();
        qputenv("XDG_DATA_HOME", previous_);
    }
    QByteArray ReadAll(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString BackupPath() const
    {
        return dataHome_.filePath("Adjustment Program/HPQ510530/backupdata.eep");
    }
    void ShowCopyItem()
    {
        window->show();
        List(*window, "MainteRdoGrp")->Button(3)->click();
    }
    QTemporaryDir dataHome_;
    QByteArray previous_;
};

TEST_F(EepromCopyPrinterTest, BackupFromTheOldBoardRestoresIntoTheNewOneOnce)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "Latin"}));
    // The old board's own values, unlike a factory image.
    const TPEEPROMCopy::Image &list = TPEEPROMCopy::CopyList();
    for (size_t i = 0; i < list.size(); ++i)
        ASSERT_EQ(program->dll.ChanWriteEeprom(list[i], uint8_t(0x80 + i)), 1);
    ShowCopyItem();
    Click("EepDataCopyBackUpStartPnl");
    const QString backup = BackupPath();
    EXPECT_EQ(MemoLines(*window), QStringList({"The specific EEPROM data has been read properly.",
                                               "Replace the defective main board with new one.",
                                               "The data has been saved in " + backup}));
    const QByteArray saved = ReadAll(backup);
    ASSERT_EQ(saved.size(), 68);
    const QByteArray oldBoard = printer->Eeprom();

    // The new board on another port.
    novari_test::VirtualPrinter::Options options;
    options.port = QStringLiteral("USB002");
    options.timeScale = 0.01;
    novari_test::VirtualPrinter newBoard(runtime, options);
    ASSERT_TRUE(newBoard.Start()) << newBoard.ErrorText().toStdString();
    selection.PortCode = 0x0402;
    Click("GetStatusBtn");
    ASSERT_EQ(MemoLines(*window).value(0), "Printer is ready.");

    Click("EepDataCopyLoadStartPnl");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The specific EEPROM data has been written properly."}));
    QList<QPair<int, int>> expected;
    for (size_t i = 0; i < list.size(); ++i)
        expected.append({list[i], uint8_t(oldBoard[list[i]])});
    // Latin, the destination chosen now, whatever the old board held.
    expected += QList<QPair<int, int>>{{0x2A, 0x03}, {0x30, 0x04}, {0x6F, 0x00},
                                       {0x6E, 0x00}, {0x5B, 0xBA}, {0xCD, 0x01}};
    QList<QPair<int, int>> writes;
    for (const QJsonObject &event : newBoard.EventsOf("eeprom_write"))
        writes.append({event.value("address").toInt(), event.value("value").toInt()});
    EXPECT_EQ(writes, expected);
    // Gone from its place, but the old board's bytes are kept in the history.
    EXPECT_FALSE(QFile::exists(backup));
    const TPBackupHistory history(backup);
    ASSERT_EQ(history.Entries().size(), 1);
    EXPECT_EQ(ReadAll(QDir(history.Folder()).filePath(history.Entries()[0])), saved);

    // Restored once: a second restore finds no file and writes nothing.
    Click("EepDataCopyLoadStartPnl");
    EXPECT_EQ(MemoLines(*window), QStringList({"Cannot read data from file."}));
    EXPECT_EQ(newBoard.EventsOf("eeprom_write").size(), expected.size());
}

TEST_F(EepromCopyPrinterTest, RestoreReadsNothingFromAPipeAtTheBackupsPlace)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    const QString backup = BackupPath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(backup).absolutePath()));
    const QByteArray fifo = QFile::encodeName(backup);
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    // A writer with 68 bytes ready at the other end.
    std::thread writer([&fifo] {
        const int fd = open(fifo.constData(), O_WRONLY);
        if (fd >= 0) {
            const QByteArray bytes(68, '\x5A');
            EXPECT_EQ(write(fd, bytes.constData(), 68), 68);
            close(fd);
        }
    });
    ShowCopyItem();
    Click("EepDataCopyLoadStartPnl");
    // Lets the writer go, whatever the restore did.
    const int reader = open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    writer.join();
    close(reader);

    EXPECT_EQ(MemoLines(*window), QStringList({"Cannot read data from file."}));
    EXPECT_TRUE(EepromWrites().isEmpty());
}

TEST_F(EepromCopyPrinterTest, BackupDoesNotWriteThroughALinkAtTheBackupsPlace)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    const QString backup = BackupPath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(backup).absolutePath()));
    const QString target = dataHome_.filePath("someone-elses-file");
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ASSERT_TRUE(QFile::link(target, backup));
    ShowCopyItem();
    Click("EepDataCopyBackUpStartPnl");

    EXPECT_EQ(MemoLines(*window), QStringList({"Cannot file open."}));
    EXPECT_EQ(ReadAll(target), "keep me");
    EXPECT_EQ(QFileInfo(backup).symLinkTarget(), target);
}

TEST_F(EepromCopyPrinterTest, RestoreKeepsItsFileWhereTheHistoryCannotTakeIt)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    ShowCopyItem();
    Click("EepDataCopyBackUpStartPnl");
    const QByteArray saved = ReadAll(BackupPath());
    ASSERT_EQ(saved.size(), 68);
    QFile notAFolder(TPBackupHistory(BackupPath()).Folder());
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();

    Click("EepDataCopyLoadStartPnl");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"The specific EEPROM data has been written properly."}));
    EXPECT_EQ(ReadAll(BackupPath()), saved);
}
} // namespace
