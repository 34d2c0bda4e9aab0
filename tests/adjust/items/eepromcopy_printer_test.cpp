// EEPROM data copy from one virtual printer (the old board) to another (the new one).
#include "adjust/items/eepromcopy/eepromcopy.h"
#include "printerfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    window->show();
    List(*window, "MainteRdoGrp")->Button(3)->click();
    Click("EepDataCopyBackUpStartPnl");
    EXPECT_EQ(MemoLines(*window), QStringList({"The specific EEPROM data has been read properly.",
                                               "Replace the defective main board with new one."}));
    const QString backup = dataHome_.filePath("Adjustment Program/HPQ510530/backupdata.eep");
    QFile file(backup);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
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
    EXPECT_FALSE(QFile::exists(backup));

    // Restored once: a second restore finds no file and writes nothing.
    Click("EepDataCopyLoadStartPnl");
    EXPECT_EQ(MemoLines(*window), QStringList({"Cannot read data from file."}));
    EXPECT_EQ(newBoard.EventsOf("eeprom_write").size(), expected.size());
}
} // namespace
