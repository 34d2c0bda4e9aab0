#include "simprocess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include "linkframe.h"

namespace simtest
{

SimFolder::SimFolder() : folder_("/tmp/simtest-XXXXXX") {}

QProcessEnvironment SimFolder::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", folder_.path());
    environment.insert("XDG_STATE_HOME", folder_.path() + "/state");
    return environment;
}

SimProcess::SimProcess(const SimFolder &folder) : folder_(folder)
{
    process_.setProcessEnvironment(folder.Environment());
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

SimProcess::~SimProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QString SimProcess::Executable()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() +
           "/novari-printer-sim";
}

QString SimProcess::Output()
{
    output_ += QString::fromLocal8Bit(process_.readAll());
    return output_;
}

bool SimProcess::Start(const QStringList &arguments, const QString &port)
{
    return Launch(arguments) && WaitForPort(port);
}

bool SimProcess::Launch(const QStringList &arguments)
{
    process_.start(Executable(), arguments);
    return process_.waitForStarted(3000);
}

bool SimProcess::WaitForPort(const QString &port)
{
    const QDeadlineTimer deadline(5000);
    static const QRegularExpression portLine(" on port (\\S+) ");
    while (!deadline.hasExpired()) {
        if (process_.state() == QProcess::NotRunning)
            return false;
        process_.waitForReadyRead(50);
        const QRegularExpressionMatch match = portLine.match(Output());
        const QString found = match.hasMatch() ? match.captured(1) : QString();
        if (!found.isEmpty() && (port.isEmpty() || found == port) &&
            QFileInfo::exists(folder_.PortDirectory() + "/" + found)) {
            port_ = found;
            return true;
        }
    }
    return false;
}

int SimProcess::RunToEnd(const QStringList &arguments, int timeoutMs)
{
    process_.start(Executable(), arguments);
    if (!process_.waitForFinished(timeoutMs)) {
        process_.kill();
        process_.waitForFinished(1000);
        return -1;
    }
    Output();
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

bool SimProcess::Terminate(int timeoutMs)
{
    process_.terminate();
    const bool ended = process_.waitForFinished(timeoutMs);
    Output();
    return ended;
}

bool SimProcess::Interrupt(int timeoutMs)
{
    if (process_.state() == QProcess::NotRunning)
        return false;
    ::kill(static_cast<pid_t>(process_.processId()), SIGINT);
    const bool ended = process_.waitForFinished(timeoutMs);
    Output();
    return ended;
}

int SimProcess::Control(const SimFolder &folder, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessEnvironment(folder.Environment());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(Executable(), QStringList{"control"} + arguments);
    if (!process.waitForFinished(5000)) {
        process.kill();
        return -1;
    }
    if (output != nullptr)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

LinkClient::~LinkClient()
{
    Close();
}

int LinkClient::Connect(const QString &path)
{
    Close();
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray local = path.toLocal8Bit();
    std::memcpy(address.sun_path, local.constData(),
                std::min(sizeof address.sun_path - 1, static_cast<size_t>(local.size())));
    if (connect(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        const int error = errno;
        Close();
        return error;
    }
    return 0;
}

void LinkClient::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    pending_.clear();
}

bool LinkClient::SendRaw(const std::vector<uint8_t> &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t put = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put <= 0)
            return false;
        sent += static_cast<size_t>(put);
    }
    return true;
}

void LinkClient::ShutdownWrite()
{
    shutdown(fd_, SHUT_WR);
}

std::optional<LinkReply> LinkClient::ReadReply(int timeoutMs)
{
    link_decoder decoder{};
    link_decoder_reset(&decoder);
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        while (!pending_.empty()) {
            const uint8_t byte = pending_.front();
            pending_.erase(pending_.begin());
            if (link_decoder_feed(&decoder, byte) == LINK_DECODE_FRAME) {
                const uint8_t *payload = link_decoder_payload(&decoder);
                return LinkReply{
                    link_decoder_kind(&decoder), link_decoder_seq(&decoder),
                    std::vector<uint8_t>(payload, payload + link_decoder_length(&decoder))};
            }
        }
        pollfd poller{fd_, POLLIN, 0};
        const int remaining = static_cast<int>(deadline.remainingTime());
        if (fd_ < 0 || remaining <= 0 || poll(&poller, 1, remaining) <= 0)
            return std::nullopt;
        uint8_t buffer[4096];
        const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            return std::nullopt;
        pending_.insert(pending_.end(), buffer, buffer + got);
    }
}

std::optional<LinkReply> LinkClient::Ask(uint8_t op, const std::vector<uint8_t> &payload,
                                         int timeoutMs)
{
    std::vector<uint8_t> frame(LINK_MAX_FRAME);
    frame.resize(link_frame_build(op, ++seq_, payload.data(), payload.size(), frame.data()));
    if (!SendRaw(frame))
        return std::nullopt;
    return ReadReply(timeoutMs);
}

bool LinkClient::WaitForHangUp(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        pollfd poller{fd_, POLLIN, 0};
        if (poll(&poller, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            return false;
        uint8_t buffer[256];
        const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            return true;
    }
    return false;
}

std::optional<LinkReply> LinkClient::Status()
{
    const std::string inquiry = "@BDC ST2\r\n";
    return Ask(LINK_OP_STATUS, std::vector<uint8_t>(inquiry.begin(), inquiry.end()));
}

std::optional<uint8_t> LinkClient::ReadEeprom(uint8_t address)
{
    const std::optional<LinkReply> reply = Ask(LINK_OP_EEPROM_READ, {0x5E, 0xA7, address});
    if (!reply || reply->payload.size() != 2 || reply->Result() != LINK_RESULT_OK)
        return std::nullopt;
    return reply->payload[1];
}

bool LinkClient::WriteEeprom(uint8_t address, uint8_t value)
{
    const std::optional<LinkReply> reply = Ask(LINK_OP_EEPROM_WRITE, {0x5E, 0xA7, address, value});
    return reply && reply->Result() == LINK_RESULT_OK;
}

} // namespace simtest
