// Per-port scripted stand-in for libportgate.so (see fakeportcontrol.h).
#include "fakeportcontrol.h"
#include "novari_link.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct Port {
    uint16_t code;
    uint16_t openResult;
    uint16_t checkResult;
    bool hasModel;
    std::string model;
};

struct Gate {
    std::vector<Port> ports;
    std::string calls;
    const Port *open = nullptr;
    int16_t ioError = 0;
};

Gate &State()
{
    static Gate gate;
    return gate;
}

void Note(const std::string &call)
{
    State().calls += call + ' ';
}

int CopyText(const std::string &text, char *out, int max)
{
    if (out && max > 0) {
        const int count = std::min(static_cast<int>(text.size()), max - 1);
        std::memcpy(out, text.data(), static_cast<size_t>(count));
        out[count] = '\0';
    }
    return static_cast<int>(text.size());
}
} // namespace

extern "C" {

uint16_t GateOpenPort(uint16_t portCode)
{
    char call[16];
    std::snprintf(call, sizeof call, "open:%04X", portCode);
    Note(call);
    Gate &gate = State();
    const auto port = std::find_if(gate.ports.begin(), gate.ports.end(),
                                   [portCode](const Port &p) { return p.code == portCode; });
    if (port == gate.ports.end()) {
        gate.ioError = NOVARI_IO_NOT_FOUND;
        return NOVARI_PORT_IO_ERROR;
    }
    if (port->openResult != NOVARI_OK) {
        gate.ioError = NOVARI_IO_NOT_FOUND;
        return port->openResult;
    }
    gate.ioError = 0;
    gate.open = &*port;
    return NOVARI_OK;
}

uint16_t GateClosePort(void)
{
    Note("close");
    State().open = nullptr;
    return NOVARI_OK;
}

uint16_t GateCheckDeviceId(void)
{
    Note("check");
    return State().open ? State().open->checkResult : NOVARI_PORT_FAILURE;
}

uint16_t GateGetIoError(int16_t *error)
{
    *error = State().ioError;
    return NOVARI_OK;
}

uint16_t GateGetModelName(char *buffer)
{
    Note("model");
    const Port *port = State().open;
    if (!port || !port->hasModel)
        return NOVARI_PORT_FAILURE;
    std::memcpy(buffer, port->model.c_str(), port->model.size() + 1);
    return NOVARI_OK;
}

void AppFakeGateReset(void)
{
    State() = Gate();
}

void AppFakeGateAddPort(uint16_t code, uint16_t openResult, uint16_t checkResult,
                        const char *modelName)
{
    State().open = nullptr; // the vector may move
    State().ports.push_back(
        {code, openResult, checkResult, modelName != nullptr, modelName ? modelName : ""});
}

int AppFakeGateIsOpen(void)
{
    return State().open != nullptr;
}

int AppFakeGateCalls(char *out, int max)
{
    return CopyText(State().calls, out, max);
}

} // extern "C"
