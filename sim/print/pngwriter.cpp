#include "pngwriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <png.h>

namespace sim
{

namespace
{

struct FileCloser {
    void operator()(FILE *file) const
    {
        if (file) {
            std::fclose(file);
        }
    }
};

class PngHandles
{
public:
    PngHandles()
    {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (png_) {
            info_ = png_create_info_struct(png_);
        }
    }
    ~PngHandles() { png_destroy_write_struct(&png_, info_ ? &info_ : nullptr); }
    PngHandles(const PngHandles &) = delete;
    PngHandles &operator=(const PngHandles &) = delete;

    bool Ok() const { return png_ && info_; }
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// Kept apart from Write so no object with a destructor lives in the frame setjmp returns to.
bool WriteRows(PngHandles &handles, FILE *file, const QImage &rgb, int dotsPerInch)
{
    if (setjmp(png_jmpbuf(handles.png_))) {
        return false;
    }
    png_init_io(handles.png_, file);
    png_set_IHDR(handles.png_, handles.info_, static_cast<png_uint_32>(rgb.width()),
                 static_cast<png_uint_32>(rgb.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(handles.png_, 3);
    if (dotsPerInch > 0) {
        const auto perMetre = static_cast<png_uint_32>(dotsPerInch * 10000 / 254);
        png_set_pHYs(handles.png_, handles.info_, perMetre, perMetre, PNG_RESOLUTION_METER);
    }
    png_write_info(handles.png_, handles.info_);
    for (int y = 0; y < rgb.height(); ++y) {
        png_write_row(handles.png_, rgb.constScanLine(y));
    }
    png_write_end(handles.png_, nullptr);
    return true;
}

} // namespace

std::string PngWriter::Write(const QImage &image, const std::string &path, int dotsPerInch)
{
    if (image.isNull()) {
        return "no image";
    }
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return path + ": " + std::strerror(errno);
    }
    PngHandles handles;
    if (!handles.Ok()) {
        return "libpng could not start";
    }
    if (!WriteRows(handles, file.get(), rgb, dotsPerInch)) {
        return path + ": libpng failed to write the image";
    }
    if (std::fflush(file.get()) != 0) {
        return path + ": " + std::strerror(errno);
    }
    return {};
}

} // namespace sim
