#include "deviceid.h"

#include <algorithm>

namespace novari
{
namespace
{

bool IsPrintable(uint8_t byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}

bool IsBlank(const std::string &text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

} // namespace

DeviceId::DeviceId(const uint8_t *text, size_t length)
{
    if (text == nullptr || length == 0 || !std::all_of(text, text + length, IsPrintable))
        return;
    wellFormed_ = Parse(std::string(reinterpret_cast<const char *>(text), length));
    if (!wellFormed_)
        model_.clear();
}

bool DeviceId::Parse(const std::string &text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        if (!TakePair(text.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return !model_.empty();
}

bool DeviceId::TakePair(const std::string &pair)
{
    const size_t colon = pair.find(':');
    if (colon == std::string::npos || colon == 0 || IsBlank(pair.substr(0, colon)))
        return false;
    const std::string key = pair.substr(0, colon);
    if ((key == "MDL" || key == "MODEL") && model_.empty()) {
        model_ = pair.substr(colon + 1);
        return !model_.empty();
    }
    return true;
}

bool DeviceId::IsSupportedModel() const
{
    return wellFormed_ && (model_ == "Halden Photo Q510" || model_ == "Halden Photo Q530");
}

} // namespace novari
