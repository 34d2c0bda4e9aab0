#pragma once

// A listening Unix-domain socket published at a path in the port directory: the path appears
// only once the socket listens (see ListenAtPath) and is taken away again before it stops.

#include <functional>
#include <utility>

#include <QLocalServer>
#include <QString>

namespace sim
{

class SocketListener
{
    // Hands accepted connections to a handler when one is set.
    class HandingServer : public QLocalServer
    {
    public:
        std::function<void(int fd)> handler;

    protected:
        void incomingConnection(quintptr descriptor) override
        {
            if (handler)
                handler(static_cast<int>(descriptor));
            else
                QLocalServer::incomingConnection(descriptor);
        }
    };

public:
    explicit SocketListener(QString path) : path_(std::move(path)) {}
    ~SocketListener() { Withdraw(); }
    SocketListener(const SocketListener &) = delete;
    SocketListener &operator=(const SocketListener &) = delete;

    // Starts listening; the path must be free. Returns an empty text or why not.
    QString Listen();
    // Takes the socket's name away first, so that opens fail with "not found", then stops.
    void Withdraw();
    bool Published() const { return published_; }
    QLocalServer &Server() { return server_; }
    // Hands each accepted connection over as a bare descriptor (the handler owns it) instead
    // of a QLocalSocket, for a server that must see the peer's end of stream as such (a
    // QLocalSocket takes it for the end of the whole connection).
    void SetConnectionHandler(std::function<void(int fd)> handler)
    {
        server_.handler = std::move(handler);
    }

private:
    QString path_;
    HandingServer server_;
    bool published_ = false;
};

} // namespace sim
