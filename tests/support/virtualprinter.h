#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace novari_test
{

class RuntimeDir;

// One virtual printer (bin/novari-printer-sim) serving a port in a test's runtime folder.
// Start() launches it and waits until its socket is there; the destructor stops it with
// SIGTERM. Control() sends the printer a fault word; Events() and Data() read its capture.
class VirtualPrinter
{
public:
    struct Options {
        QString port; // e.g. "USB001"; empty: the printer picks a free USB name
        QString model = QStringLiteral("q510"); // "q510" or "q530"
        QString destination;                    // empty: the printer's own default
        QString eeprom;             // EEPROM file; empty: a fresh one in the runtime folder
        bool capture = true;        // keep data.bin and events.jsonl in CaptureDir()
        double timeScale = 0.0;     // 0: the printer's own default
        QStringList extraArguments; // passed on unchanged
    };

    explicit VirtualPrinter(const RuntimeDir &runtime);
    VirtualPrinter(const RuntimeDir &runtime, const Options &options);
    ~VirtualPrinter();
    VirtualPrinter(const VirtualPrinter &) = delete;
    VirtualPrinter &operator=(const VirtualPrinter &) = delete;

    // Folder of the running test executable: the program, the libraries and the virtual
    // printer are built into the same folder.
    static QString BinFolder();
    static QString Executable();
    static bool IsBuilt();

    // Starts the printer and waits until its port socket exists. False (see ErrorText())
    // when the printer is not built, exits early or no socket appears in time.
    bool Start(int timeoutMs = 10000);
    // SIGTERM, then waits for the process; kills it if it does not end in time.
    void Stop();
    bool IsRunning() const;

    QString Port() const { return port_; }
    QString SocketPath() const;
    QString CaptureDir() const { return captureDir_; }
    QString EepromFile() const { return eepromFile_; }
    // Everything the printer wrote to stdout and stderr so far.
    QString Output() const;
    QString ErrorText() const { return error_; }

    // `novari-printer-sim control PORT WORD [SECONDS]`: paper-out, jam, ink-out, busy,
    // cleaning, no-ink-charge, silent, unplug, clear. A negative duration is left out.
    bool Control(const QString &word, double seconds = -1.0);

    // The capture: one JSON object per link request, in order.
    QList<QJsonObject> Events() const;
    QList<QJsonObject> EventsOf(const QString &op) const;
    // Waits until at least count events with this op are captured.
    bool WaitForEvents(const QString &op, int count = 1, int timeoutMs = 5000) const;
    // Every data-channel byte the printer accepted, in order.
    QByteArray Data() const;
    // The printer's EEPROM file as it is on disk now.
    QByteArray Eeprom() const;

private:
    bool WaitForSocket(const QStringList &before, int timeoutMs);
    QStringList PortEntries() const;

    QString runtimePath_;
    QString portDirectory_;
    Options options_;
    QString port_;
    QString captureDir_;
    QString eepromFile_;
    QString logFile_;
    QString error_;
    QProcess process_;
};

} // namespace novari_test
