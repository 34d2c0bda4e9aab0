#include "fakeprinter.h"

#include "linkframe.h"

#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace novari_test
{
namespace
{

void WriteAll(int fd, const std::vector<uint8_t> &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (wrote <= 0)
            return;
        done += static_cast<size_t>(wrote);
    }
}

std::vector<uint8_t> StatusText()
{
    std::vector<uint8_t> text = {'@', 'B', 'D', 'C', ' ', 'S', 'T', '2', '\r', '\n', 0, 0};
    const std::vector<uint8_t> fields = {0x01, 1, 4, 0x02, 1, 0, 0x0F, 19, 0, 0,  0, 90, 0, 1,
                                         80,   0, 2, 70,   0, 3, 60,   0,  4, 50, 0, 5,  40};
    text.insert(text.end(), fields.begin(), fields.end());
    text[10] = static_cast<uint8_t>(text.size());
    return text;
}

} // namespace

TempRuntime::TempRuntime()
{
    const char *previous = getenv("XDG_RUNTIME_DIR");
    hadPrevious_ = previous != nullptr;
    if (previous != nullptr)
        previous_ = previous;
    char pattern[] = "/tmp/novari-libtest-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("no temporary folder");
    path_ = pattern;
    mkdir(PortDirectory().c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
}

TempRuntime::~TempRuntime()
{
    if (hadPrevious_)
        setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    const std::string command = "rm -rf '" + path_ + "'";
    if (system(command.c_str()) != 0)
        return;
}

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

FakePrinter::FakePrinter(const TempRuntime &runtime, const std::string &portName)
{
    for (int i = 0; i < 256; ++i)
        eeprom_[i] = static_cast<uint8_t>(i ^ 0x5A);
    const std::string path = runtime.PortDirectory() + "/" + portName;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) ||
        listen(listener_, 4) || pipe(wake_))
        throw std::runtime_error("fake printer cannot listen on " + path);
    thread_ = std::thread([this] { Serve(); });
}

FakePrinter::~FakePrinter()
{
    if (write(wake_[1], "x", 1) != 1)
        return; // cannot stop the thread; better to leak than to hang
    thread_.join();
    close(wake_[0]);
    close(wake_[1]);
    close(listener_);
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

std::vector<FakeRequest> FakePrinter::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<uint8_t> FakePrinter::Data() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return data_;
}

uint8_t FakePrinter::Eeprom(uint8_t address) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return eeprom_[address];
}

void FakePrinter::Serve()
{
    int client = -1;
    link_decoder decoder;
    link_decoder_reset(&decoder);
    for (;;) {
        pollfd watched[3] = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}, {client, POLLIN, 0}};
        if (poll(watched, client >= 0 ? 3 : 2, -1) < 0)
            continue;
        if (watched[0].revents)
            break;
        if (watched[1].revents & POLLIN) {
            const int incoming = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (incoming >= 0 && client >= 0) {
                WriteAll(incoming, Frame(LINK_OP_ERROR | LINK_REPLY_BIT, 0, {0x14}));
                close(incoming);
            } else if (incoming >= 0) {
                client = incoming;
                ++connections_;
            }
        }
        if (client >= 0 && watched[2].revents) {
            uint8_t bytes[4096];
            const ssize_t got = read(client, bytes, sizeof bytes);
            bool hangUp = got <= 0;
            if (got > 0) {
                for (ssize_t i = 0; i < got && !hangUp; ++i) {
                    const link_decode_status status = link_decoder_feed(&decoder, bytes[i]);
                    if (status == LINK_DECODE_BAD_CRC || status == LINK_DECODE_TOO_LONG)
                        WriteAll(client, Frame(LINK_OP_ERROR | LINK_REPLY_BIT, 0, {0x12}));
                    if (status != LINK_DECODE_FRAME)
                        continue;
                    const uint8_t *payload = link_decoder_payload(&decoder);
                    FakeRequest request{link_decoder_kind(&decoder),
                                        link_decoder_seq(&decoder),
                                        {payload, payload + link_decoder_length(&decoder)}};
                    const FakeAnswer answer = Answer(request);
                    WriteAll(client, answer.bytes);
                    hangUp = answer.hangUp;
                }
            }
            if (hangUp) {
                close(client);
                client = -1;
                link_decoder_reset(&decoder);
                std::lock_guard<std::mutex> lock(mutex_);
                channelOpen_ = false;
            }
        }
    }
    if (client >= 0)
        close(client);
}

FakeAnswer FakePrinter::Answer(const FakeRequest &request)
{
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        handler = handler_;
    }
    return handler ? handler(request) : Standard(request);
}

FakeAnswer FakePrinter::Standard(const FakeRequest &request)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const std::vector<uint8_t> &in = request.payload;
    const bool keysOk = in.size() >= 2 && in[0] == 0x5E && in[1] == 0xA7;
    std::vector<uint8_t> out = {LINK_RESULT_OK};
    switch (request.kind) {
    case LINK_OP_DEVICE_ID:
        out.insert(out.end(), deviceId_.begin(), deviceId_.end());
        break;
    case LINK_OP_CHANNEL_OPEN:
    case LINK_OP_CHANNEL_CLOSE:
        channelOpen_ = request.kind == LINK_OP_CHANNEL_OPEN;
        break;
    case LINK_OP_DATA:
        if (!channelOpen_)
            out = {LINK_RESULT_CHANNEL_CLOSED};
        else
            data_.insert(data_.end(), in.begin(), in.end());
        break;
    case LINK_OP_EEPROM_READ:
    case LINK_OP_EEPROM_WRITE:
        if (!channelOpen_)
            out = {LINK_RESULT_CHANNEL_CLOSED};
        else if (!keysOk)
            out = {LINK_RESULT_KEY_REFUSED};
        else if (request.kind == LINK_OP_EEPROM_READ && in.size() == 3)
            out.push_back(eeprom_[in[2]]);
        else if (request.kind == LINK_OP_EEPROM_WRITE && in.size() == 4)
            eeprom_[in[2]] = in[3];
        else
            out = {LINK_RESULT_BAD_REQUEST};
        break;
    case LINK_OP_STATUS: {
        const std::vector<uint8_t> status = StatusText();
        out.insert(out.end(), status.begin(), status.end());
        break;
    }
    case LINK_OP_RESET:
        return FakeAnswer{ReplyTo(request, out), true};
    default:
        out = {LINK_RESULT_UNKNOWN_OP};
    }
    return FakeAnswer{ReplyTo(request, out), false};
}

} // namespace novari_test
