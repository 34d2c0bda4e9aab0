// Save all EEPROM data against the virtual printer, through both loops of the save dialog.
#include "adjust/dialogs/filedialog.h"
#include "printerfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace adjusttest;

namespace
{
using EepromSavePrinterTest = PrinterFixture;

TEST_F(EepromSavePrinterTest, ReadsEveryByteAndSavesAfterACancelAndAFailedFile)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q530", "asia", 2, "Asia"}));
    ASSERT_TRUE(printer->Control("paper-out")); // the readout runs all the same
    window->show();
    List(*window, "AppendixRdoGrp")->Button(0)->click();

    QTemporaryDir folder;
    FileDialog::SetNextFileName(QString());                     // cancel ...
    MessageBox::SetNextAnswer(QMessageBox::Cancel);             // ... but do not abort
    FileDialog::SetNextFileName(folder.filePath("gone/x.eep")); // cannot be opened
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    FileDialog::SetNextFileName(folder.filePath("board")); // saved as board.eep
    // The percentage as the memo shows it while the reads run.
    QStringList progress;
    QObject::connect(Memo(*window), &QTextEdit::textChanged, [&] {
        const QStringList lines = MemoLines(*window);
        if (lines.size() == 2 && lines[0] == "Reading now...")
            progress << lines[1];
    });
    Click("EepromReadoutBtn");
    ASSERT_EQ(progress.size(), 256); // one line after every byte
    EXPECT_EQ(progress.mid(0, 3), QStringList({"0%", "0%", "1%"}));
    EXPECT_EQ(progress.last(), "100%");

    const QList<QJsonObject> reads = printer->EventsOf("eeprom_read");
    ASSERT_EQ(reads.size(), 256);
    for (int a = 0; a < 256; ++a)
        EXPECT_EQ(reads[a].value("address").toInt(), a);
    ASSERT_EQ(MessageBox::History().size(), 2);
    EXPECT_EQ(MessageBox::History()[0].caption, "Confirm");
    EXPECT_EQ(MessageBox::History()[0].text, "Do you abort this function?");
    EXPECT_EQ(MessageBox::History()[1].caption, "Error!");
    EXPECT_EQ(MessageBox::History()[1].text, "Cannot read data from file.");
    EXPECT_EQ(MemoLines(*window), QStringList({"Save all EEPROM data function has completed."}));
    EXPECT_NE(std::find(waits.asked.begin(), waits.asked.end(), 200), waits.asked.end());

    QFile file(folder.filePath("board.eep"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    ASSERT_EQ(saved.size(), 1024);
    const QByteArray eeprom = printer->Eeprom();
    for (int a = 0; a < 256; ++a) {
        const uint8_t high = uint8_t(saved[4 * a + 1]) - uint8_t(7 * (4 * a + 1) + 3);
        const uint8_t low = uint8_t(saved[4 * a + 2]) - uint8_t(7 * (4 * a + 2) + 3);
        EXPECT_EQ(uint8_t(high << 4 | low >> 4), uint8_t(eeprom[a])) << a;
    }
}

TEST_F(EepromSavePrinterTest, AbortingWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q510", "us-euro", 1, "US/Euro"}));
    window->show();
    List(*window, "AppendixRdoGrp")->Button(0)->click();
    FileDialog::SetNextFileName(QString());
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    Click("EepromReadoutBtn");
    EXPECT_EQ(MemoLines(*window), QStringList({"This function was aborted."}));
}
} // namespace
