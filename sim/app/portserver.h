#pragma once

// The printer's port: a Unix-domain socket in the port directory that one client at a time
// talks the link protocol on. It can be unplugged (socket gone, connection dropped) and
// plugged in again, and it can fall silent.
//
// The client's connection is kept as a bare descriptor: its end of stream only ends what the
// client sends, so the requests that came with it are answered and the answers sent before
// the connection is closed.

#include <cstdint>
#include <memory>
#include <vector>

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include "linksession.h"
#include "socketlistener.h"

class QSocketNotifier;

namespace sim
{

class PortServer : public QObject
{
    Q_OBJECT

public:
    // Largest backlog of answers kept for a client that does not read them.
    static constexpr size_t kMaxPendingOutput = 1 << 20;
    // A client that has sent no well-formed frame for this long gives the printer up to the
    // next client that connects (the same limit as the control socket's).
    static constexpr int kIdleMs = 5000;

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
    // Tests shorten the idle limit.
    void SetIdleLimit(int milliseconds) { idleMs_ = milliseconds; }

private:
    void OnConnection(int fd);
    // Reads what the client sent and answers it; at its end of stream, sends the last answers
    // and closes.
    void OnReadable();
    void OnWritable();
    void Queue(const std::vector<uint8_t> &bytes);
    // Sends what the socket takes now; false when the client is gone.
    bool Flush();
    // The client sent its last request (or the session wants to hang up): answers go out as far
    // as the socket takes them at once, then the connection is closed.
    void Finish();
    void DropClient();
    bool ClientIsIdle() const;

    Firmware &firmware_;
    Capture *capture_;
    PrintDataSink &sink_;
    SocketListener listener_;
    int client_ = -1;
    std::unique_ptr<QSocketNotifier> readable_;
    std::unique_ptr<QSocketNotifier> writable_;
    std::vector<uint8_t> outbox_;
    std::unique_ptr<LinkSession> session_;
    QElapsedTimer sinceLastFrame_;
    uint64_t framesSeen_ = 0;
    int idleMs_ = kIdleMs;
    bool silent_ = false;
};

} // namespace sim
