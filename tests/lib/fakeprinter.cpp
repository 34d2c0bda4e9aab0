#include "fakeprinter.h"

#include "linkframe.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace novari_test
{

std::vector<uint8_t> Frame(uint8_t kind, uint8_t seq, const std::vector<uint8_t> &payload)
{
    std::vector<uint8_t> frame(LINK_MAX_FRAME);
    frame.resize(link_frame_build(kind, seq, payload.data(), payload.size(), frame.data()));
    return frame;
}

std::vector<uint8_t> ReplyTo(const FakeRequest &request, const std::vector<uint8_t> &payload)
{
    return Frame(static_cast<uint8_t>(request.kind | LINK_REPLY_BIT), request.seq, payload);
}

FakePrinter::FakePrinter(const RuntimeDir &runtime, const std::string &portName)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = PortDirectoryOf(runtime) + "/" + portName;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    EXPECT_EQ(listen(listener_, 4), 0);
    EXPECT_EQ(pipe(wake_), 0);
    thread_ = std::thread([this] { Serve(); });
}

FakePrinter::~FakePrinter()
{
    EXPECT_EQ(write(wake_[1], "x", 1), 1);
    thread_.join();
    for (const int fd : {wake_[0], wake_[1], listener_})
        close(fd);
}

void FakePrinter::SetHandler(Handler handler)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handler_ = std::move(handler);
}

void FakePrinter::SetDeviceId(const std::string &id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    deviceId_ = id;
}

std::vector<FakeRequest> FakePrinter::Requests(uint8_t kind) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<FakeRequest> found;
    for (const FakeRequest &request : requests_)
        if (request.kind == kind)
            found.push_back(request);
    return found;
}

FakeAnswer FakePrinter::Polite(const FakeRequest &request) const
{
    std::vector<uint8_t> out = {LINK_RESULT_OK};
    if (request.kind == LINK_OP_DEVICE_ID) {
        std::lock_guard<std::mutex> lock(mutex_);
        out.insert(out.end(), deviceId_.begin(), deviceId_.end());
    } else if (request.kind == LINK_OP_EEPROM_READ && request.payload.size() == 3) {
        out.push_back(request.payload[2] ^ 0x5A);
    } else if (request.kind == LINK_OP_STATUS) {
        static const std::string header("@BDC ST2\r\n\x0F\x00\x01\x01\x04", 15);
        out.insert(out.end(), header.begin(), header.end());
    }
    return FakeAnswer{ReplyTo(request, out), request.kind == LINK_OP_RESET};
}

void FakePrinter::Serve()
{
    int client = -1;
    for (;;) {
        const bool streaming = client >= 0 && Streaming();
        const short events = static_cast<short>(POLLIN | (streaming ? POLLOUT : 0));
        pollfd watched[3] = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}, {client, events, 0}};
        poll(watched, client >= 0 ? 3 : 2, streaming ? 10 : -1);
        if (watched[0].revents)
            break;
        if (watched[1].revents & POLLIN) {
            const int incoming = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) { // one client at a time: "in use"
                const auto busy = Frame(LINK_OP_ERROR | LINK_REPLY_BIT, 0, {0x14});
                send(incoming, busy.data(), busy.size(), MSG_NOSIGNAL);
                close(incoming);
            } else {
                client = incoming;
                // A printer that will not stop talking still hears the host within a moment.
                const timeval moment{0, 20000};
                setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &moment, sizeof moment);
                link_decoder_reset(&decoder_);
                stream_.clear();
                ++connections_;
            }
        }
        uint8_t bytes[4096];
        bool ended = false;
        if (client >= 0 && (watched[2].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t got = read(client, bytes, sizeof bytes);
            ended = got <= 0 || !Talk(client, bytes, static_cast<size_t>(got));
        }
        if (client >= 0 && !ended && (watched[2].revents & POLLOUT) && Streaming())
            ended = !KeepTalking(client);
        if (client >= 0 && ended) {
            close(client);
            client = -1;
        }
    }
    if (client >= 0)
        close(client);
}

// Fills the client's socket with the stream, as a printer would that sends without pause.
bool FakePrinter::KeepTalking(int client) const
{
    const ssize_t sent = send(client, stream_.data(), stream_.size(), MSG_NOSIGNAL);
    return sent >= 0 || errno == EAGAIN;
}

// Answers every request in the bytes; false when the printer hangs up.
bool FakePrinter::Talk(int client, const uint8_t *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (link_decoder_feed(&decoder_, bytes[i]) != LINK_DECODE_FRAME)
            continue;
        const uint8_t *payload = link_decoder_payload(&decoder_);
        const FakeRequest request{link_decoder_kind(&decoder_),
                                  link_decoder_seq(&decoder_),
                                  {payload, payload + link_decoder_length(&decoder_)}};
        Handler handler;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
            handler = handler_;
        }
        const FakeAnswer answer = handler ? handler(request) : Polite(request);
        send(client, answer.bytes.data(), answer.bytes.size(), MSG_NOSIGNAL);
        stream_.clear();
        while (!answer.stream.empty() && stream_.size() < (1u << 20)) // sent in bursts this long
            stream_.insert(stream_.end(), answer.stream.begin(), answer.stream.end());
        streamEnd_ = Clock::now() + kStreamFor;
        if (answer.hangUp) {
            return false;
        }
    }
    return true;
}

} // namespace novari_test
