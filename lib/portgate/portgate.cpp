// The port library: opens a port, identifies the printer, and lends its connection to the
// channel library.
#include "connection.h"
#include "deviceid.h"
#include "gatelink.h"
#include "portresolver.h"

#pragma GCC visibility push(default)
#include "novari_link.h"
#pragma GCC visibility pop

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace novari
{
namespace
{

constexpr size_t kModelNameMax = 49; // characters; the caller's buffer holds 50 with the zero

// The one port the library holds open, and the last port I/O error.
class Gate
{
public:
    static Gate &Instance()
    {
        static Gate gate;
        return gate;
    }

    std::mutex &Mutex() { return mutex_; }
    Connection *Link() const { return connection_.get(); }
    int16_t IoError() const { return ioError_; }
    void SetIoError(int16_t error) { ioError_ = error; }

    void Close() { connection_.reset(); }

    // Says on standard error, once per process, that the port directory is the /tmp fallback,
    // and once per reason why the port directory is not used.
    void WarnAboutPortDirectory(const std::string &refusal)
    {
        if (!warnedFallback_ && link_port_directory_is_fallback()) {
            warnedFallback_ = true;
            char directory[512];
            if (link_port_directory(directory, sizeof directory))
                std::fprintf(stderr,
                             "novari link: XDG_RUNTIME_DIR is not set; virtual printers are "
                             "looked for in %s\n",
                             directory);
        }
        if (!refusal.empty() && refusal != lastRefusal_)
            std::fprintf(stderr, "novari link: %s\n", refusal.c_str());
        lastRefusal_ = refusal;
    }
    void Adopt(std::unique_ptr<Connection> connection) { connection_ = std::move(connection); }

    // One exchange on the open port; records the I/O error it stands for.
    gate_exchange Exchange(uint8_t op, const uint8_t *payload, size_t length,
                           std::vector<uint8_t> &reply)
    {
        const gate_exchange outcome = connection_
                                          ? connection_->Transact(op, payload, length, reply)
                                          : GATE_EXCHANGE_NOT_OPEN;
        ioError_ = IoErrorOf(outcome);
        return outcome;
    }

private:
    std::mutex mutex_;
    std::unique_ptr<Connection> connection_;
    int16_t ioError_ = 0;
    bool warnedFallback_ = false;
    std::string lastRefusal_;
};

enum class IdQuery { Ok, NoPort, IoFailure, NoId };

// Asks the printer for its device ID; on Ok, text holds it.
IdQuery QueryDeviceId(Gate &gate, std::vector<uint8_t> &text)
{
    if (gate.Link() == nullptr)
        return IdQuery::NoPort;
    std::vector<uint8_t> reply;
    if (gate.Exchange(LINK_OP_DEVICE_ID, nullptr, 0, reply) != GATE_EXCHANGE_OK)
        return IdQuery::IoFailure; // a reply without its result byte included
    if (reply[0] != LINK_RESULT_OK)
        return IdQuery::NoId;
    text.assign(reply.begin() + 1, reply.end());
    return IdQuery::Ok;
}

// Asks the printer for its device ID with the gate locked and, when a well-formed one comes
// back, returns what use makes of it; else why there is none.
template <typename Use> uint16_t WithDeviceId(Use use)
{
    Gate &gate = Gate::Instance();
    std::lock_guard<std::mutex> lock(gate.Mutex());
    std::vector<uint8_t> text;
    const IdQuery query = QueryDeviceId(gate, text);
    if (query != IdQuery::Ok)
        return query == IdQuery::IoFailure ? NOVARI_PORT_IO_ERROR : NOVARI_PORT_FAILURE;
    const DeviceId id(text.data(), text.size());
    if (!id.IsWellFormed())
        return NOVARI_PORT_FAILURE;
    return use(id);
}

} // namespace
} // namespace novari

using novari::Gate;

extern "C" {

uint16_t GateOpenPort(uint16_t portCode)
{
    Gate &gate = Gate::Instance();
    std::lock_guard<std::mutex> lock(gate.Mutex());
    gate.Close();
    gate.SetIoError(0);

    std::string refusal;
    const auto target = novari::ResolvePort(portCode, &refusal);
    gate.WarnAboutPortDirectory(refusal);
    if (!target) {
        gate.SetIoError(NOVARI_IO_NOT_FOUND);
        return NOVARI_PORT_IO_ERROR;
    }
    int16_t error = 0;
    auto connection = novari::Connection::Open(*target, &error);
    if (!connection) {
        gate.SetIoError(error);
        return NOVARI_PORT_IO_ERROR;
    }
    // The port counts as open once a printer answers on it; this also tells a printer that
    // serves another client from one that is ours.
    gate.Adopt(std::move(connection));
    std::vector<uint8_t> text;
    if (novari::QueryDeviceId(gate, text) == novari::IdQuery::IoFailure) {
        gate.Close();
        return NOVARI_PORT_IO_ERROR;
    }
    gate.SetIoError(0);
    return NOVARI_OK;
}

uint16_t GateClosePort(void)
{
    Gate &gate = Gate::Instance();
    std::lock_guard<std::mutex> lock(gate.Mutex());
    gate.Close();
    return NOVARI_OK;
}

uint16_t GateCheckDeviceId(void)
{
    return novari::WithDeviceId([](const novari::DeviceId &id) -> uint16_t {
        return id.IsSupportedModel() ? NOVARI_OK : NOVARI_UNSUPPORTED_MODEL;
    });
}

uint16_t GateGetIoError(int16_t *error)
{
    if (error == nullptr)
        return NOVARI_PORT_FAILURE;
    Gate &gate = Gate::Instance();
    std::lock_guard<std::mutex> lock(gate.Mutex());
    *error = gate.IoError();
    return NOVARI_OK;
}

uint16_t GateGetModelName(char *buffer)
{
    if (buffer == nullptr)
        return NOVARI_PORT_FAILURE;
    return novari::WithDeviceId([buffer](const novari::DeviceId &id) -> uint16_t {
        if (id.Model().size() > novari::kModelNameMax)
            return NOVARI_PORT_FAILURE;
        std::memcpy(buffer, id.Model().c_str(), id.Model().size() + 1);
        return NOVARI_OK;
    });
}

int novari_gate_transact(uint8_t op, const uint8_t *payload, size_t length, uint8_t *reply,
                         size_t capacity, size_t *replyLength)
{
    Gate &gate = Gate::Instance();
    std::lock_guard<std::mutex> lock(gate.Mutex());
    std::vector<uint8_t> answer;
    const gate_exchange outcome = gate.Exchange(op, payload, length, answer);
    if (outcome != GATE_EXCHANGE_OK)
        return outcome;
    if (answer.size() > capacity || reply == nullptr) {
        gate.SetIoError(NOVARI_IO_TIMEOUT); // no reply the caller can use
        return GATE_EXCHANGE_BAD_REPLY;
    }
    std::memcpy(reply, answer.data(), answer.size());
    if (replyLength != nullptr)
        *replyLength = answer.size();
    return GATE_EXCHANGE_OK;
}

} // extern "C"
