// Scripted stand-in for libportgate.so (see fakecontrol.h): either every port answers as one
// printer, or each added port answers its own open, device ID and model name results.
#include "fakecontrol.h"
#include "faketext.h"
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

struct FakeGate {
    std::vector<Port> ports; // none: every code answers as anyPort
    Port anyPort{0, NOVARI_OK, NOVARI_OK, true, "Halden Photo Q510"};
    int16_t anyIoError = 0;
    std::string calls;
    uint16_t lastPortCode = 0;
    int open = -1; // index into ports, or 0 for anyPort; -1 while closed
    int16_t ioError = 0;
};

FakeGate &Gate()
{
    static FakeGate gate;
    return gate;
}

void Note(const std::string &call)
{
    Gate().calls += call + ' ';
}

const Port *OpenPort()
{
    const FakeGate &gate = Gate();
    if (gate.open < 0)
        return nullptr;
    return gate.ports.empty() ? &gate.anyPort : &gate.ports[static_cast<size_t>(gate.open)];
}
} // namespace

extern "C" {

uint16_t GateOpenPort(uint16_t portCode)
{
    char call[32];
    std::snprintf(call, sizeof call, "GateOpenPort:%04X", portCode);
    Note(call);
    FakeGate &gate = Gate();
    gate.lastPortCode = portCode;
    gate.open = -1;
    if (gate.ports.empty()) {
        gate.ioError = gate.anyIoError;
        if (gate.anyPort.openResult == NOVARI_OK)
            gate.open = 0;
        return gate.anyPort.openResult;
    }
    const auto port = std::find_if(gate.ports.begin(), gate.ports.end(),
                                   [portCode](const Port &p) { return p.code == portCode; });
    if (port == gate.ports.end() || port->openResult != NOVARI_OK) {
        gate.ioError = NOVARI_IO_NOT_FOUND;
        return port == gate.ports.end() ? NOVARI_PORT_IO_ERROR : port->openResult;
    }
    gate.ioError = 0;
    gate.open = static_cast<int>(port - gate.ports.begin());
    return NOVARI_OK;
}

uint16_t GateClosePort(void)
{
    Note("GateClosePort");
    Gate().open = -1;
    return NOVARI_OK;
}

uint16_t GateCheckDeviceId(void)
{
    Note("GateCheckDeviceId");
    if (Gate().ports.empty())
        return Gate().anyPort.checkResult;
    const Port *port = OpenPort();
    return port ? port->checkResult : NOVARI_PORT_FAILURE;
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
    Note("GateGetModelName");
    const Port *port = Gate().ports.empty() ? &Gate().anyPort : OpenPort();
    if (!port || !port->hasModel)
        return NOVARI_PORT_FAILURE;
    std::memcpy(buffer, port->model.c_str(), port->model.size() + 1);
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
    Gate().anyPort.openResult = result;
    Gate().anyIoError = ioError;
}

void FakeGateAddPort(uint16_t code, uint16_t openResult, uint16_t checkResult,
                     const char *modelName)
{
    Gate().open = -1; // else an open any-port would become the first added one
    Gate().ports.push_back(
        {code, openResult, checkResult, modelName != nullptr, modelName ? modelName : ""});
}

int FakeGateIsOpen(void)
{
    return Gate().open >= 0 ? 1 : 0;
}

uint16_t FakeGateLastPortCode(void)
{
    return Gate().lastPortCode;
}

int FakeGateCalls(char *out, int max)
{
    return FakeCopyText(Gate().calls, out, max);
}

} // extern "C"
