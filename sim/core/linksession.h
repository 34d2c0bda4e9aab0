#pragma once

// The printer's end of the link protocol for one connected client: splits the byte stream
// into frames, answers each request and says when the connection is to be closed. No
// sockets here; the server feeds bytes in and writes the answers out.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "linkframe.h"
#include "printdatasink.h"

namespace sim
{

class Capture;
class Firmware;

class LinkSession
{
public:
    // After this many malformed frames in a row the printer hangs up.
    static constexpr int kGarbageLimit = 64;
    // Bytes of noise in a row (no frame start among them) that count as one malformed frame.
    static constexpr int kNoiseRun = LINK_MAX_FRAME;

    // Accepted data-channel bytes go to sink (the print engine), which outlives the session.
    LinkSession(Firmware &firmware, Capture *capture, PrintDataSink &sink);
    ~LinkSession();
    LinkSession(const LinkSession &) = delete;
    LinkSession &operator=(const LinkSession &) = delete;

    // Bytes from the client; returns the bytes to send back.
    std::vector<uint8_t> Receive(const uint8_t *bytes, size_t count);
    // True once the connection should be closed (after a reset, or too much garbage).
    bool WantsClose() const { return wantsClose_; }
    // A silent printer takes requests and never answers.
    void SetSilent(bool silent) { silent_ = silent; }
    // The client went away: the channel closes and the job ends.
    void Disconnected();
    bool ChannelOpen() const { return channelOpen_; }
    // Well-formed frames taken so far (answered or not).
    uint64_t Frames() const { return frames_; }

    // The answer to a connection while another client holds the printer.
    static std::vector<uint8_t> InUseFrame();

private:
    void Consume(const uint8_t *bytes, size_t count, std::vector<uint8_t> &out);
    void CountGarbage();
    void Handle(uint8_t kind, uint8_t seq, const uint8_t *payload, size_t length,
                std::vector<uint8_t> &out);
    uint8_t HandleData(const uint8_t *payload, size_t length, nlohmann::json &event);
    void CloseChannel();
    static void AppendFrame(uint8_t kind, uint8_t seq, const std::vector<uint8_t> &payload,
                            std::vector<uint8_t> &out);

    Firmware &firmware_;
    Capture *capture_;
    PrintDataSink &sink_;
    link_decoder decoder_{};
    bool channelOpen_ = false;
    bool silent_ = false;
    bool wantsClose_ = false;
    int garbage_ = 0;
    int noise_ = 0;
    uint64_t frames_ = 0;
};

} // namespace sim
