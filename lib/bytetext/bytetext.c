#pragma GCC visibility push(default)
#include "novari_link.h"
#pragma GCC visibility pop

static int nibble_of(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int BytesToHexText(uint8_t value, char *twoChars)
{
    static const char digits[] = "0123456789ABCDEF";
    if (twoChars == 0)
        return 0;
    twoChars[0] = digits[value >> 4];
    twoChars[1] = digits[value & 0x0F];
    return 1;
}

int HexTextToBytes(const char *twoChars, uint8_t *value)
{
    if (twoChars == 0 || value == 0)
        return 0;
    const int high = nibble_of(twoChars[0]);
    if (high < 0)
        return 0;
    const int low = nibble_of(twoChars[1]);
    if (low < 0)
        return 0;
    *value = (uint8_t)((high << 4) | low);
    return 1;
}
