#pragma once

// Control exports of the scripted link libraries used by the tests. The test reaches them
// with dlsym on the very libraries TPDLLFunction loaded (see fake::Link in fakelink.h).
//
// Both libraries record their calls by export name, in call order; the two calls that carry
// a code record it too: "GateOpenPort:0401", "ChanSetCommandCode:5EA7".
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Channel library: forgets every script and record.
void FakeChanReset(void);
// What ChanOpen answers (1 unless set).
void FakeChanSetOpenResult(uint16_t result);
// The next ChanSendData answers result and leaves errorCode for ChanGetErrorCode; with
// nothing queued a send is taken (1).
void FakeChanQueueSend(uint16_t result, int16_t errorCode);
// The next status inquiry answers result and copies reply; the last one queued answers every
// further inquiry. With nothing queued the inquiry fails with 0x2000 (no reply).
void FakeChanQueueStatus(uint16_t result, int16_t errorCode, const uint8_t *reply, int length);
// Every ChanSendData call (taken or not), in order.
int FakeChanSendCount(void);
int FakeChanSendBytes(int index, uint8_t *out, int max); // returns the call's byte count
int FakeChanSendResult(int index);
int FakeChanStatusCount(void);
int FakeChanStatusBufferWasClear(void); // every inquiry got a buffer of 256 zero bytes
int FakeChanLastCommand(char *out, int max);
int FakeChanCalls(char *out, int max); // returns the full length
const void *FakeChanLastRecord(void);
uint8_t FakeChanEeprom(uint8_t address);
void FakeChanSetEeprom(uint8_t address, uint8_t value);

// Port library: forgets every port, script and call.
void FakeGateReset(void);
// Until a port is added, every port code opens with result (ioError for GateGetIoError),
// passes the device ID check and names itself "Halden Photo Q510".
void FakeGateSetOpenResult(uint16_t result, int16_t ioError);
// A port whose open gives openResult and whose device ID check gives checkResult; a null
// modelName makes the model name query fail. Once a port is added, codes not added fail to
// open (0x1000, -105).
void FakeGateAddPort(uint16_t code, uint16_t openResult, uint16_t checkResult,
                     const char *modelName);
int FakeGateIsOpen(void); // 1 while a port is open
uint16_t FakeGateLastPortCode(void);
int FakeGateCalls(char *out, int max); // returns the full length

#ifdef __cplusplus
}
#endif
