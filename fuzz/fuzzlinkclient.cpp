// libFuzzer target for the link libraries' end of the link: a printer on a socket answers
// whatever the fuzzer says, and the program's calls (open the port, check the device ID,
// read the model name, open the channel, status, EEPROM, data, reset, close) must each come
// back with a code, never crash, hang or write past the buffers they were given.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "fuzzstream.h"
#include "linkframe.h"
#include "novari_link.h"

namespace
{

constexpr uint16_t kPortCode = 0x0401; // USB001
constexpr size_t kModelBufferSize = 52;
constexpr size_t kStatusSize = 256;
constexpr size_t kGuard = 16;
constexpr uint8_t kGuardByte = 0xCC;
constexpr int kAcceptWaitMs = 5000;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A port directory of our own with one listening socket, USB001, for the whole run.
class FakePort
{
public:
    FakePort()
    {
        char pattern[] = "/tmp/fuzz-link-XXXXXX";
        Check(mkdtemp(pattern) != nullptr);
        runtime_ = pattern;
        Check(setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1) == 0);
        const std::string ports = runtime_ + "/novari-ports";
        Check(mkdir(ports.c_str(), 0700) == 0);
        socketPath_ = ports + "/USB001";
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        Check(listener_ >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        Check(socketPath_.size() < sizeof address.sun_path);
        std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
        Check(bind(listener_, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0);
        Check(listen(listener_, 4) == 0);
    }
    ~FakePort()
    {
        close(listener_);
        unlink(socketPath_.c_str());
        rmdir((runtime_ + "/novari-ports").c_str());
        rmdir(runtime_.c_str());
    }
    FakePort(const FakePort &) = delete;
    FakePort &operator=(const FakePort &) = delete;

    // Plays the printer for one connection: says everything in stream at once, then stops
    // talking and listens until the client hangs up.
    void Serve(const std::vector<uint8_t> &stream) const
    {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, kAcceptWaitMs) != 1)
            return; // the client never connected
        const int peer = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            return;
        for (size_t done = 0; done < stream.size();) {
            const ssize_t sent =
                send(peer, stream.data() + done, stream.size() - done, MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                break;
            done += static_cast<size_t>(sent);
        }
        shutdown(peer, SHUT_WR);
        uint8_t scratch[4096];
        while (read(peer, scratch, sizeof scratch) > 0) {
        }
        close(peer);
    }

private:
    std::string runtime_;
    std::string socketPath_;
    int listener_ = -1;
};

// A buffer with guard bytes after the part the call may fill.
class GuardedBuffer
{
public:
    explicit GuardedBuffer(size_t size) : size_(size), bytes_(size + kGuard, 0)
    {
        std::memset(bytes_.data() + size_, kGuardByte, kGuard);
    }
    uint8_t *Data() { return bytes_.data(); }
    void CheckGuard() const
    {
        for (size_t i = size_; i < bytes_.size(); ++i)
            Check(bytes_[i] == kGuardByte);
    }

private:
    size_t size_;
    std::vector<uint8_t> bytes_;
};

void TalkToPrinter()
{
    if (GateOpenPort(kPortCode) != 1)
        return;
    GateCheckDeviceId();
    GuardedBuffer model(kModelBufferSize);
    GateGetModelName(reinterpret_cast<char *>(model.Data()));
    model.CheckGuard();
    Check(std::memchr(model.Data(), 0, kModelBufferSize) != nullptr); // always terminated

    uint8_t record[16] = {};
    ChanSetCommandCode(0x5E, 0xA7);
    ChanOpen(record);
    GuardedBuffer status(kStatusSize);
    ChanFetchStatus("@BDC ST2\r\n", status.Data(), record);
    status.CheckGuard();
    uint8_t value = 0;
    ChanReadEeprom(0x10, &value, record);
    ChanWriteEeprom(0x10, value, record);
    const uint8_t data[] = {0x1B, 0x40};
    ChanSendData(data, sizeof data, record);
    int16_t error = 0;
    GateGetIoError(&error);
    ChanGetErrorCode();
    ChanResetPrinter(record);
    ChanClose(record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const FakePort port;
    const std::vector<uint8_t> stream = fuzz::LinkStream(data, size);
    std::thread printer([&stream]() { port.Serve(stream); });
    TalkToPrinter();
    GateClosePort();
    printer.join();
    return 0;
}
