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
    // The printer answers our end of stream by closing its side; wait for that, but not
    // longer than the close wait even if it goes on talking.
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCloseWaitMs);
    uint8_t scratch[4096];
    for (bool first = true;; first = false) {
        if (!first && Clock::now() >= deadline)
            return;
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

gate_exchange Connection::Transact(uint8_t op, const uint8_t *payload, size_t length,
                                   std::vector<uint8_t> &reply)
{
    uint8_t frame[LINK_MAX_FRAME];
    const uint8_t seq = NextSeq();
    const size_t size = link_frame_build(op, seq, payload, length, frame);
    if (size == 0)
        return GATE_EXCHANGE_REFUSED; // too long to frame; never sent
    const Awaited awaited{static_cast<uint8_t>(op | LINK_REPLY_BIT), seq};
    const gate_exchange sent = Send(frame, size, awaited, reply);
    if (sent != GATE_EXCHANGE_OK)
        return sent;
    return Await(awaited, reply, Clock::now() + std::chrono::milliseconds(GATE_REPLY_TIMEOUT_MS));
}

gate_exchange Connection::Send(const uint8_t *bytes, size_t count, Awaited awaited,
                               std::vector<uint8_t> &reply)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(GATE_REPLY_TIMEOUT_MS);
    size_t done = 0;
    while (done < count) {
        if (done > 0 && Clock::now() >= deadline)
            return GATE_EXCHANGE_WRITE_FAILED; // a printer that takes the bytes too slowly
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
            const gate_exchange said = Await(awaited, reply, Clock::now());
            return said == GATE_EXCHANGE_IN_USE ? said : GATE_EXCHANGE_DISCONNECTED;
        }
        return GATE_EXCHANGE_WRITE_FAILED;
    }
    return GATE_EXCHANGE_OK;
}

gate_exchange Connection::Await(Awaited awaited, std::vector<uint8_t> &reply,
                                Clock::time_point deadline)
{
    bool garbled = false; // a frame was dropped while waiting
    int outcome = ScanPending(awaited, reply, &garbled);
    for (bool first = true; outcome == kMore; first = false) {
        // A printer that keeps talking must not hold the call: whatever arrives, every read
        // after the first counts against the deadline.
        if (!first && Clock::now() >= deadline)
            outcome = GATE_EXCHANGE_TIMEOUT;
        else
            outcome = ReadMore(deadline);
        if (outcome == GATE_EXCHANGE_TIMEOUT && garbled)
            outcome = GATE_EXCHANGE_BAD_REPLY;
        else if (outcome == kMore)
            outcome = ScanPending(awaited, reply, &garbled);
    }
    return static_cast<gate_exchange>(outcome);
}

int Connection::ReadMore(Clock::time_point deadline)
{
    pollfd waiting{fd_.Get(), POLLIN, 0};
    const int ready = poll(&waiting, 1, RemainingMs(deadline));
    if (ready == 0)
        return GATE_EXCHANGE_TIMEOUT;
    if (ready < 0)
        return errno == EINTR ? kMore : GATE_EXCHANGE_DISCONNECTED;
    if (waiting.revents & POLLNVAL)
        return GATE_EXCHANGE_DISCONNECTED;
    uint8_t chunk[4096];
    const ssize_t got = read(fd_.Get(), chunk, sizeof chunk);
    if (got > 0) {
        pending_.insert(pending_.end(), chunk, chunk + got);
        return kMore;
    }
    const int error = errno;
    // A device node reads nothing while the printer has nothing to say, and some parallel-port
    // drivers report readable without data: do not spin. An unplugged device fails instead.
    if ((got == 0 && !socket_) || (got < 0 && (error == EAGAIN || error == EWOULDBLOCK))) {
        poll(nullptr, 0, 5);
        return kMore;
    }
    if (got < 0 && error == EINTR)
        return kMore;
    return GATE_EXCHANGE_DISCONNECTED;
}

int Connection::ScanPending(Awaited awaited, std::vector<uint8_t> &reply, bool *garbled)
{
    while (!pending_.empty()) {
        const uint8_t byte = pending_.front();
        pending_.pop_front();
        const link_decode_status status = link_decoder_feed(&decoder_, byte);
        if (status == LINK_DECODE_BAD_CRC || status == LINK_DECODE_TOO_LONG) {
            *garbled = true;
            Rescan(status);
            continue;
        }
        if (status != LINK_DECODE_FRAME)
            continue;
        const int outcome =
            Judge(awaited, link_decoder_kind(&decoder_), link_decoder_seq(&decoder_),
                  link_decoder_payload(&decoder_), link_decoder_length(&decoder_), reply);
        if (outcome != kMore)
            return outcome;
    }
    return TakeReplyInside(awaited, reply);
}

void Connection::Rescan(link_decode_status dropped)
{
    // A frame cut short swallows the start of the next one (the rest of a reply lost when the
    // printer restarted, say): what the decoder dropped, all but its first byte, is read again.
    uint8_t bytes[LINK_MAX_FRAME];
    const size_t count = link_decoder_dropped(&decoder_, dropped, bytes);
    pending_.insert(pending_.begin(), bytes, bytes + count);
}

int Connection::TakeReplyInside(Awaited awaited, std::vector<uint8_t> &reply)
{
    // A header cut short can announce a length that takes in the whole reply after it, and
    // nothing more will come to end that frame. So while a frame is still unfinished, a whole
    // frame with a good check sum after a later sync pair inside it is judged as it stands.
    const uint8_t *bytes = decoder_.frame;
    const size_t fill = decoder_.fill;
    if (decoder_.expected == 0 || fill >= decoder_.expected)
        return kMore;
    constexpr size_t kSmallest = LINK_HEADER_SIZE + LINK_TRAILER_SIZE;
    for (size_t start = 1; start + kSmallest <= fill; ++start) {
        const uint8_t *frame = bytes + start;
        if (frame[0] != LINK_SYNC0 || frame[1] != LINK_SYNC1)
            continue;
        const size_t length = frame[4] | (static_cast<size_t>(frame[5]) << 8);
        const size_t size = kSmallest + length;
        if (length > LINK_MAX_PAYLOAD || start + size > fill)
            continue;
        const uint16_t sent =
            static_cast<uint16_t>(frame[size - 2] | (static_cast<uint16_t>(frame[size - 1]) << 8));
        if (link_crc16(frame + 2, LINK_HEADER_SIZE - 2 + length) != sent)
            continue;
        const int outcome =
            Judge(awaited, frame[2], frame[3], frame + LINK_HEADER_SIZE, length, reply);
        if (outcome == kMore)
            continue;
        pending_.insert(pending_.begin(), frame + size, bytes + fill);
        link_decoder_reset(&decoder_);
        return outcome;
    }
    return kMore;
}

int Connection::Judge(Awaited awaited, uint8_t kind, uint8_t seq, const uint8_t *payload,
                      size_t length, std::vector<uint8_t> &reply)
{
    if (kind == (LINK_OP_ERROR | LINK_REPLY_BIT))
        return length >= 1 && payload[0] == kInUse ? GATE_EXCHANGE_IN_USE : GATE_EXCHANGE_REFUSED;
    if (kind != awaited.kind || seq != awaited.seq)
        return kMore; // a late reply to an earlier request that timed out: skipped
    if (length == 0)
        return GATE_EXCHANGE_BAD_REPLY; // the reply, but without its result byte
    reply.assign(payload, payload + length);
    return GATE_EXCHANGE_OK;
}

} // namespace novari
