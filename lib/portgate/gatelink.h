/*
 * Private interface between the port library and the channel library.
 * The channel library talks to the printer over the connection the port library holds open;
 * this is the one internal export it uses for that. Not part of the public link interface.
 */
#ifndef NOVARI_GATELINK_H
#define NOVARI_GATELINK_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define NOVARI_GATE_INTERNAL __attribute__((visibility("default")))
#else
#define NOVARI_GATE_INTERNAL
#endif

/* How one request/reply exchange ended. */
enum gate_exchange {
    GATE_EXCHANGE_OK = 0,       /* the matching reply arrived; its payload is in reply */
    GATE_EXCHANGE_NOT_OPEN,     /* no port open */
    GATE_EXCHANGE_WRITE_FAILED, /* the request could not be written */
    GATE_EXCHANGE_TIMEOUT,      /* no matching reply within the reply time-out */
    GATE_EXCHANGE_DISCONNECTED, /* the printer hung up */
    GATE_EXCHANGE_IN_USE,       /* the printer serves another client */
    GATE_EXCHANGE_BAD_REPLY,    /* a garbled or oversized reply frame arrived */
    GATE_EXCHANGE_REFUSED       /* the printer answered with an error frame: request malformed */
};

/* Reply time-out of every exchange, in milliseconds. */
#define GATE_REPLY_TIMEOUT_MS 2000

/* Sends one request frame (operation op, the given payload) on the open port and waits for the
 * reply with the same sequence number, skipping stale replies to earlier requests. On
 * GATE_EXCHANGE_OK the reply payload (result byte first) is copied to reply and its size stored
 * in *replyLength (at least 1: a reply without its result byte, or one larger than capacity,
 * gives GATE_EXCHANGE_BAD_REPLY). Also records the port I/O error that GateGetIoError reports:
 * 0 on GATE_EXCHANGE_OK, -103 for a reply that is no use. */
NOVARI_GATE_INTERNAL int novari_gate_transact(uint8_t op, const uint8_t *payload, size_t length,
                                              uint8_t *reply, size_t capacity, size_t *replyLength);

#ifdef __cplusplus
}
#endif

#endif
