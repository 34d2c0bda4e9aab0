#pragma once

// Writes an RGB image as a PNG file with libpng.

#include <string>

#include <QImage>

namespace sim
{

class PngWriter
{
public:
    // Returns an empty text on success, else why the file could not be written.
    static std::string Write(const QImage &image, const std::string &path, int dotsPerInch = 0);
};

} // namespace sim
