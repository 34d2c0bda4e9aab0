#include "portserver.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace sim
{

namespace
{

// Reads per wake-up, so that a client that never stops sending cannot starve the event loop.
constexpr int kReadsPerWakeUp = 64;

bool SetNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

PortServer::PortServer(QString path, Firmware &firmware, Capture *capture, PrintDataSink &sink,
                       QObject *parent)
    : QObject(parent), firmware_(firmware), capture_(capture), sink_(sink),
      listener_(std::move(path))
{
    listener_.SetConnectionHandler([this](int fd) { OnConnection(fd); });
}

PortServer::~PortServer()
{
    DropClient();
}

void PortServer::Unplug()
{
    DropClient();
    listener_.Withdraw();
}

QString PortServer::Plug()
{
    if (listener_.Published())
        return QString();
    return Listen();
}

void PortServer::SetSilent(bool silent)
{
    silent_ = silent;
    if (session_)
        session_->SetSilent(silent);
}

bool PortServer::ClientIsIdle() const
{
    return sinceLastFrame_.elapsed() >= idleMs_;
}

void PortServer::OnConnection(int fd)
{
    // A client that closed just before this one connected may not have been noticed yet:
    // answer what it sent, and let it go if it is gone.
    if (client_ >= 0)
        OnReadable();
    // One that has sent nothing for long does not keep the printer from everybody else.
    if (client_ >= 0 && ClientIsIdle())
        DropClient();
    if (client_ >= 0 || !SetNonBlocking(fd)) {
        // One client at a time: tell the newcomer the printer is in use.
        const std::vector<uint8_t> frame = LinkSession::InUseFrame();
        (void)!send(fd, frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        close(fd);
        return;
    }
    client_ = fd;
    session_ = std::make_unique<LinkSession>(firmware_, capture_, sink_);
    session_->SetSilent(silent_);
    framesSeen_ = 0;
    sinceLastFrame_.start();
    readable_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    writable_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    writable_->setEnabled(false);
    connect(readable_.get(), &QSocketNotifier::activated, this, &PortServer::OnReadable);
    connect(writable_.get(), &QSocketNotifier::activated, this, &PortServer::OnWritable);
    OnReadable();
}

void PortServer::OnReadable()
{
    uint8_t buffer[8192];
    for (int reads = 0; client_ >= 0 && reads < kReadsPerWakeUp; ++reads) {
        const ssize_t got = recv(client_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && WouldBlock(errno))
            return;
        if (got <= 0) {
            // End of stream: everything the client sent has been answered above.
            Finish();
            return;
        }
        Queue(session_->Receive(buffer, static_cast<size_t>(got)));
        if (session_->Frames() != framesSeen_) {
            framesSeen_ = session_->Frames();
            sinceLastFrame_.restart();
        }
        if (session_->WantsClose()) {
            Finish();
            return;
        }
        if (!Flush() || outbox_.size() > kMaxPendingOutput) {
            DropClient(); // gone, or it reads no answers
            return;
        }
    }
}

void PortServer::OnWritable()
{
    if (client_ >= 0 && !Flush())
        DropClient();
}

void PortServer::Queue(const std::vector<uint8_t> &bytes)
{
    outbox_.insert(outbox_.end(), bytes.begin(), bytes.end());
}

bool PortServer::Flush()
{
    size_t sent = 0;
    bool alive = true;
    while (sent < outbox_.size()) {
        const ssize_t put = send(client_, outbox_.data() + sent, outbox_.size() - sent,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put > 0) {
            sent += static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        alive = put < 0 && WouldBlock(errno);
        break;
    }
    outbox_.erase(outbox_.begin(), outbox_.begin() + static_cast<std::ptrdiff_t>(sent));
    if (writable_)
        writable_->setEnabled(alive && !outbox_.empty());
    return alive;
}

void PortServer::Finish()
{
    // The answers already in the socket reach the client after the close as well.
    Flush();
    DropClient();
}

void PortServer::DropClient()
{
    if (client_ < 0)
        return;
    readable_.reset(); // the notifiers go before their descriptor
    writable_.reset();
    if (session_)
        session_->Disconnected();
    session_.reset();
    close(client_);
    client_ = -1;
    outbox_.clear();
}

} // namespace sim
