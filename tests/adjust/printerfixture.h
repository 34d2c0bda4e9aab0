#pragma once

// The main window against a virtual printer: port and channel open as the selection window
// leaves them, waits that return at once, and readers for the printer's capture.
#include "adjusttest.h"
#include "runtimedir.h"
#include "virtualprinter.h"

#include <QJsonObject>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace adjusttest
{
using novari_test::VirtualPrinter;

struct Visit {
    const char *model;       // printer played by the virtual printer
    const char *destination; // its factory market
    uint8_t modelCode;       // chosen in the selection window
    const char *chosen;      // destination chosen there
};

// Sends a control word to the printer once its data capture has grown past a size.
class Trigger
{
public:
    Trigger(VirtualPrinter &printer, qint64 bytes, const char *word)
        : thread_([&printer, bytes, word, this] {
              while (!stop_ && printer.Data().size() < bytes)
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              if (!stop_)
                  fired_ = printer.Control(QString::fromLatin1(word));
          })
    {
    }
    ~Trigger() { Finish(); }
    // Stops waiting and lets a fault under way finish; true when the fault was made.
    bool Finish()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return fired_;
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

// The printers of these tests run at a hundredth of real time.
constexpr double PrinterTimeScale = 0.01;

class PrinterFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!VirtualPrinter::IsBuilt())
            GTEST_SKIP() << "virtual printer not built yet";
    }

    // Starts the printer and leaves port and channel open, as "OK" of the selection window
    // does, with a window over them. Call through ASSERT_NO_FATAL_FAILURE.
    void Open(const Visit &visit, QStringList extraArguments = {})
    {
        VirtualPrinter::Options options;
        options.extraArguments = extraArguments;
        options.port = QStringLiteral("USB001");
        options.model = QString::fromLatin1(visit.model);
        options.destination = QString::fromLatin1(visit.destination);
        options.timeScale = PrinterTimeScale;
        printer = std::make_unique<VirtualPrinter>(runtime, options);
        ASSERT_TRUE(printer->Start()) << printer->ErrorText().toStdString();

        selection.ModelCode = visit.modelCode;
        selection.PortCode = 0x0401;
        selection.Destination = QString::fromLatin1(visit.chosen);
        // What "OK" of the selection window leaves behind: port and channel open.
        TPDLLFunction &dll = program->dll;
        dll.ChanSetCommandCode(0x5E, 0xA7);
        dll.GateClosePort();
        ASSERT_EQ(dll.GateOpenPort(selection.PortCode), 1);
        ASSERT_EQ(dll.GateCheckDeviceId(), 1);
        ASSERT_EQ(dll.ChanOpen(), 1);
        window = std::make_unique<TFormAdjust>(*program, selection);
        MessageBox::ClearHistory();
    }

    void TearDown() override
    {
        window.reset();
        if (program)
            program->dll.GateClosePort();
    }

    void Click(const char *button)
    {
        auto *widget = window->findChild<QPushButton *>(QString::fromLatin1(button));
        ASSERT_NE(widget, nullptr) << button;
        ASSERT_TRUE(WaitForEnabled(*window));
        widget->click();
    }

    QList<QPair<int, int>> EepromWrites() const
    {
        QList<QPair<int, int>> writes;
        for (const QJsonObject &event : printer->EventsOf(QStringLiteral("eeprom_write")))
            writes.append({event.value("address").toInt(), event.value("value").toInt()});
        return writes;
    }

    int IndexOfLast(const QString &op) const
    {
        const QList<QJsonObject> events = printer->Events();
        for (int i = events.size() - 1; i >= 0; --i) {
            if (events[i].value("op").toString() == op)
                return i;
        }
        return -1;
    }

    novari_test::RuntimeDir runtime;
    InstantWaits waits;
    std::unique_ptr<VirtualPrinter> printer;
    std::unique_ptr<TPProgram> program = MakeProgram();
    TPSelection selection;
    std::unique_ptr<TFormAdjust> window;
};

} // namespace adjusttest
