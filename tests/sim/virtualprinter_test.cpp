// A virtual printer inside the test process: control words and the printer window, with the
// link spoken over its real socket.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "eepromstore.h"
#include "factoryimage.h"
#include "factorypacket.h"
#include "firmware.h"
#include "jobinprint.h"
#include "linkframe.h"
#include "outputtray.h"
#include "portserver.h"
#include "printerwindow.h"
#include "runtimedir.h"
#include "simprocess.h"
#include "virtualprinter.h"

namespace sim
{
namespace
{

// Reads one frame from client while the printer's event loop runs in this thread.
std::optional<simtest::LinkReply> ReadWhilePumping(simtest::LinkClient &client)
{
    for (int i = 0; i < 100; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (std::optional<simtest::LinkReply> reply = client.ReadReply(10))
            return reply;
    }
    return std::nullopt;
}

std::optional<simtest::LinkReply> AskWhilePumping(simtest::LinkClient &client, uint8_t op,
                                                  uint8_t seq,
                                                  const std::vector<uint8_t> &payload = {})
{
    std::vector<uint8_t> frame(LINK_MAX_FRAME);
    frame.resize(link_frame_build(op, seq, payload.data(), payload.size(), frame.data()));
    if (!client.SendRaw(frame))
        return std::nullopt;
    return ReadWhilePumping(client);
}

class InProcessPrinter : public ::testing::Test
{
protected:
    InProcessPrinter()
    {
        options_.port = "USB021";
        options_.eepromPath = folder_.FilePath("printer.eep");
        options_.timeScale = 0.01;
    }

    // Asks over the socket while the printer's event loop runs in this thread.
    std::optional<simtest::LinkReply> Ask(uint8_t op, const std::vector<uint8_t> &payload = {})
    {
        return AskWhilePumping(client_, op, ++seq_, payload);
    }

    novari_test::RuntimeDir folder_; // the printer's port directory lives in it
    SimOptions options_;
    simtest::LinkClient client_;
    uint8_t seq_ = 0;
};

TEST_F(InProcessPrinter, ControlWordsAndTheirEnds)
{
    VirtualPrinter printer(options_);
    ASSERT_EQ(printer.Start(), "");
    EXPECT_EQ(printer.Port(), "USB021");
    ASSERT_EQ(client_.Connect(printer.SocketPath()), 0);
    ASSERT_TRUE(Ask(LINK_OP_CHANNEL_OPEN));
    Firmware &firmware = *printer.GetFirmware();

    EXPECT_EQ(printer.Control("paper-out", 0), "");
    EXPECT_EQ(firmware.Error(), kErrorPaperOut);
    EXPECT_EQ(Ask(LINK_OP_DATA, {0x1B, 0x40})->Result(), LINK_RESULT_NOT_READY);
    EXPECT_EQ(printer.Control("reload-paper", 0), "");
    EXPECT_EQ(firmware.State(), kStateReady);
    EXPECT_EQ(Ask(LINK_OP_DATA, {0x1B, 0x40})->Result(), LINK_RESULT_OK);

    EXPECT_EQ(printer.Control("silent", 0.2), "");
    EXPECT_EQ(printer.LinkCondition(), "silent");
    QTest::qWait(300);
    EXPECT_EQ(printer.LinkCondition(), "");
    EXPECT_TRUE(Ask(LINK_OP_DEVICE_ID)) << "answers again once the time is up";

    EXPECT_EQ(printer.Control("unplug", 0), "");
    EXPECT_EQ(printer.LinkCondition(), "unplugged");
    EXPECT_FALSE(QFileInfo::exists(printer.SocketPath()));
    EXPECT_EQ(printer.Control("clear", 0), "");
    EXPECT_TRUE(QFileInfo::exists(printer.SocketPath()));
    EXPECT_EQ(printer.Control("wobble", 0), "unknown word \"wobble\"");
}

TEST_F(InProcessPrinter, WindowShowsTheStateAndThePaperButtonReloads)
{
    options_.timeScale = 0.2; // a boot of 0.6 s: seen busy even on a loaded machine
    VirtualPrinter printer(options_);
    ASSERT_EQ(printer.Start(), "");
    PrinterWindow window(printer);
    EXPECT_TRUE(window.windowTitle().contains("Halden Photo Q510 on USB021"));
    auto *state = window.findChild<QLabel *>("StateLbl");
    auto *ink = window.findChild<QLabel *>("InkLbl");
    auto *paper = window.findChild<QPushButton *>("PaperBtn");
    auto *clear = window.findChild<QPushButton *>("ClearBtn");
    ASSERT_TRUE(state && ink && paper && clear && window.Tray());
    EXPECT_EQ(state->text(), "Ready");
    EXPECT_EQ(ink->text(), "Ink: K 82% C 74% M 69% Y 91% LC 57% LM 63%");
    printer.GetFirmware()->FactoryPacket(BuildFactoryPacket(0xD5, {4}));
    window.Refresh();
    EXPECT_TRUE(window.PanelText().contains("Platen gap: PG++ (4.2mm) | Last command: platen gap"))
        << window.PanelText().toStdString();

    printer.Control("paper-out", 0);
    window.Refresh();
    EXPECT_EQ(state->text(), "Error 6: paper out");
    QTest::mouseClick(paper, Qt::LeftButton);
    EXPECT_EQ(state->text(), "Ready");

    printer.Control("jam", 0);
    printer.Control("unplug", 0);
    window.Refresh();
    EXPECT_EQ(state->text(), "Error 4: paper jam (unplugged)");
    QTest::mouseClick(paper, Qt::LeftButton);
    EXPECT_EQ(state->text(), "Error 4: paper jam (unplugged)") << "the paper does not clear a jam";
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(state->text(), "Ready");

    // The power switch: off takes the port away, on brings it back and the printer boots.
    auto *power = window.findChild<QPushButton *>("PowerBtn");
    ASSERT_TRUE(power);
    EXPECT_TRUE(power->isChecked());
    QTest::mouseClick(power, Qt::LeftButton);
    EXPECT_FALSE(power->isChecked());
    EXPECT_EQ(state->text(), "Off");
    EXPECT_FALSE(QFileInfo::exists(printer.SocketPath()));
    QTest::mouseClick(power, Qt::LeftButton);
    EXPECT_TRUE(power->isChecked());
    EXPECT_EQ(state->text(), "Busy");
    EXPECT_TRUE(QFileInfo::exists(printer.SocketPath()));
    QElapsedTimer booting;
    booting.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        window.Refresh();
    } while (state->text() != "Ready" && booting.elapsed() < 20000);
    EXPECT_EQ(state->text(), "Ready");
}

// A capture that cannot be written is told once, on standard error and in the window, and the
// printer goes on taking data.
TEST_F(InProcessPrinter, CaptureWriteErrorsAreReportedOnceAndPrintingGoesOn)
{
    const QString capture = folder_.FilePath("capture");
    ASSERT_TRUE(QDir().mkpath(capture));
    ASSERT_TRUE(QFile::link("/dev/full", capture + "/data.bin"));
    options_.captureFolder = capture;
    VirtualPrinter printer(options_);
    ASSERT_EQ(printer.Start(), "");
    PrinterWindow window(printer);
    ASSERT_EQ(client_.Connect(printer.SocketPath()), 0);
    ASSERT_TRUE(Ask(LINK_OP_CHANNEL_OPEN));
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Ask(LINK_OP_DATA, {0x1B, 0x40})->Result(), LINK_RESULT_OK);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string expected = "cannot write " + capture.toStdString() + "/data.bin";
    EXPECT_NE(said.find(expected), std::string::npos) << said;
    EXPECT_EQ(said.find(expected), said.rfind(expected)) << "told once: " << said;
    window.Refresh();
    EXPECT_TRUE(window.PanelText().contains(QString::fromStdString(expected)))
        << window.PanelText().toStdString();
}

// Pages that take long to write (a slow disk), ten of them in one data request: the request is
// answered at once, the status says printing meanwhile, and every page lands whole.
TEST_F(InProcessPrinter, AnswersWhileItWritesPages)
{
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::atomic<int> writing{0};
    options_.pagesFolder = folder_.FilePath("pages");
    options_.beforePageSaved = [&](const std::string &) {
        ++writing;
        std::unique_lock<std::mutex> lock(mutex);
        released.wait_for(lock, std::chrono::seconds(2), [&] { return release; });
    };
    VirtualPrinter printer(options_);
    ASSERT_EQ(printer.Start(), "");
    ASSERT_EQ(client_.Connect(printer.SocketPath()), 0);
    ASSERT_TRUE(Ask(LINK_OP_CHANNEL_OPEN));
    constexpr int kPages = 10;
    std::vector<uint8_t> pages;
    for (int page = 0; page < kPages; ++page)
        pages.insert(pages.end(), {'x', 0x0C});
    const std::optional<simtest::LinkReply> taken = Ask(LINK_OP_DATA, pages);
    ASSERT_TRUE(taken) << "no answer while the pages were written";
    EXPECT_EQ(taken->Result(), LINK_RESULT_OK);

    const std::string inquiry = "@BDC ST2\r\n";
    const std::vector<uint8_t> status(inquiry.begin(), inquiry.end());
    QElapsedTimer waited;
    waited.start();
    while (writing == 0 && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const std::optional<simtest::LinkReply> printing = Ask(LINK_OP_STATUS, status);
    ASSERT_TRUE(printing);
    EXPECT_EQ(printing->payload[1 + 14], kStatePrinting);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    released.notify_all();

    std::optional<simtest::LinkReply> ready;
    waited.restart();
    do
        ready = Ask(LINK_OP_STATUS, status);
    while (ready && ready->payload[1 + 14] != kStateReady && waited.elapsed() < 120000);
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready->payload[1 + 14], kStateReady);
    const QDir folder(options_.pagesFolder);
    EXPECT_EQ(folder.entryList({"page-*.png"}, QDir::Files).size(), kPages);
    EXPECT_TRUE(folder.entryList({"*.part"}, QDir::Files | QDir::Hidden).isEmpty());
}

// A job that takes a while on paper shows in the window as it prints: the sheet, the bar, the
// bytes taken and waiting; switched off and on, the printer holds no job any more.
TEST_F(InProcessPrinter, WindowShowsTheJobInPrint)
{
    options_.timeScale = 1.0;
    VirtualPrinter printer(options_);
    ASSERT_EQ(printer.Start(), "");
    PrinterWindow window(printer);
    JobInPrint *job = window.JobPanel();
    ASSERT_TRUE(job);
    ASSERT_EQ(client_.Connect(printer.SocketPath()), 0);
    ASSERT_TRUE(Ask(LINK_OP_CHANNEL_OPEN));
    std::vector<uint8_t> passes; // a carriage pass each, a quarter of a second on paper
    while (passes.size() < 2 * PrintQueue::kStep)
        passes.insert(passes.end(), {'X', '\r'});
    ASSERT_EQ(Ask(LINK_OP_DATA, passes)->Result(), LINK_RESULT_OK);
    auto *sheet = job->findChild<QLabel *>("SheetInPrintLbl");
    ASSERT_TRUE(sheet);
    QElapsedTimer waited;
    waited.start();
    while (sheet->pixmap().isNull() && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    window.Refresh();
    EXPECT_TRUE(job->isVisibleTo(&window));
    EXPECT_FALSE(sheet->pixmap().isNull()) << "the sheet as it fills";
    EXPECT_TRUE(job->Text().contains(QString("%1 bytes taken").arg(PrintQueue::kStep)))
        << job->Text().toStdString();
    EXPECT_TRUE(job->Text().contains(QString("%1 waiting").arg(PrintQueue::kStep)))
        << job->Text().toStdString();

    printer.SetPower(false);
    printer.SetPower(true);
    waited.restart();
    while (printer.JobProgress().active && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    window.Refresh();
    EXPECT_FALSE(job->isVisibleTo(&window));
}

// Cleared, the printer ends the job in its input buffer too: what the buffer held does not
// print once the fault is gone.
TEST_F(InProcessPrinter, ClearDropsTheInputBuffer)
{
    options_.timeScale = 1.0;
    VirtualPrinter printer(options_);
    ASSERT_EQ(printer.Start(), "");
    ASSERT_EQ(client_.Connect(printer.SocketPath()), 0);
    ASSERT_TRUE(Ask(LINK_OP_CHANNEL_OPEN));
    std::vector<uint8_t> passes; // far more than the mechanism prints in the test's time
    while (passes.size() < 2 * PrintQueue::kStep)
        passes.insert(passes.end(), {'X', '\r'});
    ASSERT_EQ(Ask(LINK_OP_DATA, passes)->Result(), LINK_RESULT_OK);
    ASSERT_EQ(printer.Control("jam", 0), "");
    ASSERT_GT(printer.JobProgress().queuedBytes, 0u);

    EXPECT_EQ(printer.Control("clear", 0), "");
    EXPECT_EQ(printer.JobProgress().queuedBytes, 0u);
}

// A client that connects and sends nothing, or only noise, keeps the printer only until it
// has been idle for the limit and somebody else wants it.
TEST(PortServerTest, AnIdleClientGivesThePrinterUpToTheNextOne)
{
    QTemporaryDir folder;
    EepromStore eeprom(FactoryImage(Model::Q510, Destination::UsEuro));
    Firmware firmware(Model::Q510, eeprom, 0.01, []() { return 0.0; });
    struct : PrintDataSink {
        void Feed(const uint8_t *, size_t) override {}
        void EndJob() override {}
    } sink;
    const QString path = folder.filePath("USB001");
    PortServer server(path, firmware, nullptr, sink);
    ASSERT_EQ(server.Listen(), "");
    server.SetIdleLimit(300);

    simtest::LinkClient idle, next;
    ASSERT_EQ(idle.Connect(path), 0);
    ASSERT_TRUE(idle.SendRaw(std::vector<uint8_t>(100, 0x00))); // noise, never a frame
    QTest::qWait(50);
    ASSERT_EQ(next.Connect(path), 0);
    std::optional<simtest::LinkReply> reply = ReadWhilePumping(next);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->payload, std::vector<uint8_t>{0x14}) << "in use while the first is fresh";

    QTest::qWait(350);
    ASSERT_EQ(next.Connect(path), 0);
    reply = AskWhilePumping(next, LINK_OP_DEVICE_ID, 1);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, LINK_OP_DEVICE_ID | LINK_REPLY_BIT);
    EXPECT_TRUE(idle.WaitForHangUp(500)) << "the idle client was let go";
}

TEST(StateTextTest, NamesEveryState)
{
    EXPECT_EQ(StateText(kStateReady, std::nullopt), "Ready");
    EXPECT_EQ(StateText(kStateError, kErrorInkOut), "Error 5: ink out");
    EXPECT_EQ(StateText(kStateError, kErrorMaintenance), "Error 16: waste ink pad full");
    EXPECT_EQ(StateText(kStateBeforeInkCharge, std::nullopt), "Waiting for the initial ink charge");
    EXPECT_EQ(StateText(5, std::nullopt), "State 5");
}

} // namespace
} // namespace sim
