#pragma once

#include "resultcode.h"

#include <QString>
#include <cstdint>

// Binding to the port library (libportgate.so) and the channel library (libchanlink.so).
// Both are loaded at run time from one folder; every wrapper looks its export up by name at
// each call and gives 0xB000 when the library or the export is missing.
class TPDLLFunction
{
public:
    static constexpr uint16_t MissingExport = TPResult::MissingLibrary;

    // The record handed to the channel exports that take one, in this order.
    struct Record {
        uint32_t word = 0;
        void *chanModule = nullptr;
        void *gateModule = nullptr;
    };

    // Loads both libraries from folder (the executable's folder in the program).
    explicit TPDLLFunction(const QString &folder);
    ~TPDLLFunction();
    TPDLLFunction(const TPDLLFunction &) = delete;
    TPDLLFunction &operator=(const TPDLLFunction &) = delete;

    // True when both libraries loaded; the program stops with its start-up message otherwise.
    bool IsLoaded() const;

    // Folder of the running executable (/proc/self/exe).
    static QString ExecutableFolder();

    uint16_t GateOpenPort(uint16_t portCode); // also calls GateGetIoError and ignores it
    uint16_t GateClosePort();
    uint16_t GateCheckDeviceId();
    uint16_t GateGetIoError(int16_t *error);
    uint16_t GateGetModelName(char *buffer);

    uint16_t ChanOpen();
    uint16_t ChanClose();
    uint16_t ChanSetCommandCode(uint8_t first, uint8_t second);
    uint16_t ChanSendData(const uint8_t *bytes, int32_t count);
    uint16_t ChanReadEeprom(uint8_t address, uint8_t *value);
    uint16_t ChanWriteEeprom(uint8_t address, uint8_t value);
    int16_t ChanGetErrorCode(); // 0xB000 as a signed value when missing
    uint16_t ChanFetchStatus(const char *command, uint8_t *reply256);
    uint16_t ChanResetPrinter();

private:
    void *Lookup(void *module, const char *name) const;
    Record record_;
};
