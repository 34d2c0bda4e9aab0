// The library binding, the print stream and the status wait against the real link libraries
// and a virtual printer on a private port directory.
#include "fakelink.h"
#include "link/dllfunction.h"
#include "link/program.h"
#include "runtimedir.h"
#include "virtualprinter.h"

#include <QFileInfo>
#include <QJsonObject>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace
{
using Bytes = std::vector<uint8_t>;
constexpr uint16_t Usb001 = 0x0401;

bool LibrariesBuilt()
{
    const QString bin = TPDLLFunction::ExecutableFolder();
    return QFileInfo::exists(bin + "/libchanlink.so") && QFileInfo::exists(bin + "/libportgate.so");
}

QByteArray AsQBytes(const Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

class Printer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!novari_test::VirtualPrinter::IsBuilt() || !LibrariesBuilt())
            GTEST_SKIP() << "virtual printer or link libraries not built";
        ASSERT_TRUE(runtime.IsValid());
        novari_test::VirtualPrinter::Options options;
        options.port = "USB001";
        options.timeScale = 0.01;
        printer = std::make_unique<novari_test::VirtualPrinter>(runtime, options);
        ASSERT_TRUE(printer->Start()) << printer->ErrorText().toStdString();

        // Waits are shortened but real, so that the printer's timed faults run out.
        waits.onWait = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(50)); };
        TPProgram::Failure failure;
        program = TPProgram::Create(TPDLLFunction::ExecutableFolder(), &failure);
        ASSERT_TRUE(program);
        dll = &program->dll;
        status = &program->status;
        raster = &program->raster;
        status->SetWindowLink(&window);
        raster->SetWindowLink(&window);

        dll->ChanSetCommandCode(0x5E, 0xA7);
        dll->GateClosePort();
        ASSERT_EQ(dll->GateOpenPort(Usb001), 1);
        ASSERT_EQ(dll->GateCheckDeviceId(), 1);
        ASSERT_EQ(dll->ChanOpen(), 1);
    }
    void TearDown() override
    {
        if (dll) {
            dll->ChanClose();
            dll->GateClosePort();
        }
    }

    // A short job: reset, a graphics page with one run-length line, and text.
    Bytes QueueJob()
    {
        const Bytes expected = {0x1B, 0x40, 0x1B, 0x28, 0x47, 0x01, 0x00, 0x01, 0x1B, 0x28,
                                0x55, 0x01, 0x00, 0x0A, 0x1B, 0x55, 0x01, 0x1B, 0x28, 0x65,
                                0x02, 0x00, 0x00, 0x10, 0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00,
                                0x00, 0x1B, 0x40, 0x41, 0x42, 0x0D, 0x0A};
        EXPECT_EQ(raster->BeginGraphicsPage(10, 1, 16, 0), 1);
        EXPECT_EQ(raster->Reset(), 1);
        const uint8_t text[] = {'A', 'B'};
        EXPECT_EQ(raster->Append(text, 2), 1);
        EXPECT_EQ(raster->NewLines(1), 1);
        return expected;
    }

    novari_test::RuntimeDir runtime;
    std::unique_ptr<novari_test::VirtualPrinter> printer;
    fake::Waits waits;
    fake::Window window;
    std::unique_ptr<TPProgram> program;
    TPDLLFunction *dll = nullptr;
    TPStatusControl *status = nullptr;
    TPRaster *raster = nullptr;
};
} // namespace

TEST_F(Printer, ReadyPrinterTakesTheStreamAndReportsItsStatus)
{
    ASSERT_EQ(status->ReadStatus(), 1);
    EXPECT_EQ(status->Record().state, TPStatusControl::StateReady);
    for (uint16_t level : status->Record().inkLevel)
        EXPECT_LE(level, 100);
    EXPECT_EQ(status->WaitUntilReady(true, true), 1);

    const Bytes job = QueueJob();
    ASSERT_EQ(raster->Flush(), 1);
    EXPECT_EQ(printer->Data(), AsQBytes(job));
    EXPECT_TRUE(waits.asked.empty());
}

TEST_F(Printer, BusyPrinterIsWaitedOutThenTakesTheSameBytes)
{
    const Bytes job = QueueJob();
    ASSERT_TRUE(printer->Control("busy", 0.6));
    EXPECT_EQ(raster->Flush(), 1);
    EXPECT_FALSE(waits.asked.empty());
    for (int asked : waits.asked)
        EXPECT_EQ(asked, 500);
    EXPECT_EQ(window.paperPrompts, 0);
    EXPECT_EQ(printer->Data(), AsQBytes(job));
    const QList<QJsonObject> sends = printer->EventsOf("data");
    ASSERT_GE(sends.size(), 2);
    EXPECT_EQ(sends.first()["result"].toString(), "not_ready");
    EXPECT_EQ(sends.last()["result"].toString(), "ok");
}

TEST_F(Printer, PaperOutAsksForPaperAndSendsOnceItIsReloaded)
{
    const Bytes job = QueueJob();
    ASSERT_TRUE(printer->Control("paper-out"));
    window.onPaperPrompt = [&] { EXPECT_TRUE(printer->Control("clear")); };
    EXPECT_EQ(raster->Flush(), 1);
    EXPECT_EQ(window.paperPrompts, 1);
    EXPECT_EQ(printer->Data(), AsQBytes(job));
}

TEST_F(Printer, OtherPrinterErrorStopsTheSendAndKeepsTheBytes)
{
    const Bytes job = QueueJob();
    ASSERT_TRUE(printer->Control("jam"));
    EXPECT_EQ(raster->Flush(), 0x4000);
    EXPECT_EQ(status->Record().state, TPStatusControl::StateError);
    EXPECT_EQ(status->Record().error, 4);
    EXPECT_EQ(window.paperPrompts, 0);
    EXPECT_EQ(raster->Fill(), static_cast<int>(job.size()));
    EXPECT_TRUE(printer->Data().isEmpty());

    ASSERT_TRUE(printer->Control("clear"));
    EXPECT_EQ(raster->Flush(), 1);
    EXPECT_EQ(printer->Data(), AsQBytes(job));
}

TEST_F(Printer, WaitUntilReadyFollowsThePrinter)
{
    ASSERT_TRUE(printer->Control("busy", 0.6));
    EXPECT_EQ(status->WaitUntilReady(true, false), 1);
    ASSERT_GE(window.lines.size(), 2u);
    EXPECT_EQ(window.lines[0].mode, 19);
    EXPECT_EQ(window.lines[0].text, "Printer is busy.");
    EXPECT_EQ(window.lines[1].text, "Please wait..");

    ASSERT_TRUE(printer->Control("paper-out"));
    EXPECT_EQ(status->WaitUntilReady(false, false), 0x4000);
    window.onPaperPrompt = [&] { EXPECT_TRUE(printer->Control("clear")); };
    EXPECT_EQ(status->WaitUntilReady(false, true), 1);
    EXPECT_EQ(window.paperPrompts, 1);

    ASSERT_TRUE(printer->Control("jam"));
    EXPECT_EQ(status->WaitUntilReady(true, true), 0x4000);
    EXPECT_EQ(status->Record().error, 4);
}

TEST_F(Printer, VanishedPrinterGivesAChannelErrorNotAHang)
{
    const Bytes job = QueueJob();
    ASSERT_TRUE(printer->Control("unplug"));
    EXPECT_EQ(raster->Flush(), 0x2000);
    EXPECT_NE(dll->ChanGetErrorCode(), 51);
    EXPECT_EQ(raster->Fill(), static_cast<int>(job.size()));
}
