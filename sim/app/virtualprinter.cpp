#include "virtualprinter.h"

#include <QFile>

#include "controlclient.h"
#include "controlserver.h"
#include "eepromstore.h"
#include "enginebridge.h"
#include "factoryimage.h"
#include "firmware.h"
#include "portdirectory.h"
#include "portserver.h"
#include "printengine.h"

namespace sim
{

namespace
{

// Removes a socket that nobody listens on any more; true when the path is free afterwards.
bool ClearStale(const QString &path)
{
    switch (ProbeSocket(path)) {
    case SocketUse::Free:
        return true;
    case SocketUse::Stale:
        return QFile::remove(path);
    case SocketUse::Live:
        return false;
    }
    return false;
}

} // namespace

VirtualPrinter::VirtualPrinter(SimOptions options, QObject *parent)
    : QObject(parent), options_(std::move(options))
{
    clock_.start();
    silentTimer_.setSingleShot(true);
    unplugTimer_.setSingleShot(true);
    connect(&silentTimer_, &QTimer::timeout, this, [this]() {
        if (portServer_)
            portServer_->SetSilent(false);
    });
    connect(&unplugTimer_, &QTimer::timeout, this, [this]() {
        if (portServer_)
            portServer_->Plug();
    });
}

VirtualPrinter::~VirtualPrinter()
{
    Teardown();
}

void VirtualPrinter::Teardown()
{
    controlServer_.reset();
    portServer_.reset();
    queue_.reset(); // the engine's thread ends before the engine goes
    engine_.reset();
    if (eeprom_)
        eeprom_->Save();
    firmware_.reset();
    eeprom_.reset();
}

QString VirtualPrinter::SocketPath() const
{
    return PortSocketPath(directory_, port_);
}

QString VirtualPrinter::EepromPath() const
{
    return eeprom_ ? QString::fromStdString(eeprom_->Path()) : QString();
}

QString VirtualPrinter::Start()
{
    QString bad;
    directory_ = MakePortDirectory(bad);
    if (directory_.isEmpty())
        return bad;
    if (!options_.captureFolder.isEmpty()) {
        const std::string why = capture_.Open(options_.captureFolder.toStdString());
        if (!why.empty())
            return QString::fromStdString(why);
    }
    if (!options_.port.isEmpty()) {
        const QString bad = CheckPortName(directory_, options_.port);
        if (!bad.isEmpty())
            return bad;
        if (PortInUse(directory_, options_.port))
            return "a virtual printer already runs on port " + options_.port;
        return TryPort(options_.port);
    }
    // Without a name, take the first free one; two printers starting at once may pick the
    // same name, and the one that loses the race moves on to the next.
    int next = 1;
    for (int attempt = 0; attempt < 50; ++attempt) {
        const QString port = FirstFreeUsbPort(directory_, next);
        if (port.isEmpty())
            break;
        bool taken = false;
        const QString why = TryPort(port, &taken);
        if (!taken)
            return why; // started, or failed for a reason another name does not cure
        next = port.mid(3).toInt() + 1;
    }
    return "no free USB port name";
}

QString VirtualPrinter::TryPort(const QString &port, bool *taken)
{
    Teardown();
    port_ = port;
    const QString portPath = PortSocketPath(directory_, port);
    const QString controlPath = ControlSocketPath(directory_, port);
    if (taken != nullptr)
        *taken = true;
    if (!ClearStale(portPath) || !ClearStale(controlPath))
        return "a virtual printer already runs on port " + port;
    if (taken != nullptr)
        *taken = false;

    const QString eepromPath =
        options_.eepromPath.isEmpty() ? DefaultEepromPath(port) : options_.eepromPath;
    eeprom_ = std::make_unique<EepromStore>(eepromPath.toStdString());
    const std::string bad = eeprom_->Open(FactoryImage(options_.model, options_.destination));
    if (!bad.empty()) {
        eeprom_.reset();
        return QString::fromStdString(bad);
    }
    const std::string mechanicsWhy = KeepMechanics();
    if (!mechanicsWhy.empty()) {
        eeprom_.reset();
        return QString::fromStdString(mechanicsWhy);
    }
    Capture *capture = capture_.IsOpen() ? &capture_ : nullptr;
    firmware_ = std::make_unique<Firmware>(
        options_.model, *eeprom_, options_.timeScale,
        [this]() { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }, capture);
    PrintOptions printOptions;
    printOptions.pagesFolder = options_.pagesFolder.toStdString();
    printOptions.fullResolution = options_.fullResolution;
    printOptions.beforePageSaved = options_.beforePageSaved;
    firmware_->SetDriveTimeDispersion(mechanics_.crDispersion);
    engine_ = std::make_unique<EngineBridge>(*firmware_, mechanics_, printOptions);
    engine_->Engine().SetPageListener([this](const PrintedPage &page) {
        const std::lock_guard<std::mutex> lock(listenerMutex_);
        if (pageListener_)
            pageListener_(page);
    });
    engine_->SetSheetListener([this](const SheetInProgress &sheet) {
        const std::lock_guard<std::mutex> lock(listenerMutex_);
        if (sheetListener_)
            sheetListener_(sheet);
    });
    {
        const std::lock_guard<std::mutex> lock(listenerMutex_);
        engine_->SetSheetWatched(bool(sheetListener_));
    }
    queue_ = std::make_unique<PrintQueue>(*firmware_, *engine_);
    engine_->SetPageWritingListener([queue = queue_.get()](bool on) { queue->SetWritingPage(on); });
    portServer_ = std::make_unique<PortServer>(portPath, *firmware_, capture, *queue_);
    controlServer_ =
        std::make_unique<ControlServer>(controlPath, [this](const QString &word, double seconds) {
            return Control(word, seconds);
        });
    QString why = controlServer_->Listen();
    if (why.isEmpty())
        why = portServer_->Listen();
    if (!why.isEmpty()) {
        // Another printer starting at the same moment may have linked the name first.
        if (taken != nullptr)
            *taken = true;
        Teardown();
        return why;
    }
    return QString();
}

// The mechanics live with the EEPROM image: given ones replace what is kept there, else the
// kept ones are used (none for a new image).
std::string VirtualPrinter::KeepMechanics()
{
    const std::string path = MechanicsPathFor(eeprom_->Path());
    if (options_.mechanicsGiven) {
        mechanics_ = options_.mechanics;
        return WriteMechanicsFile(path, mechanics_, options_.model);
    }
    return ReadMechanicsFile(path, options_.model, mechanics_);
}

QString VirtualPrinter::SetPower(bool on)
{
    if (!portServer_ || !firmware_)
        return "the printer is not running";
    unplugTimer_.stop();
    if (!on) {
        poweredOff_ = true;
        portServer_->Unplug();
        queue_->CancelJob(); // switched off, the input buffer is lost
        return QString();
    }
    if (portServer_->Plugged() && !poweredOff_)
        return QString();
    poweredOff_ = false;
    silentTimer_.stop();
    portServer_->SetSilent(false);
    firmware_->Restart();
    return portServer_->Plugged() ? QString() : portServer_->Plug();
}

QString VirtualPrinter::LinkCondition() const
{
    if (!portServer_)
        return QString();
    if (poweredOff_)
        return "switched off";
    if (!portServer_->Plugged())
        return "unplugged";
    return portServer_->Silent() ? "silent" : QString();
}

void VirtualPrinter::SetPageListener(std::function<void(const PrintedPage &)> listener)
{
    const std::lock_guard<std::mutex> lock(listenerMutex_);
    pageListener_ = std::move(listener);
}

void VirtualPrinter::SetSheetListener(std::function<void(const SheetInProgress &)> listener)
{
    const std::lock_guard<std::mutex> lock(listenerMutex_);
    sheetListener_ = std::move(listener);
    if (engine_)
        engine_->SetSheetWatched(bool(sheetListener_));
}

PrintQueue::Progress VirtualPrinter::JobProgress() const
{
    return queue_ ? queue_->CurrentProgress() : PrintQueue::Progress{};
}

QString VirtualPrinter::Control(const QString &word, double seconds)
{
    if (!firmware_ || !portServer_)
        return "the printer is not running";
    static const std::pair<const char *, Fault> kFaults[] = {
        {"paper-out", Fault::PaperOut}, {"jam", Fault::Jam},
        {"ink-out", Fault::InkOut},     {"busy", Fault::Busy},
        {"cleaning", Fault::Cleaning},  {"no-ink-charge", Fault::NoInkCharge},
    };
    for (const auto &[name, fault] : kFaults)
        if (word == name) {
            firmware_->SetFault(fault, seconds);
            return QString();
        }
    const int milliseconds = static_cast<int>(seconds * 1000);
    if (word == "silent") {
        portServer_->SetSilent(true);
        if (seconds > 0)
            silentTimer_.start(milliseconds);
        else
            silentTimer_.stop();
        return QString();
    }
    if (word == "unplug") {
        portServer_->Unplug();
        if (seconds > 0)
            unplugTimer_.start(milliseconds);
        else
            unplugTimer_.stop();
        return QString();
    }
    if (word == "power-off" || word == "power-on")
        return SetPower(word == "power-on");
    if (word == "drive-time-out-of-range") {
        firmware_->SpoilNextDriveTime();
        return QString();
    }
    if (word == "drive-time-spread") {
        firmware_->SpreadNextDriveTimes();
        return QString();
    }
    if (word == "reload-paper") {
        firmware_->ReloadPaper();
        return QString();
    }
    if (word == "clear") {
        // Every job ends, the one in the input buffer too: what it still holds is dropped
        // before the fault ends, so that it does not print once the printer is ready again.
        queue_->CancelJob();
        firmware_->Clear();
        silentTimer_.stop();
        unplugTimer_.stop();
        portServer_->SetSilent(false);
        poweredOff_ = false;
        return portServer_->Plug();
    }
    return "unknown word \"" + word + "\"";
}

} // namespace sim
