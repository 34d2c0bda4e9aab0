#pragma once

// A listening Unix-domain socket published at a path in the port directory: the path appears
// only once the socket listens (see ListenAtPath) and is taken away again before it stops.

#include <utility>

#include <QLocalServer>
#include <QString>

namespace sim
{

class SocketListener
{
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

private:
    QString path_;
    QLocalServer server_;
    bool published_ = false;
};

} // namespace sim
