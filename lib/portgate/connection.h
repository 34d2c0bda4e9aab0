#pragma once

#include "gatelink.h"
#include "linkframe.h"
#include "portresolver.h"
#include "uniquefd.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace novari
{

// One open link to a printer: a connected socket or an open device node, carrying frames.
// Every wait is bounded: writes and replies each get GATE_REPLY_TIMEOUT_MS.
class Connection
{
public:
    // Opens the target. On failure gives nothing and stores the port I/O error in *ioError.
    static std::unique_ptr<Connection> Open(const PortTarget &target, int16_t *ioError);

    // Closes gracefully: a printer serves one client at a time, so the next open must find
    // this connection gone on its side too. Waits a short, bounded time for that.
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Sends one request and waits for its reply (see novari_gate_transact).
    gate_exchange Transact(uint8_t op, const uint8_t *payload, size_t length,
                           std::vector<uint8_t> &reply);

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMore = -1; // no outcome yet: the reply has not come
    static constexpr int kCloseWaitMs = 250;

    // The reply a request waits for.
    struct Awaited {
        uint8_t kind;
        uint8_t seq;
    };

    Connection(UniqueFd fd, bool socket);
    static int RemainingMs(Clock::time_point deadline);

    uint8_t NextSeq();
    gate_exchange Send(const uint8_t *bytes, size_t count, Awaited awaited,
                       std::vector<uint8_t> &reply);
    gate_exchange Await(Awaited awaited, std::vector<uint8_t> &reply, Clock::time_point deadline);
    int ReadMore(Clock::time_point deadline);
    int ScanPending(Awaited awaited, std::vector<uint8_t> &reply, bool *garbled);
    void Rescan(link_decode_status dropped);
    int TakeReplyInside(Awaited awaited, std::vector<uint8_t> &reply);
    static int Judge(Awaited awaited, uint8_t kind, uint8_t seq, const uint8_t *payload,
                     size_t length, std::vector<uint8_t> &reply);

    UniqueFd fd_;
    bool socket_;
    link_decoder decoder_;
    std::deque<uint8_t> pending_; // bytes read but not yet fed to the decoder
    uint8_t seq_ = 0;
};

// Port I/O error (GateGetIoError) that an exchange outcome stands for; 0 for success.
int16_t IoErrorOf(gate_exchange outcome);

} // namespace novari
