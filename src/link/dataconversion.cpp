#include "dataconversion.h"

namespace
{
// Value of one upper-case hexadecimal digit, or -1.
int NibbleOf(QChar character)
{
    const char16_t c = character.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}
} // namespace

bool TPDataConversion::HexPairToByte(const QString &text, uint8_t *value)
{
    if (text.size() != 2)
        return false;
    const int high = NibbleOf(text.at(0));
    const int low = NibbleOf(text.at(1));
    if (high < 0 || low < 0)
        return false;
    *value = static_cast<uint8_t>(high << 4 | low);
    return true;
}
