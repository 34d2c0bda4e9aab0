/*
 * Public interface of the Novari printer link libraries.
 *
 *   libportgate.so  - Gate...   opens a port and identifies the printer
 *   libchanlink.so  - Chan...   packet channel: data, EEPROM bytes, status, reset
 *   libbytetext.so  - hex text conversion (linked at build time)
 *
 * Every Gate/Chan call returns a 16-bit result code; 1 means success.
 * The wire protocol behind these calls is described in docs/link-protocol.md.
 */
#ifndef NOVARI_LINK_H
#define NOVARI_LINK_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define NOVARI_OK 0x0001
#define NOVARI_PORT_IO_ERROR 0x1000     /* see GateGetIoError */
#define NOVARI_UNSUPPORTED_MODEL 0x1001 /* device ID names no supported model */
#define NOVARI_PORT_FAILURE 0x1100      /* no port open, or device ID not well formed */
#define NOVARI_CHANNEL_ERROR 0x2000     /* see ChanGetErrorCode */

/* GateGetIoError codes. */
#define NOVARI_IO_NOT_FOUND (-105) /* port not found or cannot be opened */
#define NOVARI_IO_WRITE_FAILED (-104)
#define NOVARI_IO_TIMEOUT (-103)     /* no reply in time */
#define NOVARI_IO_IN_USE (-82)       /* port in use by another process */
#define NOVARI_IO_DISCONNECTED (-81) /* printer disconnected */

/* ChanGetErrorCode codes. */
#define NOVARI_CHAN_NO_ERROR 0
#define NOVARI_CHAN_NOT_OPEN 1     /* no port or channel open */
#define NOVARI_CHAN_KEY_REFUSED 2  /* EEPROM access refused: wrong key pair */
#define NOVARI_CHAN_NO_REPLY 3     /* printer did not answer in time */
#define NOVARI_CHAN_DISCONNECTED 4 /* printer went away */
#define NOVARI_CHAN_BAD_REPLY 5    /* reply frame malformed */
#define NOVARI_CHAN_REFUSED 6      /* printer refused the request as malformed */
#define NOVARI_CHAN_NOT_STORED 7   /* printer could not store the EEPROM byte */
#define NOVARI_CHAN_NOT_READY 51   /* printer cannot take data now */

/* Port library. */
uint16_t GateOpenPort(uint16_t portCode);
uint16_t GateClosePort(void);
uint16_t GateCheckDeviceId(void);
uint16_t GateGetIoError(int16_t *error);
uint16_t GateGetModelName(char *buffer); /* zeroed buffer of 50 or 52 bytes */

/* Channel library. The record is the caller's library-binding record, passed through. */
uint16_t ChanOpen(void *record);
uint16_t ChanClose(void *record);
uint16_t ChanSetCommandCode(uint8_t first, uint8_t second);
/* Sends count bytes from bytes; count must not exceed the size of the caller's buffer (the
 * library cannot know that size and reads count bytes). A negative count is refused. */
uint16_t ChanSendData(const uint8_t *bytes, int32_t count, void *record);
uint16_t ChanReadEeprom(uint8_t address, uint8_t *value, void *record);
uint16_t ChanWriteEeprom(uint8_t address, uint8_t value, void *record);
int16_t ChanGetErrorCode(void);
uint16_t ChanFetchStatus(const char *command, uint8_t *reply256, void *record);
uint16_t ChanResetPrinter(void *record);

/* Hex text library. */
int BytesToHexText(uint8_t value, char *twoChars);        /* 1 = done */
int HexTextToBytes(const char *twoChars, uint8_t *value); /* 1 = done, 0 = not two hex digits */

#ifdef __cplusplus
}
#endif

#endif
