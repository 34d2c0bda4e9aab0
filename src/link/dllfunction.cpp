#include "dllfunction.h"

#include <QFileInfo>
#include <dlfcn.h>

namespace
{
constexpr const char *ChanLibraryName = "libchanlink.so";
constexpr const char *GateLibraryName = "libportgate.so";

void *LoadLibrary(const QString &folder, const char *name)
{
    const QByteArray path = (folder + QLatin1Char('/') + QLatin1String(name)).toLocal8Bit();
    return dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
}

// Export types of the two libraries.
using GateOpenPortFn = uint16_t (*)(uint16_t);
using GateVoidFn = uint16_t (*)();
using GateGetIoErrorFn = uint16_t (*)(int16_t *);
using GateGetModelNameFn = uint16_t (*)(char *);
using ChanRecordFn = uint16_t (*)(void *);
using ChanSetCommandCodeFn = uint16_t (*)(uint8_t, uint8_t);
using ChanSendDataFn = uint16_t (*)(const uint8_t *, int32_t, void *);
using ChanReadEepromFn = uint16_t (*)(uint8_t, uint8_t *, void *);
using ChanWriteEepromFn = uint16_t (*)(uint8_t, uint8_t, void *);
using ChanGetErrorCodeFn = int16_t (*)();
using ChanFetchStatusFn = uint16_t (*)(const char *, uint8_t *, void *);
} // namespace

TPDLLFunction::TPDLLFunction(const QString &folder)
{
    record_.word = 0;
    record_.chanModule = LoadLibrary(folder, ChanLibraryName);
    record_.gateModule = LoadLibrary(folder, GateLibraryName);
}

TPDLLFunction::~TPDLLFunction()
{
    if (record_.chanModule)
        dlclose(record_.chanModule);
    if (record_.gateModule)
        dlclose(record_.gateModule);
}

bool TPDLLFunction::IsLoaded() const
{
    return record_.chanModule && record_.gateModule;
}

QString TPDLLFunction::ExecutableFolder()
{
    const QFileInfo executable(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    return executable.absolutePath();
}

void *TPDLLFunction::Lookup(void *module, const char *name) const
{
    if (!module)
        return nullptr;
    return dlsym(module, name);
}

uint16_t TPDLLFunction::GateOpenPort(uint16_t portCode)
{
    auto open = reinterpret_cast<GateOpenPortFn>(Lookup(record_.gateModule, "GateOpenPort"));
    if (!open)
        return MissingExport;
    const uint16_t result = open(portCode);
    int16_t ignored = 0;
    GateGetIoError(&ignored);
    return result;
}

uint16_t TPDLLFunction::GateClosePort()
{
    auto close = reinterpret_cast<GateVoidFn>(Lookup(record_.gateModule, "GateClosePort"));
    return close ? close() : MissingExport;
}

uint16_t TPDLLFunction::GateCheckDeviceId()
{
    auto check = reinterpret_cast<GateVoidFn>(Lookup(record_.gateModule, "GateCheckDeviceId"));
    return check ? check() : MissingExport;
}

uint16_t TPDLLFunction::GateGetIoError(int16_t *error)
{
    auto get = reinterpret_cast<GateGetIoErrorFn>(Lookup(record_.gateModule, "GateGetIoError"));
    return get ? get(error) : MissingExport;
}

uint16_t TPDLLFunction::GateGetModelName(char *buffer)
{
    auto get = reinterpret_cast<GateGetModelNameFn>(Lookup(record_.gateModule, "GateGetModelName"));
    return get ? get(buffer) : MissingExport;
}

uint16_t TPDLLFunction::ChanOpen()
{
    auto open = reinterpret_cast<ChanRecordFn>(Lookup(record_.chanModule, "ChanOpen"));
    return open ? open(&record_) : MissingExport;
}

uint16_t TPDLLFunction::ChanClose()
{
    auto close = reinterpret_cast<ChanRecordFn>(Lookup(record_.chanModule, "ChanClose"));
    return close ? close(&record_) : MissingExport;
}

uint16_t TPDLLFunction::ChanSetCommandCode(uint8_t first, uint8_t second)
{
    auto set =
        reinterpret_cast<ChanSetCommandCodeFn>(Lookup(record_.chanModule, "ChanSetCommandCode"));
    return set ? set(first, second) : MissingExport;
}

uint16_t TPDLLFunction::ChanSendData(const uint8_t *bytes, int32_t count)
{
    auto send = reinterpret_cast<ChanSendDataFn>(Lookup(record_.chanModule, "ChanSendData"));
    return send ? send(bytes, count, &record_) : MissingExport;
}

uint16_t TPDLLFunction::ChanReadEeprom(uint8_t address, uint8_t *value)
{
    auto read = reinterpret_cast<ChanReadEepromFn>(Lookup(record_.chanModule, "ChanReadEeprom"));
    return read ? read(address, value, &record_) : MissingExport;
}

uint16_t TPDLLFunction::ChanWriteEeprom(uint8_t address, uint8_t value)
{
    auto write = reinterpret_cast<ChanWriteEepromFn>(Lookup(record_.chanModule, "ChanWriteEeprom"));
    return write ? write(address, value, &record_) : MissingExport;
}

int16_t TPDLLFunction::ChanGetErrorCode()
{
    auto get = reinterpret_cast<ChanGetErrorCodeFn>(Lookup(record_.chanModule, "ChanGetErrorCode"));
    return get ? get() : static_cast<int16_t>(MissingExport);
}

uint16_t TPDLLFunction::ChanFetchStatus(const char *command, uint8_t *reply256)
{
    auto fetch = reinterpret_cast<ChanFetchStatusFn>(Lookup(record_.chanModule, "ChanFetchStatus"));
    return fetch ? fetch(command, reply256, &record_) : MissingExport;
}

uint16_t TPDLLFunction::ChanResetPrinter()
{
    auto reset = reinterpret_cast<ChanRecordFn>(Lookup(record_.chanModule, "ChanResetPrinter"));
    return reset ? reset(&record_) : MissingExport;
}
