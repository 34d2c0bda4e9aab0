// libFuzzer target for the page reader's image entry point: whatever bytes a file holds, the
// load gives an image or a reason, and reading any pattern from it ends with proposals or a
// reason, never outside the image's pixels.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "scan/pagereader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TPScan::ReadFailure why = TPScan::ReadFailure::None;
    const QImage image = TPScan::TPPageReader::LoadImageData(bytes, &why);
    if (image.isNull() != (why != TPScan::ReadFailure::None))
        std::abort(); // an image comes with no reason, no image with one
    if (image.isNull())
        return 0;
    TPScan::TPPageReader reader(image);
    for (const TPScan::PageReading &reading :
         {reader.ReadHeadAngular(),
          reader.ReadBid({{QStringLiteral("VSD1 Black"), 5}, {QStringLiteral("VSD1 Color"), 4}}),
          reader.ReadFirstDot(-4), reader.ReadTopMargin(2), reader.ReadPwSensor()}) {
        if (!reading.Found() && !reading.items.empty())
            std::abort(); // a page not read proposes nothing
    }
    return 0;
}
