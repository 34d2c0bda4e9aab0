#pragma once

// Control exports of the per-port scripted link libraries of the shell tests (bin/appfake).
// Each port code answers its own open, device ID and model name results.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Port library: forgets every port and call.
void AppFakeGateReset(void);
// A port whose open gives openResult and whose device ID check gives checkResult; a null
// modelName makes the model name query fail. Codes not added fail to open (0x1000, -105).
void AppFakeGateAddPort(uint16_t code, uint16_t openResult, uint16_t checkResult,
                        const char *modelName);
// 1 while a port is open.
int AppFakeGateIsOpen(void);
// "open:0401 check close ..." in call order; returns the full length.
int AppFakeGateCalls(char *out, int max);

// Channel library.
void AppFakeChanReset(void);
void AppFakeChanSetOpenResult(uint16_t result);
// "code:5EA7 open close ..." in call order; returns the full length.
int AppFakeChanCalls(char *out, int max);

#ifdef __cplusplus
}
#endif
