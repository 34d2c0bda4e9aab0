// Scripted stand-in for libchanlink.so. Tests load it exactly as the program loads the real
// library and steer it through the FakeChan... control exports (see fakecontrol.h).
#include "fakecontrol.h"
#include "faketext.h"
#include "novari_link.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace
{
struct ScriptedSend {
    uint16_t result;
    int16_t errorCode;
};

struct ScriptedStatus {
    uint16_t result;
    int16_t errorCode;
    std::vector<uint8_t> reply;
};

struct SendAttempt {
    std::vector<uint8_t> bytes;
    uint16_t result;
};

struct FakeChannel {
    uint16_t openResult = NOVARI_OK;
    std::deque<ScriptedSend> sends;
    std::deque<ScriptedStatus> statuses; // the last one stays for every further inquiry
    std::vector<SendAttempt> attempts;
    std::string calls;
    std::string lastCommand;
    const void *lastRecord = nullptr;
    int16_t errorCode = 0;
    int statusCount = 0;
    bool statusBufferWasClear = true;
    uint8_t eeprom[256] = {};
};

FakeChannel &Channel()
{
    static FakeChannel channel;
    return channel;
}

void Note(const std::string &call, const void *record)
{
    FakeChannel &channel = Channel();
    channel.calls += call + ' ';
    if (record)
        channel.lastRecord = record;
}
} // namespace

extern "C" {

uint16_t ChanOpen(void *record)
{
    Note("ChanOpen", record);
    return Channel().openResult;
}

uint16_t ChanClose(void *record)
{
    Note("ChanClose", record);
    return NOVARI_OK;
}

uint16_t ChanSetCommandCode(uint8_t first, uint8_t second)
{
    char call[32];
    std::snprintf(call, sizeof call, "ChanSetCommandCode:%02X%02X", first, second);
    Note(call, nullptr);
    return NOVARI_OK;
}

#ifndef FAKE_WITHOUT_SEND
uint16_t ChanSendData(const uint8_t *bytes, int32_t count, void *record)
{
    FakeChannel &channel = Channel();
    ScriptedSend answer{NOVARI_OK, 0};
    if (!channel.sends.empty()) {
        answer = channel.sends.front();
        channel.sends.pop_front();
    }
    SendAttempt attempt;
    if (count > 0)
        attempt.bytes.assign(bytes, bytes + count);
    attempt.result = answer.result;
    channel.attempts.push_back(std::move(attempt));
    channel.errorCode = answer.errorCode;
    Note("ChanSendData", record);
    return answer.result;
}

int16_t ChanGetErrorCode(void)
{
    Note("ChanGetErrorCode", nullptr);
    return Channel().errorCode;
}
#endif

uint16_t ChanReadEeprom(uint8_t address, uint8_t *value, void *record)
{
    *value = Channel().eeprom[address];
    Note("ChanReadEeprom", record);
    return NOVARI_OK;
}

uint16_t ChanWriteEeprom(uint8_t address, uint8_t value, void *record)
{
    Channel().eeprom[address] = value;
    Note("ChanWriteEeprom", record);
    return NOVARI_OK;
}

uint16_t ChanFetchStatus(const char *command, uint8_t *reply256, void *record)
{
    FakeChannel &channel = Channel();
    channel.lastCommand = command ? command : "";
    channel.statusBufferWasClear =
        channel.statusBufferWasClear &&
        std::all_of(reply256, reply256 + 256, [](uint8_t byte) { return byte == 0; });
    ++channel.statusCount;
    Note("ChanFetchStatus", record);
    if (channel.statuses.empty()) {
        channel.errorCode = NOVARI_CHAN_NO_REPLY;
        return NOVARI_CHANNEL_ERROR;
    }
    const ScriptedStatus status = channel.statuses.front();
    if (channel.statuses.size() > 1)
        channel.statuses.pop_front();
    channel.errorCode = status.errorCode;
    if (status.result == NOVARI_OK)
        std::memcpy(reply256, status.reply.data(), std::min<size_t>(status.reply.size(), 256));
    return status.result;
}

uint16_t ChanResetPrinter(void *record)
{
    Note("ChanResetPrinter", record);
    return NOVARI_OK;
}

// Control exports.

void FakeChanReset(void)
{
    Channel() = FakeChannel();
}

void FakeChanSetOpenResult(uint16_t result)
{
    Channel().openResult = result;
}

void FakeChanQueueSend(uint16_t result, int16_t errorCode)
{
    Channel().sends.push_back({result, errorCode});
}

void FakeChanQueueStatus(uint16_t result, int16_t errorCode, const uint8_t *reply, int length)
{
    ScriptedStatus status{result, errorCode, {}};
    if (reply && length > 0)
        status.reply.assign(reply, reply + length);
    Channel().statuses.push_back(std::move(status));
}

int FakeChanSendCount(void)
{
    return static_cast<int>(Channel().attempts.size());
}

int FakeChanSendBytes(int index, uint8_t *out, int max)
{
    const std::vector<SendAttempt> &attempts = Channel().attempts;
    if (index < 0 || index >= static_cast<int>(attempts.size()))
        return -1;
    const std::vector<uint8_t> &bytes = attempts[static_cast<size_t>(index)].bytes;
    const int count = std::min(static_cast<int>(bytes.size()), max);
    if (count > 0)
        std::memcpy(out, bytes.data(), static_cast<size_t>(count));
    return static_cast<int>(bytes.size());
}

int FakeChanSendResult(int index)
{
    const std::vector<SendAttempt> &attempts = Channel().attempts;
    if (index < 0 || index >= static_cast<int>(attempts.size()))
        return -1;
    return attempts[static_cast<size_t>(index)].result;
}

int FakeChanStatusCount(void)
{
    return Channel().statusCount;
}

int FakeChanStatusBufferWasClear(void)
{
    return Channel().statusBufferWasClear ? 1 : 0;
}

int FakeChanLastCommand(char *out, int max)
{
    return FakeCopyText(Channel().lastCommand, out, max);
}

int FakeChanCalls(char *out, int max)
{
    return FakeCopyText(Channel().calls, out, max);
}

const void *FakeChanLastRecord(void)
{
    return Channel().lastRecord;
}

uint8_t FakeChanEeprom(uint8_t address)
{
    return Channel().eeprom[address];
}

void FakeChanSetEeprom(uint8_t address, uint8_t value)
{
    Channel().eeprom[address] = value;
}

} // extern "C"
