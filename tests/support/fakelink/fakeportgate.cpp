// Scripted stand-in for libportgate.so (see fakecontrol.h).
#include "fakecontrol.h"
#include "novari_link.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{
struct FakeGate {
    std::string calls;
    uint16_t lastPortCode = 0;
    uint16_t openResult = NOVARI_OK;
    int16_t ioError = 0;
};

FakeGate &Gate()
{
    static FakeGate gate;
    return gate;
}

void Note(const char *call)
{
    Gate().calls += call;
    Gate().calls += ' ';
}
} // namespace

extern "C" {

uint16_t GateOpenPort(uint16_t portCode)
{
    Gate().lastPortCode = portCode;
    Note("GateOpenPort");
    return Gate().openResult;
}

uint16_t GateClosePort(void)
{
    Note("GateClosePort");
    return NOVARI_OK;
}

uint16_t GateCheckDeviceId(void)
{
    Note("GateCheckDeviceId");
    return NOVARI_OK;
}

uint16_t GateGetIoError(int16_t *error)
{
    *error = Gate().ioError;
    Note("GateGetIoError");
    return NOVARI_OK;
}

#ifndef FAKE_WITHOUT_MODEL_NAME
uint16_t GateGetModelName(char *buffer)
{
    std::strcpy(buffer, "Halden Photo Q510");
    Note("GateGetModelName");
    return NOVARI_OK;
}
#endif

// Control exports.

void FakeGateReset(void)
{
    Gate() = FakeGate();
}

void FakeGateSetOpenResult(uint16_t result, int16_t ioError)
{
    Gate().openResult = result;
    Gate().ioError = ioError;
}

uint16_t FakeGateLastPortCode(void)
{
    return Gate().lastPortCode;
}

int FakeGateCalls(char *out, int max)
{
    const std::string &text = Gate().calls;
    if (max <= 0)
        return static_cast<int>(text.size());
    const int count = std::min(static_cast<int>(text.size()), max - 1);
    std::memcpy(out, text.data(), static_cast<size_t>(count));
    out[count] = '\0';
    return static_cast<int>(text.size());
}

} // extern "C"
