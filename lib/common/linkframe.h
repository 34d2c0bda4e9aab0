/*
 * Link protocol framing, shared by the link libraries and the virtual printer.
 * Nothing here knows what a request means; it only builds, checks and splits frames,
 * and names the port directory. See docs/link-protocol.md.
 *
 * Frame:  A5 5A  kind  seq  lenL lenH  payload[len]  crcL crcH
 *   kind  request operation (LINK_OP_...), or operation | 0x80 for its reply
 *   seq   chosen by the requester, echoed in the reply
 *   crc   CRC-16/CCITT-FALSE over kind, seq, length and payload
 */
#ifndef NOVARI_LINKFRAME_H
#define NOVARI_LINKFRAME_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LINK_SYNC0 0xA5
#define LINK_SYNC1 0x5A
#define LINK_HEADER_SIZE 6
#define LINK_TRAILER_SIZE 2
#define LINK_MAX_PAYLOAD 1024
#define LINK_MAX_FRAME (LINK_HEADER_SIZE + LINK_MAX_PAYLOAD + LINK_TRAILER_SIZE)
#define LINK_REPLY_BIT 0x80

/* Request operations. */
enum link_op {
    LINK_OP_DEVICE_ID = 0x01,     /* -> result, IEEE 1284 device ID text */
    LINK_OP_CHANNEL_OPEN = 0x02,  /* -> result */
    LINK_OP_CHANNEL_CLOSE = 0x03, /* -> result */
    LINK_OP_DATA = 0x04,          /* data bytes -> result */
    LINK_OP_EEPROM_READ = 0x05,   /* key1 key2 address -> result, value */
    LINK_OP_EEPROM_WRITE = 0x06,  /* key1 key2 address value -> result */
    LINK_OP_STATUS = 0x07,        /* inquiry text -> result, status reply (at most 256 bytes) */
    LINK_OP_RESET = 0x08,         /* -> result */
    LINK_OP_ERROR = 0x7F          /* reply only (kind 0xFF): the request frame was malformed */
};

/* First payload byte of every reply. */
enum link_result {
    LINK_RESULT_OK = 0x00,
    LINK_RESULT_CHANNEL_CLOSED = 0x10, /* data, EEPROM or status without an open channel */
    LINK_RESULT_KEY_REFUSED = 0x11,    /* EEPROM request with the wrong key pair */
    LINK_RESULT_BAD_REQUEST = 0x12,    /* payload of the wrong length or content */
    LINK_RESULT_UNKNOWN_OP = 0x13,
    LINK_RESULT_NOT_STORED = 0x15, /* EEPROM write that the printer could not store */
    LINK_RESULT_NOT_READY = 51     /* the printer cannot take data now */
};

/* Builds a frame into out (at least LINK_MAX_FRAME bytes). Returns its size, or 0 when the
 * payload is too long. */
size_t link_frame_build(uint8_t kind, uint8_t seq, const uint8_t *payload, size_t length,
                        uint8_t *out);

uint16_t link_crc16(const uint8_t *bytes, size_t count);

/* Incremental frame decoder for a byte stream. */
enum link_decode_status {
    LINK_DECODE_MORE = 0,     /* byte taken, frame not complete */
    LINK_DECODE_FRAME = 1,    /* a whole, valid frame is in the decoder */
    LINK_DECODE_BAD_CRC = 2,  /* a frame ended with the wrong check sum; it is dropped */
    LINK_DECODE_TOO_LONG = 3, /* the header declared more than LINK_MAX_PAYLOAD; dropped */
    LINK_DECODE_NOISE = 4     /* byte outside a frame, skipped while looking for A5 5A */
};

struct link_decoder {
    uint8_t frame[LINK_MAX_FRAME];
    size_t fill;
    size_t expected; /* whole frame size once the header is in, else 0 */
};

void link_decoder_reset(struct link_decoder *decoder);
/* Feeds one byte. After LINK_DECODE_FRAME the frame is readable until the next feed. */
enum link_decode_status link_decoder_feed(struct link_decoder *decoder, uint8_t byte);
/* After LINK_DECODE_BAD_CRC or LINK_DECODE_TOO_LONG (status): copies the bytes the decoder
 * dropped, less the sync byte they started with, to out (at least LINK_MAX_FRAME bytes) and
 * returns their count. A frame cut short swallows the start of the next one, so a receiver
 * feeds these bytes again before the ones that follow. Valid until the next feed. */
size_t link_decoder_dropped(const struct link_decoder *decoder, enum link_decode_status status,
                            uint8_t *out);
uint8_t link_decoder_kind(const struct link_decoder *decoder);
uint8_t link_decoder_seq(const struct link_decoder *decoder);
size_t link_decoder_length(const struct link_decoder *decoder);
const uint8_t *link_decoder_payload(const struct link_decoder *decoder);

/* Port directory: $XDG_RUNTIME_DIR/novari-ports, else /tmp/novari-ports-<uid>.
 * Writes the path into buffer; returns 0 when it does not fit. Does not create it. */
int link_port_directory(char *buffer, size_t size);
/* 1 when XDG_RUNTIME_DIR names no folder and the port directory is the /tmp fallback. */
int link_port_directory_is_fallback(void);

/* The only mode a port directory may have: nobody but its owner may place or reach a socket. */
#define LINK_PORT_DIRECTORY_MODE 0700
/* Checks that path can be trusted as the port directory: a real folder (not a symbolic link),
 * owned by this user, mode LINK_PORT_DIRECTORY_MODE. Returns 1 when it is; else 0, and why it
 * is not (one short clause, no path) in why when why is not NULL. */
int link_check_port_directory(const char *path, char *why, size_t whySize);
/* Creates the port directory (mode 0700) if it is missing and checks it as above; writes its
 * path into buffer. Returns 1 when it can be used; else 0, and why not in why. */
int link_make_port_directory(char *buffer, size_t size, char *why, size_t whySize);
/* Port code of a port name: 0x0400 + n after the first "USB", else 0x047F + n after the
 * first "LPT" (n: up to three decimal digits; none gives 0), else 0x0503. */
uint16_t link_port_code_of_name(const char *name);

#ifdef __cplusplus
}
#endif

#endif
