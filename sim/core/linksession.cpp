#include "linksession.h"

#include <string>

#include "capture.h"
#include "firmware.h"

namespace sim
{

namespace
{

constexpr uint8_t kKey1 = 0x5E;
constexpr uint8_t kKey2 = 0xA7;
constexpr uint8_t kInUse = 0x14;
const std::string kStatusInquiry = "@BDC ST2\r\n";

const char *OpName(uint8_t op)
{
    switch (op) {
    case LINK_OP_DEVICE_ID:
        return "device_id";
    case LINK_OP_CHANNEL_OPEN:
        return "channel_open";
    case LINK_OP_CHANNEL_CLOSE:
        return "channel_close";
    case LINK_OP_DATA:
        return "data";
    case LINK_OP_EEPROM_READ:
        return "eeprom_read";
    case LINK_OP_EEPROM_WRITE:
        return "eeprom_write";
    case LINK_OP_STATUS:
        return "status";
    case LINK_OP_RESET:
        return "reset";
    default:
        return "unknown";
    }
}

const char *ResultName(uint8_t result)
{
    switch (result) {
    case LINK_RESULT_OK:
        return "ok";
    case LINK_RESULT_CHANNEL_CLOSED:
        return "channel_closed";
    case LINK_RESULT_KEY_REFUSED:
        return "key_refused";
    case LINK_RESULT_BAD_REQUEST:
        return "bad_request";
    case LINK_RESULT_UNKNOWN_OP:
        return "unknown_op";
    case LINK_RESULT_NOT_READY:
        return "not_ready";
    case LINK_RESULT_NOT_STORED:
        return "not_stored";
    default:
        return "error";
    }
}

} // namespace

LinkSession::LinkSession(Firmware &firmware, Capture *capture, PrintDataSink &sink)
    : firmware_(firmware), capture_(capture), sink_(sink)
{
    link_decoder_reset(&decoder_);
}

LinkSession::~LinkSession() = default;

std::vector<uint8_t> LinkSession::InUseFrame()
{
    std::vector<uint8_t> out;
    AppendFrame(LINK_OP_ERROR | LINK_REPLY_BIT, 0, {kInUse}, out);
    return out;
}

void LinkSession::AppendFrame(uint8_t kind, uint8_t seq, const std::vector<uint8_t> &payload,
                              std::vector<uint8_t> &out)
{
    uint8_t frame[LINK_MAX_FRAME];
    const size_t size = link_frame_build(kind, seq, payload.data(), payload.size(), frame);
    out.insert(out.end(), frame, frame + size);
}

std::vector<uint8_t> LinkSession::Receive(const uint8_t *bytes, size_t count)
{
    std::vector<uint8_t> out;
    Consume(bytes, count, out);
    return out;
}

void LinkSession::Consume(const uint8_t *bytes, size_t count, std::vector<uint8_t> &out)
{
    for (size_t i = 0; i < count && !wantsClose_; ++i) {
        const link_decode_status status = link_decoder_feed(&decoder_, bytes[i]);
        // Only a frame, good or bad, ends a run of noise: a lone sync byte that no second
        // one follows is noise too.
        if (status != LINK_DECODE_NOISE && status != LINK_DECODE_MORE)
            noise_ = 0;
        switch (status) {
        case LINK_DECODE_FRAME:
            garbage_ = 0;
            ++frames_;
            Handle(link_decoder_kind(&decoder_), link_decoder_seq(&decoder_),
                   link_decoder_payload(&decoder_), link_decoder_length(&decoder_), out);
            break;
        case LINK_DECODE_BAD_CRC:
        case LINK_DECODE_TOO_LONG: {
            if (capture_ != nullptr)
                capture_->Event(
                    {{"op", "frame"}, {"result", "rejected"}, {"why", "bad check sum or length"}});
            if (!silent_)
                AppendFrame(LINK_OP_ERROR | LINK_REPLY_BIT, 0, {LINK_RESULT_BAD_REQUEST}, out);
            CountGarbage();
            // A frame cut short took in the start of the next one: look for it in what was
            // dropped, so that a good request after a torn one is still answered.
            std::vector<uint8_t> dropped(LINK_MAX_FRAME);
            dropped.resize(link_decoder_dropped(&decoder_, status, dropped.data()));
            Consume(dropped.data(), dropped.size(), out);
            break;
        }
        case LINK_DECODE_NOISE:
            if (++noise_ >= kNoiseRun) {
                noise_ = 0;
                CountGarbage();
            }
            break;
        case LINK_DECODE_MORE:
            break;
        }
    }
}

void LinkSession::CountGarbage()
{
    if (++garbage_ >= kGarbageLimit)
        wantsClose_ = true;
}

void LinkSession::Handle(uint8_t kind, uint8_t seq, const uint8_t *payload, size_t length,
                         std::vector<uint8_t> &out)
{
    nlohmann::json event = {{"op", OpName(kind)}};
    std::vector<uint8_t> reply;
    uint8_t result = LINK_RESULT_OK;
    const bool needsChannel = kind == LINK_OP_DATA || kind == LINK_OP_EEPROM_READ ||
                              kind == LINK_OP_EEPROM_WRITE || kind == LINK_OP_STATUS;
    if (silent_) {
        event["result"] = "unanswered";
        if (capture_ != nullptr)
            capture_->Event(event);
        return;
    }
    if (needsChannel && !channelOpen_) {
        result = LINK_RESULT_CHANNEL_CLOSED;
    } else {
        switch (kind) {
        case LINK_OP_DEVICE_ID: {
            const std::string id = firmware_.DeviceId();
            reply.assign(id.begin(), id.end());
            break;
        }
        case LINK_OP_CHANNEL_OPEN:
            channelOpen_ = true;
            break;
        case LINK_OP_CHANNEL_CLOSE:
            CloseChannel();
            break;
        case LINK_OP_DATA:
            event["count"] = length;
            result = HandleData(payload, length, event);
            break;
        case LINK_OP_EEPROM_READ:
        case LINK_OP_EEPROM_WRITE: {
            sink_.CatchUp();
            const size_t wanted = kind == LINK_OP_EEPROM_READ ? 3 : 4;
            if (length != wanted) {
                result = LINK_RESULT_BAD_REQUEST;
                break;
            }
            event["address"] = payload[2];
            if (payload[0] != kKey1 || payload[1] != kKey2) {
                result = LINK_RESULT_KEY_REFUSED;
            } else if (kind == LINK_OP_EEPROM_READ) {
                const uint8_t value = firmware_.ReadEeprom(payload[2]);
                event["value"] = value;
                reply.push_back(value);
            } else {
                event["value"] = payload[3];
                // Acknowledged only once it is stored: the program takes OK as "written".
                if (!firmware_.WriteEeprom(payload[2], payload[3]))
                    result = LINK_RESULT_NOT_STORED;
            }
            break;
        }
        case LINK_OP_STATUS:
            if (std::string(reinterpret_cast<const char *>(payload), length) != kStatusInquiry) {
                result = LINK_RESULT_BAD_REQUEST;
                break;
            }
            sink_.CatchUp();
            reply = firmware_.StatusReply();
            event["state"] = reply[14];
            break;
        case LINK_OP_RESET:
            if (channelOpen_)
                sink_.CancelJob();
            channelOpen_ = false;
            firmware_.Restart();
            wantsClose_ = true;
            break;
        default:
            event["kind"] = kind;
            result = LINK_RESULT_UNKNOWN_OP;
            break;
        }
    }
    if (capture_ != nullptr && !event.is_null()) {
        event["result"] = ResultName(result);
        capture_->Event(event);
    }
    reply.insert(reply.begin(), result);
    AppendFrame(static_cast<uint8_t>(kind | LINK_REPLY_BIT), seq, reply, out);
}

// Accepted bytes are logged before the engine sees them, so the packets it finds in them
// follow their data request in the event log.
uint8_t LinkSession::HandleData(const uint8_t *payload, size_t length, nlohmann::json &event)
{
    if (length == 0)
        return LINK_RESULT_BAD_REQUEST;
    if (!firmware_.CanTakeData() || sink_.Room() < length)
        return LINK_RESULT_NOT_READY;
    if (capture_ != nullptr) {
        event["result"] = "ok";
        capture_->Event(event);
        event = nullptr;
        capture_->Data(payload, length);
    }
    sink_.Feed(payload, length);
    return LINK_RESULT_OK;
}

void LinkSession::CloseChannel()
{
    if (channelOpen_)
        sink_.EndJob();
    channelOpen_ = false;
}

void LinkSession::Disconnected()
{
    CloseChannel();
    link_decoder_reset(&decoder_);
    noise_ = 0;
}

} // namespace sim
