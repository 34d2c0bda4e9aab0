#include "portserver.h"

#include <QLocalSocket>

#include <sys/socket.h>

namespace sim
{

namespace
{
// True when the peer of the socket has hung up and nothing it sent is left unread, although
// the socket has not handled the hang-up yet.
bool PeerHasHungUp(QLocalSocket *socket)
{
    const qintptr fd = socket->socketDescriptor();
    if (fd < 0)
        return true;
    char byte = 0;
    return ::recv(static_cast<int>(fd), &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}
} // namespace

PortServer::PortServer(QString path, Firmware &firmware, Capture *capture, PrintDataSink &sink,
                       QObject *parent)
    : QObject(parent), firmware_(firmware), capture_(capture), sink_(sink),
      listener_(std::move(path))
{
    connect(&listener_.Server(), &QLocalServer::newConnection, this, &PortServer::OnNewConnection);
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

void PortServer::OnNewConnection()
{
    while (QLocalSocket *socket = listener_.Server().nextPendingConnection()) {
        // A client that closed just before this one connected may not have been noticed yet:
        // take in what it sent, and let it go if it is gone.
        if (client_ != nullptr)
            client_->waitForReadyRead(0);
        if (client_ != nullptr && client_->bytesAvailable() == 0 && PeerHasHungUp(client_))
            DropClient();
        if (client_ != nullptr) {
            // One client at a time: tell the newcomer the printer is in use.
            const std::vector<uint8_t> frame = LinkSession::InUseFrame();
            socket->write(reinterpret_cast<const char *>(frame.data()),
                          static_cast<qint64>(frame.size()));
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            continue;
        }
        client_ = socket;
        session_ = std::make_unique<LinkSession>(firmware_, capture_, sink_);
        session_->SetSilent(silent_);
        connect(socket, &QLocalSocket::readyRead, this, &PortServer::OnReadyRead);
        connect(socket, &QLocalSocket::disconnected, this, &PortServer::OnDisconnected);
        if (socket->bytesAvailable() > 0)
            OnReadyRead();
    }
}

void PortServer::OnReadyRead()
{
    if (client_ == nullptr || !session_)
        return;
    char buffer[8192];
    while (client_ != nullptr && client_->bytesAvailable() > 0 && !session_->WantsClose()) {
        const qint64 got = client_->read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        const std::vector<uint8_t> answer =
            session_->Receive(reinterpret_cast<const uint8_t *>(buffer), static_cast<size_t>(got));
        if (!answer.empty())
            client_->write(reinterpret_cast<const char *>(answer.data()),
                           static_cast<qint64>(answer.size()));
        if (client_->bytesToWrite() > kMaxPendingOutput) {
            DropClient();
            return;
        }
    }
    if (client_ != nullptr && session_->WantsClose()) {
        client_->flush();
        client_->disconnectFromServer();
    }
}

void PortServer::OnDisconnected()
{
    QLocalSocket *socket = qobject_cast<QLocalSocket *>(sender());
    if (socket != client_)
        return;
    if (session_)
        session_->Disconnected();
    session_.reset();
    client_ = nullptr;
    socket->deleteLater();
}

void PortServer::DropClient()
{
    if (client_ == nullptr)
        return;
    QLocalSocket *socket = client_;
    client_ = nullptr;
    socket->disconnect(this);
    if (session_)
        session_->Disconnected();
    session_.reset();
    socket->abort();
    socket->deleteLater();
}

} // namespace sim
