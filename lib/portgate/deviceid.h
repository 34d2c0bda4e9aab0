#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace novari
{

// An IEEE 1284 device ID as the printer sent it: "KEY:VALUE;" pairs of printable characters.
class DeviceId
{
public:
    // Parses the text; bytes need not be zero-terminated.
    DeviceId(const uint8_t *text, size_t length);

    // Printable, made of KEY:VALUE pairs each ended by ';' (the last ';' may be missing),
    // and naming a model (MDL or MODEL, not empty).
    bool IsWellFormed() const { return wellFormed_; }
    const std::string &Model() const { return model_; }
    // One of the models this program serves.
    bool IsSupportedModel() const;

private:
    bool Parse(const std::string &text);
    bool TakePair(const std::string &pair);

    bool wellFormed_ = false;
    std::string model_;
};

} // namespace novari
