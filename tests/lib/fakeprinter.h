#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace novari_test
{

// A private XDG_RUNTIME_DIR with its port directory; restores the variable when it goes.
class TempRuntime
{
public:
    TempRuntime();
    ~TempRuntime();
    TempRuntime(const TempRuntime &) = delete;
    TempRuntime &operator=(const TempRuntime &) = delete;

    const std::string &Path() const { return path_; }
    std::string PortDirectory() const { return path_ + "/novari-ports"; }

private:
    std::string path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// A request frame as the fake printer received it.
struct FakeRequest {
    uint8_t kind = 0;
    uint8_t seq = 0;
    std::vector<uint8_t> payload;
};

// What the fake printer does about one request: bytes to write back (any bytes, so replies can
// be garbled on purpose), then optionally hang up.
struct FakeAnswer {
    std::vector<uint8_t> bytes;
    bool hangUp = false;
};

// Frame bytes of a reply (kind = request kind | 0x80 unless given).
std::vector<uint8_t> Frame(uint8_t kind, uint8_t seq, const std::vector<uint8_t> &payload);
std::vector<uint8_t> ReplyTo(const FakeRequest &request, const std::vector<uint8_t> &payload);

// A printer played by a thread on a socket in the port directory. By default it behaves as a
// well-mannered Halden Photo Q510 (device ID, channel, EEPROM with key 5E A7, data, status,
// reset); SetHandler replaces that for the tests of odd replies.
class FakePrinter
{
public:
    using Handler = std::function<FakeAnswer(const FakeRequest &)>;

    FakePrinter(const TempRuntime &runtime, const std::string &portName);
    ~FakePrinter();
    FakePrinter(const FakePrinter &) = delete;
    FakePrinter &operator=(const FakePrinter &) = delete;

    void SetHandler(Handler handler);
    void SetDeviceId(const std::string &id);
    // The well-mannered answer to a request (what the default handler gives).
    FakeAnswer Standard(const FakeRequest &request);

    std::vector<FakeRequest> Requests() const;
    std::vector<uint8_t> Data() const;
    uint8_t Eeprom(uint8_t address) const;
    int Connections() const { return connections_; }

private:
    void Serve();
    void Talk(int client);
    FakeAnswer Answer(const FakeRequest &request);

    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    mutable std::mutex mutex_;
    Handler handler_;
    std::string deviceId_ = "MFG:NOVARI;MDL:Halden Photo Q510;CLS:PRINTER;";
    std::vector<FakeRequest> requests_;
    std::vector<uint8_t> data_;
    uint8_t eeprom_[256] = {};
    bool channelOpen_ = false;
    std::atomic<int> connections_{0};
};

} // namespace novari_test
