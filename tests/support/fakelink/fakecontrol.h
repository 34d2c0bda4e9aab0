#pragma once

// Control exports of the scripted link libraries used by the tests. The test reaches them
// with dlsym on the very libraries TPDLLFunction loaded (see FakeLink in fakelink.h).
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*FakeChanHook)(const char *call, void *context);

// Channel library: forgets every script and record.
void FakeChanReset(void);
// The next ChanSendData answers result and leaves errorCode for ChanGetErrorCode; with
// nothing queued a send is taken (1).
void FakeChanQueueSend(uint16_t result, int16_t errorCode);
// The next status inquiry answers result and copies reply; the last one queued answers every
// further inquiry. With nothing queued the inquiry fails with 0x2000 (no reply).
void FakeChanQueueStatus(uint16_t result, int16_t errorCode, const uint8_t *reply, int length);
void FakeChanClearStatuses(void);
// Every ChanSendData call (taken or not), in order.
int FakeChanSendCount(void);
int FakeChanSendBytes(int index, uint8_t *out, int max); // returns the call's byte count
int FakeChanSendResult(int index);
int FakeChanStatusCount(void);
int FakeChanStatusBufferWasClear(void); // every inquiry got a buffer of 256 zero bytes
int FakeChanLastCommand(char *out, int max);
int FakeChanCalls(char *out, int max); // "ChanOpen ChanSendData ..." in call order
const void *FakeChanLastRecord(void);
uint8_t FakeChanEeprom(uint8_t address);
void FakeChanSetEeprom(uint8_t address, uint8_t value);
// Called after every channel export with its name.
void FakeChanSetHook(FakeChanHook hook, void *context);

// Port library.
void FakeGateReset(void);
void FakeGateSetOpenResult(uint16_t result, int16_t ioError);
uint16_t FakeGateLastPortCode(void);
int FakeGateCalls(char *out, int max);

#ifdef __cplusplus
}
#endif
