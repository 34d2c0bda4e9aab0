#include "linkframe.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

uint16_t link_crc16(const uint8_t *bytes, size_t count)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < count; ++i) {
        crc ^= (uint16_t)(bytes[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (uint16_t)((crc << 1) ^ 0x1021) : (uint16_t)(crc << 1);
    }
    return crc;
}

size_t link_frame_build(uint8_t kind, uint8_t seq, const uint8_t *payload, size_t length,
                        uint8_t *out)
{
    if (length > LINK_MAX_PAYLOAD)
        return 0;
    out[0] = LINK_SYNC0;
    out[1] = LINK_SYNC1;
    out[2] = kind;
    out[3] = seq;
    out[4] = (uint8_t)(length & 0xFF);
    out[5] = (uint8_t)(length >> 8);
    if (length > 0)
        memcpy(out + LINK_HEADER_SIZE, payload, length);
    const uint16_t crc = link_crc16(out + 2, LINK_HEADER_SIZE - 2 + length);
    out[LINK_HEADER_SIZE + length] = (uint8_t)(crc & 0xFF);
    out[LINK_HEADER_SIZE + length + 1] = (uint8_t)(crc >> 8);
    return LINK_HEADER_SIZE + length + LINK_TRAILER_SIZE;
}

void link_decoder_reset(struct link_decoder *decoder)
{
    decoder->fill = 0;
    decoder->expected = 0;
}

enum link_decode_status link_decoder_feed(struct link_decoder *decoder, uint8_t byte)
{
    if (decoder->expected != 0 && decoder->fill == decoder->expected)
        link_decoder_reset(decoder); /* the previous frame has been handed out */

    if (decoder->fill == 0) {
        if (byte != LINK_SYNC0)
            return LINK_DECODE_NOISE;
    } else if (decoder->fill == 1 && byte != LINK_SYNC1) {
        decoder->fill = 0;
        if (byte == LINK_SYNC0) {
            decoder->frame[decoder->fill++] = byte;
            return LINK_DECODE_MORE;
        }
        return LINK_DECODE_NOISE;
    }
    decoder->frame[decoder->fill++] = byte;

    if (decoder->fill == LINK_HEADER_SIZE) {
        const size_t length = decoder->frame[4] | ((size_t)decoder->frame[5] << 8);
        if (length > LINK_MAX_PAYLOAD) {
            link_decoder_reset(decoder);
            return LINK_DECODE_TOO_LONG;
        }
        decoder->expected = LINK_HEADER_SIZE + length + LINK_TRAILER_SIZE;
    }
    if (decoder->expected == 0 || decoder->fill < decoder->expected)
        return LINK_DECODE_MORE;

    const size_t body = decoder->expected - LINK_TRAILER_SIZE;
    const uint16_t crc = link_crc16(decoder->frame + 2, body - 2);
    const uint16_t sent =
        (uint16_t)(decoder->frame[body] | ((uint16_t)decoder->frame[body + 1] << 8));
    if (crc != sent) {
        link_decoder_reset(decoder);
        return LINK_DECODE_BAD_CRC;
    }
    return LINK_DECODE_FRAME;
}

size_t link_decoder_dropped(const struct link_decoder *decoder, enum link_decode_status status,
                            uint8_t *out)
{
    size_t size;
    if (status == LINK_DECODE_TOO_LONG)
        size = LINK_HEADER_SIZE; /* only the header was in */
    else if (status == LINK_DECODE_BAD_CRC)
        size = LINK_HEADER_SIZE + link_decoder_length(decoder) + LINK_TRAILER_SIZE;
    else
        return 0;
    memcpy(out, decoder->frame + 1, size - 1);
    return size - 1;
}

uint8_t link_decoder_kind(const struct link_decoder *decoder)
{
    return decoder->frame[2];
}

uint8_t link_decoder_seq(const struct link_decoder *decoder)
{
    return decoder->frame[3];
}

size_t link_decoder_length(const struct link_decoder *decoder)
{
    return decoder->frame[4] | ((size_t)decoder->frame[5] << 8);
}

const uint8_t *link_decoder_payload(const struct link_decoder *decoder)
{
    return decoder->frame + LINK_HEADER_SIZE;
}

static int has_runtime_folder(void)
{
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    return runtime != NULL && runtime[0] == '/';
}

int link_port_directory(char *buffer, size_t size)
{
    int written;
    if (has_runtime_folder())
        written = snprintf(buffer, size, "%s/novari-ports", getenv("XDG_RUNTIME_DIR"));
    else
        written = snprintf(buffer, size, "/tmp/novari-ports-%u", (unsigned)getuid());
    return written > 0 && (size_t)written < size;
}

int link_port_directory_is_fallback(void)
{
    return !has_runtime_folder();
}

/* Writes why a folder is refused into why (when given); returns 0. */
static int refuse(char *why, size_t whySize, const char *format, ...)
{
    if (why != NULL && whySize > 0) {
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(why, whySize, format, arguments);
        va_end(arguments);
    }
    return 0;
}

int link_check_port_directory(const char *path, char *why, size_t whySize)
{
    struct stat info;
    if (lstat(path, &info) != 0)
        return refuse(why, whySize, "%s", strerror(errno));
    if (S_ISLNK(info.st_mode))
        return refuse(why, whySize, "it is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return refuse(why, whySize, "it is not a folder");
    if (info.st_uid != geteuid())
        return refuse(why, whySize, "it belongs to user %u, not to user %u", (unsigned)info.st_uid,
                      (unsigned)geteuid());
    if ((info.st_mode & 07777) != LINK_PORT_DIRECTORY_MODE)
        return refuse(why, whySize, "its mode is %04o, not %04o", (unsigned)(info.st_mode & 07777),
                      (unsigned)LINK_PORT_DIRECTORY_MODE);
    return 1;
}

int link_make_port_directory(char *buffer, size_t size, char *why, size_t whySize)
{
    if (!link_port_directory(buffer, size))
        return refuse(why, whySize, "its path is too long");
    if (mkdir(buffer, LINK_PORT_DIRECTORY_MODE) == 0) {
        /* New and ours: a strict umask must not leave it without the rights it needs. */
        if (chmod(buffer, LINK_PORT_DIRECTORY_MODE) != 0)
            return refuse(why, whySize, "cannot set its mode: %s", strerror(errno));
    } else if (errno != EEXIST) {
        return refuse(why, whySize, "cannot create it: %s", strerror(errno));
    }
    return link_check_port_directory(buffer, why, whySize);
}

static uint16_t number_after(const char *text)
{
    unsigned value = 0;
    for (int i = 0; i < 3 && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + (unsigned)(text[i] - '0');
    return (uint16_t)value;
}

uint16_t link_port_code_of_name(const char *name)
{
    const char *usb = strstr(name, "USB");
    if (usb != NULL)
        return (uint16_t)(0x0400 + number_after(usb + 3));
    const char *lpt = strstr(name, "LPT");
    if (lpt != NULL)
        return (uint16_t)(0x047F + number_after(lpt + 3));
    return 0x0503;
}
