#include "firstdot.h"

#include "link/factory.h"
#include "link/raster.h"
#include "link/resultcode.h"
#include "print/marginpatterns.h"

TPFirstDot::TPFirstDot(TPFactory &factory, TPRaster &raster) : factory_(factory), raster_(raster) {}

uint16_t TPFirstDot::Print()
{
    return FirstDotPattern(raster_);
}

uint16_t TPFirstDot::Write(int value)
{
    const uint16_t code = factory_.FactoryCommand06(static_cast<uint8_t>(value));
    if (code != TPResult::Ok)
        return code;
    return factory_.FactoryCommand50();
}

uint16_t TPFirstDot::PaperFeed()
{
    const uint16_t code = raster_.NewLines(PaperFeedLines);
    if (code != TPResult::Ok)
        return code;
    return raster_.Flush();
}
