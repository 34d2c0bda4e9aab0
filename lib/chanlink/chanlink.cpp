// The channel library: the packet channel of the printer on the port the port library holds
// open. Data, EEPROM bytes, status and reset all travel as requests on that one connection.
#include "gatelink.h"
#include "linkframe.h"

#pragma GCC visibility push(default)
#include "novari_link.h"
#pragma GCC visibility pop

#include <algorithm>
#include <cstring>
#include <mutex>

namespace novari
{
namespace
{

constexpr size_t kStatusReplyMax = 256;

// Channel state kept between calls: the key pair for EEPROM access and the last error.
class Channel
{
public:
    static Channel &Instance()
    {
        static Channel channel;
        return channel;
    }

    void SetKeys(uint8_t first, uint8_t second)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        keys_[0] = first;
        keys_[1] = second;
    }
    void Keys(uint8_t *pair)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pair[0] = keys_[0];
        pair[1] = keys_[1];
    }
    int16_t LastError()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastError_;
    }

    // Result of a call: 1 with no error, else 0x2000 with error kept for ChanGetErrorCode.
    uint16_t Finish(int16_t error)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastError_ = error;
        return error == NOVARI_CHAN_NO_ERROR ? NOVARI_OK : NOVARI_CHANNEL_ERROR;
    }

private:
    std::mutex mutex_;
    uint8_t keys_[2] = {0, 0};
    int16_t lastError_ = NOVARI_CHAN_NO_ERROR;
};

int16_t ErrorOfExchange(int outcome)
{
    switch (outcome) {
    case GATE_EXCHANGE_OK:
        return NOVARI_CHAN_NO_ERROR;
    case GATE_EXCHANGE_NOT_OPEN:
        return NOVARI_CHAN_NOT_OPEN;
    case GATE_EXCHANGE_TIMEOUT:
        return NOVARI_CHAN_NO_REPLY;
    case GATE_EXCHANGE_WRITE_FAILED:
    case GATE_EXCHANGE_DISCONNECTED:
    case GATE_EXCHANGE_IN_USE:
        return NOVARI_CHAN_DISCONNECTED;
    case GATE_EXCHANGE_REFUSED:
        return NOVARI_CHAN_REFUSED;
    default:
        return NOVARI_CHAN_BAD_REPLY;
    }
}

int16_t ErrorOfResult(uint8_t result)
{
    switch (result) {
    case LINK_RESULT_OK:
        return NOVARI_CHAN_NO_ERROR;
    case LINK_RESULT_CHANNEL_CLOSED:
        return NOVARI_CHAN_NOT_OPEN;
    case LINK_RESULT_KEY_REFUSED:
        return NOVARI_CHAN_KEY_REFUSED;
    case LINK_RESULT_BAD_REQUEST:
    case LINK_RESULT_UNKNOWN_OP:
        return NOVARI_CHAN_REFUSED;
    case LINK_RESULT_NOT_READY:
        return NOVARI_CHAN_NOT_READY;
    case LINK_RESULT_NOT_STORED:
        return NOVARI_CHAN_NOT_STORED;
    default:
        return NOVARI_CHAN_BAD_REPLY;
    }
}

// One request whose successful reply carries dataSize bytes after the result byte
// (any size up to dataMax when dataSize is negative). The reply data is copied to data.
struct Request {
    uint8_t op;
    const uint8_t *payload;
    size_t length;
    long dataSize;
    size_t dataMax;
};

int16_t Run(const Request &request, uint8_t *data, size_t *dataLength)
{
    uint8_t reply[LINK_MAX_PAYLOAD];
    size_t replyLength = 0;
    const int outcome = novari_gate_transact(request.op, request.payload, request.length, reply,
                                             sizeof reply, &replyLength);
    if (outcome != GATE_EXCHANGE_OK)
        return ErrorOfExchange(outcome);
    if (replyLength == 0)
        return NOVARI_CHAN_BAD_REPLY;
    const int16_t error = ErrorOfResult(reply[0]);
    if (error != NOVARI_CHAN_NO_ERROR)
        return error;
    const size_t got = replyLength - 1;
    const bool fits = request.dataSize >= 0 ? got == static_cast<size_t>(request.dataSize)
                                            : got <= request.dataMax;
    if (!fits)
        return NOVARI_CHAN_BAD_REPLY;
    if (got > 0)
        std::memcpy(data, reply + 1, got);
    if (dataLength != nullptr)
        *dataLength = got;
    return NOVARI_CHAN_NO_ERROR;
}

int16_t RunSimple(uint8_t op, const uint8_t *payload, size_t length)
{
    return Run(Request{op, payload, length, 0, 0}, nullptr, nullptr);
}

int16_t SendInFrames(const uint8_t *bytes, size_t count)
{
    for (size_t offset = 0; offset < count; offset += LINK_MAX_PAYLOAD) {
        const size_t piece = std::min<size_t>(LINK_MAX_PAYLOAD, count - offset);
        const int16_t error = RunSimple(LINK_OP_DATA, bytes + offset, piece);
        if (error != NOVARI_CHAN_NO_ERROR)
            return error;
    }
    return NOVARI_CHAN_NO_ERROR;
}

} // namespace
} // namespace novari

using novari::Channel;

extern "C" {

uint16_t ChanOpen(void *)
{
    return Channel::Instance().Finish(novari::RunSimple(LINK_OP_CHANNEL_OPEN, nullptr, 0));
}

uint16_t ChanClose(void *)
{
    return Channel::Instance().Finish(novari::RunSimple(LINK_OP_CHANNEL_CLOSE, nullptr, 0));
}

uint16_t ChanSetCommandCode(uint8_t first, uint8_t second)
{
    Channel::Instance().SetKeys(first, second);
    return NOVARI_OK;
}

uint16_t ChanSendData(const uint8_t *bytes, int32_t count, void *)
{
    Channel &channel = Channel::Instance();
    if (count < 0 || (count > 0 && bytes == nullptr))
        return channel.Finish(NOVARI_CHAN_REFUSED);
    return channel.Finish(novari::SendInFrames(bytes, static_cast<size_t>(count)));
}

uint16_t ChanReadEeprom(uint8_t address, uint8_t *value, void *)
{
    Channel &channel = Channel::Instance();
    if (value == nullptr)
        return channel.Finish(NOVARI_CHAN_REFUSED);
    uint8_t payload[3];
    channel.Keys(payload);
    payload[2] = address;
    uint8_t read = 0;
    const int16_t error = novari::Run(
        novari::Request{LINK_OP_EEPROM_READ, payload, sizeof payload, 1, 0}, &read, nullptr);
    if (error == NOVARI_CHAN_NO_ERROR)
        *value = read;
    return channel.Finish(error);
}

uint16_t ChanWriteEeprom(uint8_t address, uint8_t value, void *)
{
    Channel &channel = Channel::Instance();
    uint8_t payload[4];
    channel.Keys(payload);
    payload[2] = address;
    payload[3] = value;
    return channel.Finish(novari::RunSimple(LINK_OP_EEPROM_WRITE, payload, sizeof payload));
}

int16_t ChanGetErrorCode(void)
{
    return Channel::Instance().LastError();
}

uint16_t ChanFetchStatus(const char *command, uint8_t *reply256, void *)
{
    Channel &channel = Channel::Instance();
    if (command == nullptr || reply256 == nullptr)
        return channel.Finish(NOVARI_CHAN_REFUSED);
    const size_t length = strnlen(command, LINK_MAX_PAYLOAD + 1);
    if (length > LINK_MAX_PAYLOAD)
        return channel.Finish(NOVARI_CHAN_REFUSED);
    uint8_t status[novari::kStatusReplyMax];
    size_t got = 0;
    const int16_t error =
        novari::Run(novari::Request{LINK_OP_STATUS, reinterpret_cast<const uint8_t *>(command),
                                    length, -1, sizeof status},
                    status, &got);
    if (error == NOVARI_CHAN_NO_ERROR && got > 0)
        std::memcpy(reply256, status, got);
    return channel.Finish(error);
}

uint16_t ChanResetPrinter(void *)
{
    return Channel::Instance().Finish(novari::RunSimple(LINK_OP_RESET, nullptr, 0));
}

} // extern "C"
