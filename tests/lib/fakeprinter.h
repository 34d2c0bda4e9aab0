#pragma once

#include "linkframe.h"
#include "novari_link.h"
#include "runtimedir.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace novari_test
{

// <runtime>/novari-ports of a test's private XDG_RUNTIME_DIR (created, mode 0700).
inline std::string PortDirectoryOf(const RuntimeDir &runtime)
{
    return runtime.PortDirectory().toStdString();
}

struct FakeRequest {
    uint8_t kind = 0;
    uint8_t seq = 0;
    std::vector<uint8_t> payload;
};

// Raw bytes to write back (so replies can be garbled on purpose), then maybe hang up. A
// printer that will not stop talking then sends stream again and again, as fast as the client
// takes it, until the next request or kStreamFor has passed.
struct FakeAnswer {
    FakeAnswer(std::vector<uint8_t> reply = {}, bool hangUpAfter = false)
        : bytes(std::move(reply)), hangUp(hangUpAfter)
    {
    }
    static FakeAnswer Endless(std::vector<uint8_t> stream)
    {
        FakeAnswer answer;
        answer.stream = std::move(stream);
        return answer;
    }

    std::vector<uint8_t> bytes;
    bool hangUp = false;
    std::vector<uint8_t> stream;
};
constexpr std::chrono::seconds kStreamFor{12};

std::vector<uint8_t> Frame(uint8_t kind, uint8_t seq, const std::vector<uint8_t> &payload);
std::vector<uint8_t> ReplyTo(const FakeRequest &request, const std::vector<uint8_t> &payload);

// A printer played by a thread on a socket in the port directory, one client at a time. The
// polite answer: result OK, the device ID, address ^ 0x5A for an EEPROM read, a status reply,
// and a hang-up after a reset. SetHandler scripts anything else.
class FakePrinter
{
public:
    using Handler = std::function<FakeAnswer(const FakeRequest &)>;

    FakePrinter(const RuntimeDir &runtime, const std::string &portName);
    ~FakePrinter();

    void SetHandler(Handler handler);
    void SetDeviceId(const std::string &id);
    FakeAnswer Polite(const FakeRequest &request) const;
    std::vector<FakeRequest> Requests(uint8_t kind) const;
    int Connections() const { return connections_; }

private:
    using Clock = std::chrono::steady_clock;

    void Serve();
    bool Talk(int client, const uint8_t *bytes, size_t count);
    bool KeepTalking(int client) const;
    bool Streaming() const { return !stream_.empty() && Clock::now() < streamEnd_; }

    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    mutable std::mutex mutex_;
    Handler handler_;
    std::string deviceId_ = "MFG:NOVARI;MDL:Halden Photo Q510;CLS:PRINTER;";
    std::vector<FakeRequest> requests_;
    std::atomic<int> connections_{0};
    // Used by the serving thread only.
    link_decoder decoder_{};
    std::vector<uint8_t> stream_;
    Clock::time_point streamEnd_;
};

// Each test gets its own port directory and the program's key pair; the port is closed after.
class LinkTest : public ::testing::Test
{
protected:
    void SetUp() override { ChanSetCommandCode(0x5E, 0xA7); }
    void TearDown() override { GateClosePort(); }

    static int16_t IoError()
    {
        int16_t error = 0;
        GateGetIoError(&error);
        return error;
    }
    template <typename Call> static double Seconds(Call call)
    {
        const auto start = std::chrono::steady_clock::now();
        call();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    RuntimeDir runtime_;
};

} // namespace novari_test
