// Scripted stand-in for libchanlink.so for the shell tests (see fakeportcontrol.h): only the
// channel open matters to the selection window; everything else reports a silent printer.
#include "fakeportcontrol.h"
#include "novari_link.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
struct Chan {
    std::string calls;
    uint16_t openResult = NOVARI_OK;
};

Chan &State()
{
    static Chan chan;
    return chan;
}

void Note(const std::string &call)
{
    State().calls += call + ' ';
}
} // namespace

extern "C" {

uint16_t ChanOpen(void *)
{
    Note("open");
    return State().openResult;
}

uint16_t ChanClose(void *)
{
    Note("close");
    return NOVARI_OK;
}

uint16_t ChanSetCommandCode(uint8_t first, uint8_t second)
{
    char call[16];
    std::snprintf(call, sizeof call, "code:%02X%02X", first, second);
    Note(call);
    return NOVARI_OK;
}

uint16_t ChanSendData(const uint8_t *, int32_t, void *)
{
    return NOVARI_CHANNEL_ERROR;
}
uint16_t ChanReadEeprom(uint8_t, uint8_t *, void *)
{
    return NOVARI_CHANNEL_ERROR;
}
uint16_t ChanWriteEeprom(uint8_t, uint8_t, void *)
{
    return NOVARI_CHANNEL_ERROR;
}
int16_t ChanGetErrorCode(void)
{
    return NOVARI_CHAN_NO_REPLY;
}
uint16_t ChanFetchStatus(const char *, uint8_t *, void *)
{
    Note("status");
    return NOVARI_CHANNEL_ERROR;
}
uint16_t ChanResetPrinter(void *)
{
    return NOVARI_CHANNEL_ERROR;
}

void AppFakeChanReset(void)
{
    State() = Chan();
}

void AppFakeChanSetOpenResult(uint16_t result)
{
    State().openResult = result;
}

int AppFakeChanCalls(char *out, int max)
{
    const std::string &text = State().calls;
    if (out && max > 0) {
        const int count = std::min(static_cast<int>(text.size()), max - 1);
        std::memcpy(out, text.data(), static_cast<size_t>(count));
        out[count] = '\0';
    }
    return static_cast<int>(text.size());
}

} // extern "C"
