#include "connection.h"

#include "novari_link.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace novari
{
namespace
{

constexpr uint8_t kInUse = 0x14; // error frame payload: the printer serves another client

bool SetNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Only a printer run by this user is trusted with the link (and the EEPROM keys on it).
bool PeerIsThisUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == geteuid();
}

UniqueFd ConnectSocket(const std::string &path, int16_t *ioError)
{
    *ioError = NOVARI_IO_NOT_FOUND;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return UniqueFd();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        return UniqueFd();
    // A printer that does not accept must not hold the caller: bound the connect.
    const timeval limit{GATE_REPLY_TIMEOUT_MS / 1000, (GATE_REPLY_TIMEOUT_MS % 1000) * 1000};
    setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int connected;
    do
        connected = connect(fd.Get(), reinterpret_cast<const sockaddr *>(&address), sizeof address);
    while (connected != 0 && errno == EINTR);
    if (connected != 0 || !SetNonBlocking(fd.Get()) || !PeerIsThisUser(fd.Get()))
        return UniqueFd();
    *ioError = 0;
    return fd;
}

UniqueFd OpenDeviceNode(const std::string &path, int16_t *ioError)
{
    UniqueFd fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid())
        *ioError = errno == EBUSY ? NOVARI_IO_IN_USE : NOVARI_IO_NOT_FOUND;
    else
        *ioError = 0;
    return fd;
}

bool IsHangUp(int error)
{
    return error == EPIPE || error == ECONNRESET || error == ENOTCONN || error == ENODEV ||
           error == ENXIO;
}

} // namespace

int16_t IoErrorOf(gate_exchange outcome)
{
    switch (outcome) {
    case GATE_EXCHANGE_OK:
        return 0;
    case GATE_EXCHANGE_NOT_OPEN:
        return NOVARI_IO_NOT_FOUND;
    case GATE_EXCHANGE_WRITE_FAILED:
        return NOVARI_IO_WRITE_FAILED;
    case GATE_EXCHANGE_DISCONNECTED:
        return NOVARI_IO_DISCONNECTED;
    case GATE_EXCHANGE_IN_USE:
        return NOVARI_IO_IN_USE;
    case GATE_EXCHANGE_TIMEOUT:
    case GATE_EXCHANGE_BAD_REPLY:
    case GATE_EXCHANGE_REFUSED:
        break;
    }
    return NOVARI_IO_TIMEOUT; // no usable reply in time
}

std::unique_ptr<Connection> Connection::Open(const PortTarget &target, int16_t *ioError)
{
    UniqueFd fd =
        target.socket ? ConnectSocket(target.path, ioError) : OpenDeviceNode(target.path, ioError);
    if (!fd.Valid())
        return nullptr;
    return std::unique_ptr<Connection>(new Connection(std::move(fd), target.socket));
}

Connection::Connection(UniqueFd fd, bool socket) : fd_(std::move(fd)), socket_(socket)
{
    link_decoder_reset(&decoder_);
}

Connection::~Connection()
{
    if (!socket_ || shutdown(fd_.Get(), SHUT_WR) != 0)
        return;
    // The printer answers our end of stream by closing its side; wait for that.
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCloseWaitMs);
    uint8_t scratch[4096];
    for (;;) {
        pollfd waiting{fd_.Get(), POLLIN, 0};
        const int ready = poll(&waiting, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return;
        const ssize_t got = read(fd_.Get(), scratch, sizeof scratch);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
            return;
    }
}

int Connection::RemainingMs(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

uint8_t Connection::NextSeq()
{
    // Sequence 0 is left to the printer's error frames.
    seq_ = static_cast<uint8_t>(seq_ == 0xFF ? 1 : seq_ + 1);
    return seq_;
}

void Connection::Resynchronise()
{
    pending_.clear();
    link_decoder_reset(&decoder_);
    uint8_t scratch[4096];
    for (int rounds = 0; rounds < 64; ++rounds) {
        const ssize_t got = read(fd_.Get(), scratch, sizeof scratch);
        if (got <= 0)
            break;
    }
    resync_ = false;
}

gate_exchange Connection::Transact(uint8_t op, const uint8_t *payload, size_t length,
                                   std::vector<uint8_t> &reply)
{
    uint8_t frame[LINK_MAX_FRAME];
    const uint8_t seq = NextSeq();
    const size_t size = link_frame_build(op, seq, payload, length, frame);
    if (size == 0)
        return GATE_EXCHANGE_REFUSED; // too long to frame; never sent
    if (resync_)
        Resynchronise();
    const uint8_t kind = static_cast<uint8_t>(op | LINK_REPLY_BIT);
    const gate_exchange sent = Send(frame, size, kind, seq, reply);
    if (sent != GATE_EXCHANGE_OK)
        return sent;
    return Await(kind, seq, reply, Clock::now() + std::chrono::milliseconds(GATE_REPLY_TIMEOUT_MS));
}

gate_exchange Connection::Send(const uint8_t *bytes, size_t count, uint8_t kind, uint8_t seq,
                               std::vector<uint8_t> &reply)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(GATE_REPLY_TIMEOUT_MS);
    size_t done = 0;
    while (done < count) {
        const ssize_t wrote = socket_ ? send(fd_.Get(), bytes + done, count - done, MSG_NOSIGNAL)
                                      : write(fd_.Get(), bytes + done, count - done);
        if (wrote > 0) {
            done += static_cast<size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd waiting{fd_.Get(), POLLOUT, 0};
            if (poll(&waiting, 1, RemainingMs(deadline)) == 0)
                return GATE_EXCHANGE_WRITE_FAILED; // the printer takes no bytes
            continue;
        }
        if (wrote < 0 && IsHangUp(errno)) {
            // The printer may have said why before it hung up (another client holds it).
            const gate_exchange said = Await(kind, seq, reply, Clock::now());
            return said == GATE_EXCHANGE_IN_USE ? said : GATE_EXCHANGE_DISCONNECTED;
        }
        return GATE_EXCHANGE_WRITE_FAILED;
    }
    return GATE_EXCHANGE_OK;
}

gate_exchange Connection::Await(uint8_t kind, uint8_t seq, std::vector<uint8_t> &reply,
                                Clock::time_point deadline)
{
    size_t used = 0;
    int outcome = Scan(pending_.data(), pending_.size(), kind, seq, reply, &used);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
    if (outcome != kMore)
        return static_cast<gate_exchange>(outcome);

    uint8_t chunk[4096];
    for (;;) {
        pollfd waiting{fd_.Get(), POLLIN, 0};
        const int ready = poll(&waiting, 1, RemainingMs(deadline));
        if (ready == 0)
            return GATE_EXCHANGE_TIMEOUT;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return GATE_EXCHANGE_DISCONNECTED;
        }
        if (waiting.revents & POLLNVAL)
            return GATE_EXCHANGE_DISCONNECTED;
        const ssize_t got = read(fd_.Get(), chunk, sizeof chunk);
        if (got == 0 && !socket_) {
            // A device node reads nothing while the printer has nothing to say; an unplugged
            // device fails with an error instead.
            poll(nullptr, 0, 5);
            continue;
        }
        if (got == 0)
            return GATE_EXCHANGE_DISCONNECTED;
        if (got < 0) {
            const int error = errno;
            // Some parallel-port drivers report readable without data: do not spin.
            if (error == EAGAIN || error == EWOULDBLOCK)
                poll(nullptr, 0, 5);
            if (error == EINTR || error == EAGAIN || error == EWOULDBLOCK)
                continue;
            return GATE_EXCHANGE_DISCONNECTED;
        }
        outcome = Scan(chunk, static_cast<size_t>(got), kind, seq, reply, &used);
        if (outcome != kMore) {
            pending_.assign(chunk + used, chunk + got);
            return static_cast<gate_exchange>(outcome);
        }
    }
}

int Connection::Scan(const uint8_t *bytes, size_t count, uint8_t kind, uint8_t seq,
                     std::vector<uint8_t> &reply, size_t *used)
{
    for (size_t i = 0; i < count; ++i) {
        const link_decode_status status = link_decoder_feed(&decoder_, bytes[i]);
        if (status == LINK_DECODE_BAD_CRC) {
            // A frame cut short (say, the rest of a reply lost when the printer restarted)
            // swallows the start of the next one; look for that start in what was dropped.
            const int replayed = Replay(kind, seq, reply);
            if (replayed != kMore) {
                *used = i + 1;
                return replayed;
            }
            continue;
        }
        if (status == LINK_DECODE_TOO_LONG) {
            *used = i + 1;
            resync_ = true;
            return GATE_EXCHANGE_BAD_REPLY;
        }
        if (status != LINK_DECODE_FRAME)
            continue;
        const uint8_t got = link_decoder_kind(&decoder_);
        const size_t length = link_decoder_length(&decoder_);
        const uint8_t *payload = link_decoder_payload(&decoder_);
        if (got == (LINK_OP_ERROR | LINK_REPLY_BIT)) {
            *used = i + 1;
            return length >= 1 && payload[0] == kInUse ? GATE_EXCHANGE_IN_USE
                                                       : GATE_EXCHANGE_REFUSED;
        }
        if (got == kind && link_decoder_seq(&decoder_) == seq) {
            *used = i + 1;
            reply.assign(payload, payload + length);
            return GATE_EXCHANGE_OK;
        }
        // A late reply to an earlier request that timed out: skip it.
    }
    *used = count;
    return kMore;
}

int Connection::Replay(uint8_t kind, uint8_t seq, std::vector<uint8_t> &reply)
{
    // The decoder has been reset, but the dropped frame is still in its buffer.
    const size_t length = decoder_.frame[4] | (static_cast<size_t>(decoder_.frame[5]) << 8);
    const uint8_t *dropped = decoder_.frame;
    const size_t size = LINK_HEADER_SIZE + length + LINK_TRAILER_SIZE;
    size_t start = 1;
    while (start + 1 < size && !(dropped[start] == LINK_SYNC0 && dropped[start + 1] == LINK_SYNC1))
        ++start;
    if (start + 1 >= size) {
        resync_ = true;
        return GATE_EXCHANGE_BAD_REPLY;
    }
    const std::vector<uint8_t> again(dropped + start, dropped + size);
    size_t used = 0;
    return Scan(again.data(), again.size(), kind, seq, reply, &used);
}

} // namespace novari
