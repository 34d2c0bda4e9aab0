#include "virtualprinter.h"

#include "runtimedir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <sys/stat.h>

namespace novari_test
{

namespace
{
bool isSocket(const QString &path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

int nextInstance()
{
    static int counter = 0;
    return ++counter;
}

QProcessEnvironment printerEnvironment(const QString &runtimePath)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimePath);
    return environment;
}
} // namespace

VirtualPrinter::VirtualPrinter(const RuntimeDir &runtime) : VirtualPrinter(runtime, Options()) {}

VirtualPrinter::VirtualPrinter(const RuntimeDir &runtime, const Options &options)
    : runtimePath_(runtime.Path()), portDirectory_(runtime.PortDirectory()), options_(options),
      port_(options.port)
{
    const QString tag = QStringLiteral("printer-%1").arg(nextInstance());
    eepromFile_ = options_.eeprom.isEmpty() ? runtime.FilePath(tag + QStringLiteral(".eeprom"))
                                            : options_.eeprom;
    if (options_.capture) {
        captureDir_ = runtime.FilePath(tag + QStringLiteral("-capture"));
        QDir().mkpath(captureDir_);
    }
    logFile_ = runtime.FilePath(tag + QStringLiteral(".log"));
}

VirtualPrinter::~VirtualPrinter()
{
    Stop();
}

QString VirtualPrinter::BinFolder()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

QString VirtualPrinter::Executable()
{
    return BinFolder() + QStringLiteral("/novari-printer-sim");
}

bool VirtualPrinter::IsBuilt()
{
    return QFileInfo(Executable()).isExecutable();
}

QStringList VirtualPrinter::PortEntries() const
{
    QStringList sockets;
    const QStringList names =
        QDir(portDirectory_).entryList(QDir::System | QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1Char('.')) &&
            isSocket(portDirectory_ + QLatin1Char('/') + name))
            sockets.append(name);
    }
    return sockets;
}

bool VirtualPrinter::Start(int timeoutMs)
{
    error_.clear();
    if (IsRunning())
        return true;
    if (!IsBuilt()) {
        error_ = QStringLiteral("%1 is not built").arg(Executable());
        return false;
    }
    QStringList arguments;
    if (!options_.port.isEmpty())
        arguments << QStringLiteral("--port") << options_.port;
    if (!options_.model.isEmpty())
        arguments << QStringLiteral("--model") << options_.model;
    if (!options_.destination.isEmpty())
        arguments << QStringLiteral("--destination") << options_.destination;
    arguments << QStringLiteral("--eeprom") << eepromFile_;
    if (options_.capture)
        arguments << QStringLiteral("--capture") << captureDir_;
    if (options_.timeScale > 0.0)
        arguments << QStringLiteral("--time-scale") << QString::number(options_.timeScale);
    arguments << options_.extraArguments;

    const QStringList before = PortEntries();
    process_.setProcessEnvironment(printerEnvironment(runtimePath_));
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(logFile_, QIODevice::Append);
    // A test that crashes takes its printers with it instead of leaving them running.
    process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(Executable(), arguments);
    if (!process_.waitForStarted(5000)) {
        error_ = QStringLiteral("cannot start %1: %2").arg(Executable(), process_.errorString());
        return false;
    }
    if (!WaitForSocket(before, timeoutMs)) {
        Stop();
        return false;
    }
    return true;
}

bool VirtualPrinter::WaitForSocket(const QStringList &before, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (port_.isEmpty()) {
            for (const QString &name : PortEntries()) {
                if (!before.contains(name)) {
                    port_ = name;
                    break;
                }
            }
        }
        if (!port_.isEmpty() && isSocket(SocketPath()))
            return true;
        // Doubles as the poll interval and notices a printer that gave up.
        if (process_.waitForFinished(20)) {
            error_ = QStringLiteral("the virtual printer ended early (exit %1): %2")
                         .arg(process_.exitCode())
                         .arg(Output());
            return false;
        }
    }
    error_ =
        QStringLiteral("no port socket appeared within %1 ms: %2").arg(timeoutMs).arg(Output());
    return false;
}

void VirtualPrinter::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

bool VirtualPrinter::IsRunning() const
{
    return process_.state() != QProcess::NotRunning;
}

QString VirtualPrinter::SocketPath() const
{
    return portDirectory_ + QLatin1Char('/') + port_;
}

QString VirtualPrinter::Output() const
{
    QFile log(logFile_);
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(log.readAll());
}

bool VirtualPrinter::Control(const QString &word, double seconds)
{
    QStringList arguments{QStringLiteral("control"), port_, word};
    if (seconds >= 0.0)
        arguments << QString::number(seconds);
    QProcess control;
    control.setProcessEnvironment(printerEnvironment(runtimePath_));
    control.setProcessChannelMode(QProcess::MergedChannels);
    control.start(Executable(), arguments);
    if (!control.waitForFinished(10000)) {
        control.kill();
        control.waitForFinished(1000);
        error_ = QStringLiteral("control %1 did not finish").arg(word);
        return false;
    }
    if (control.exitStatus() != QProcess::NormalExit || control.exitCode() != 0) {
        error_ = QStringLiteral("control %1 failed: %2")
                     .arg(word, QString::fromLocal8Bit(control.readAll()));
        return false;
    }
    return true;
}

QList<QJsonObject> VirtualPrinter::Events() const
{
    QList<QJsonObject> events;
    QFile file(captureDir_ + QStringLiteral("/events.jsonl"));
    if (captureDir_.isEmpty() || !file.open(QIODevice::ReadOnly))
        return events;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QJsonDocument document = QJsonDocument::fromJson(line.trimmed());
        // A half-written last line is left for the next read.
        if (document.isObject())
            events.append(document.object());
    }
    return events;
}

QList<QJsonObject> VirtualPrinter::EventsOf(const QString &op) const
{
    QList<QJsonObject> matching;
    for (const QJsonObject &event : Events()) {
        if (event.value(QStringLiteral("op")).toString() == op)
            matching.append(event);
    }
    return matching;
}

bool VirtualPrinter::WaitForEvents(const QString &op, int count, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        if (EventsOf(op).size() >= count)
            return true;
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return EventsOf(op).size() >= count;
}

QByteArray VirtualPrinter::Data() const
{
    QFile file(captureDir_ + QStringLiteral("/data.bin"));
    if (captureDir_.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray VirtualPrinter::Eeprom() const
{
    QFile file(eepromFile_);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace novari_test
