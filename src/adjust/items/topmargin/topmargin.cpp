#include "topmargin.h"

#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/raster.h"
#include "link/remotecomm.h"
#include "link/resultcode.h"
#include "print/marginpatterns.h"

TPTopMargin::TPTopMargin(TPDLLFunction &dll, TPFactory &factory, TPRemoteComm &remote,
                         TPRaster &raster)
    : dll_(dll), factory_(factory), remote_(remote), raster_(raster)
{
}

uint16_t TPTopMargin::Print()
{
    uint16_t code = remote_.SendPaperSettings(PaperSettingsBlock);
    if (code == TPResult::Ok)
        code = TopMarginPattern(raster_);
    if (code == TPResult::Ok)
        code = raster_.EndPage();
    return code;
}

uint16_t TPTopMargin::Write(int value)
{
    const uint16_t code = dll_.ChanWriteEeprom(Address, static_cast<uint8_t>(value));
    if (code != TPResult::Ok)
        return code;
    return factory_.FactoryCommand50();
}
