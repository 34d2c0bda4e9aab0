#pragma once

// Test helpers: a virtual printer process in a private runtime folder, and a bare link
// protocol client on its socket (linkframe only, no project library).

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <optional>
#include <vector>

namespace simtest
{

// A private $XDG_RUNTIME_DIR and $XDG_STATE_HOME for one test.
class SimFolder
{
public:
    SimFolder();
    QString Path() const { return folder_.path(); }
    QString PortDirectory() const { return folder_.path() + "/novari-ports"; }
    QProcessEnvironment Environment() const;

private:
    QTemporaryDir folder_;
};

class SimProcess
{
public:
    explicit SimProcess(const SimFolder &folder);
    ~SimProcess();

    // Starts bin/novari-printer-sim with these arguments and waits for its port socket
    // (port given: that one; else the one it prints).
    bool Start(const QStringList &arguments, const QString &port = QString());
    // Start in two steps, so that several printers can start at the same moment.
    bool Launch(const QStringList &arguments);
    bool WaitForPort(const QString &port = QString());
    // Runs it to its end (for a start that must fail); returns the exit code.
    int RunToEnd(const QStringList &arguments, int timeoutMs = 5000);
    bool Terminate(int timeoutMs = 5000); // SIGTERM and wait
    bool Interrupt(int timeoutMs = 5000); // SIGINT and wait
    QString Port() const { return port_; }
    QString Output();
    int ExitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return process_.exitStatus(); }

    static QString Executable();
    // `novari-printer-sim control ...`; returns the exit code, output in *output.
    static int Control(const SimFolder &folder, const QStringList &arguments,
                       QString *output = nullptr);

private:
    const SimFolder &folder_;
    QProcess process_;
    QString port_;
    QString output_;
};

struct LinkReply {
    uint8_t kind = 0;
    uint8_t seq = 0;
    std::vector<uint8_t> payload;
    uint8_t Result() const { return payload.empty() ? 0xFF : payload[0]; }
};

class LinkClient
{
public:
    LinkClient() = default;
    ~LinkClient();
    LinkClient(const LinkClient &) = delete;
    LinkClient &operator=(const LinkClient &) = delete;

    // Returns 0, or the errno of the failed connect.
    int Connect(const QString &path);
    void Close();
    bool SendRaw(const std::vector<uint8_t> &bytes);
    // Ends the sending side: the printer reads end of stream; replies can still be read.
    void ShutdownWrite();
    // Sends a request and waits (at most timeoutMs) for one reply frame.
    std::optional<LinkReply> Ask(uint8_t op, const std::vector<uint8_t> &payload = {},
                                 int timeoutMs = 2000);
    std::optional<LinkReply> ReadReply(int timeoutMs = 2000);
    // True when the printer has closed the connection (within timeoutMs).
    bool WaitForHangUp(int timeoutMs = 2000);

    std::optional<LinkReply> Status();
    std::optional<uint8_t> ReadEeprom(uint8_t address);
    bool WriteEeprom(uint8_t address, uint8_t value);

private:
    int fd_ = -1;
    uint8_t seq_ = 0;
    std::vector<uint8_t> pending_;
};

} // namespace simtest
