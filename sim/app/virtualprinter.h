#pragma once

// One running virtual printer: EEPROM file, firmware, print engine, port socket and control
// socket, wired together on the Qt event loop.

#include <functional>
#include <memory>
#include <mutex>

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include "capture.h"
#include "mechanics.h"
#include "printqueue.h"
#include "simoptions.h"

namespace sim
{

class ControlServer;
class EepromStore;
class EngineBridge;
class Firmware;
class PortServer;
struct PrintedPage;
struct SheetInProgress;

class VirtualPrinter : public QObject
{
    Q_OBJECT

public:
    explicit VirtualPrinter(SimOptions options, QObject *parent = nullptr);
    ~VirtualPrinter() override;

    // Takes the port and starts answering. Returns an empty text or why it cannot run.
    QString Start();
    QString Port() const { return port_; }
    QString SocketPath() const;
    QString EepromPath() const;
    // Carries out a control word (see controlclient.h); returns an empty text or why not.
    QString Control(const QString &word, double seconds);
    Firmware *GetFirmware() const { return firmware_.get(); }
    // The printer's mechanical errors (for the service view; none before Start).
    const Mechanics &GetMechanics() const { return mechanics_; }
    // The power switch: off takes the port away (every request fails, as with a printer
    // switched off); on brings it back and the printer boots: values not yet committed are
    // lost, cleaning and printing stop, faults stay. Returns an empty text or why not.
    QString SetPower(bool on);
    bool PoweredOn() const { return !poweredOff_; }
    // "switched off", "unplugged", "silent" or empty.
    QString LinkCondition() const;
    // Why the capture (--capture) is incomplete, or empty.
    QString CaptureProblem() const { return QString::fromStdString(capture_.Problem()); }
    // Called for every page that comes out (the output tray), on the print engine's thread.
    void SetPageListener(std::function<void(const PrintedPage &)> listener);
    // Called a few times a second with the sheet being printed, on the print engine's thread.
    void SetSheetListener(std::function<void(const SheetInProgress &)> listener);
    // The job in the printer: bytes taken, bytes waiting in the input buffer, time left.
    PrintQueue::Progress JobProgress() const;

private:
    // Starts on the port; *taken (when given) tells whether a failure is because another
    // printer holds the name.
    QString TryPort(const QString &port, bool *taken = nullptr);
    void Teardown();
    std::string KeepMechanics();

    SimOptions options_;
    QString directory_;
    QString port_;
    QElapsedTimer clock_;
    Capture capture_;
    Mechanics mechanics_;
    std::unique_ptr<EepromStore> eeprom_;
    std::unique_ptr<Firmware> firmware_;
    std::unique_ptr<EngineBridge> engine_;
    std::unique_ptr<PrintQueue> queue_; // feeds engine_ on its own thread
    mutable std::mutex listenerMutex_;  // the listeners are called on the engine's thread
    std::function<void(const PrintedPage &)> pageListener_;
    std::function<void(const SheetInProgress &)> sheetListener_;
    std::unique_ptr<PortServer> portServer_;
    std::unique_ptr<ControlServer> controlServer_;
    QTimer silentTimer_;
    QTimer unplugTimer_;
    bool poweredOff_ = false;
};

} // namespace sim
