#pragma once

// The printer's port: a Unix-domain socket in the port directory that one client at a time
// talks the link protocol on. It can be unplugged (socket gone, connection dropped) and
// plugged in again, and it can fall silent.

#include <memory>

#include <QObject>
#include <QString>

#include "linksession.h"
#include "socketlistener.h"

class QLocalSocket;

namespace sim
{

class PortServer : public QObject
{
    Q_OBJECT

public:
    // Largest backlog of answers kept for a client that does not read them.
    static constexpr qint64 kMaxPendingOutput = 1 << 20;

    PortServer(QString path, Firmware &firmware, Capture *capture, PrintDataSink &sink,
               QObject *parent = nullptr);
    ~PortServer() override;

    // Starts listening; the path must be free. Returns an empty text or why not.
    QString Listen() { return listener_.Listen(); }
    void Unplug();
    // Listens again after Unplug; returns an empty text or why not.
    QString Plug();
    bool Plugged() const { return listener_.Published(); }
    void SetSilent(bool silent);
    bool Silent() const { return silent_; }

private:
    void OnNewConnection();
    void OnReadyRead();
    void OnDisconnected();
    void DropClient();

    Firmware &firmware_;
    Capture *capture_;
    PrintDataSink &sink_;
    SocketListener listener_;
    QLocalSocket *client_ = nullptr;
    std::unique_ptr<LinkSession> session_;
    bool silent_ = false;
};

} // namespace sim
