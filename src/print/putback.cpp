#include "putback.h"

#include "link/dllfunction.h"
#include "link/raster.h"
#include "link/resultcode.h"

void TPPutBack::Clear()
{
    values_.clear();
    outcome_ = Outcome::None;
}

void TPPutBack::Keep(uint8_t address, uint8_t byte, const QString &name)
{
    values_.push_back({address, byte, name});
}

uint16_t TPPutBack::Run(TPDLLFunction &dll, TPRaster &raster, uint16_t failure)
{
    raster.DropUnsent();
    if (failure == TPResult::PortIoError || failure == TPResult::ChannelError) {
        outcome_ = Outcome::MayHaveChanged;
        return failure;
    }
    for (const Value &value : values_) {
        const uint16_t written = dll.ChanWriteEeprom(value.address, value.byte);
        if (written != TPResult::Ok) {
            outcome_ = Outcome::MayHaveChanged;
            return written;
        }
    }
    outcome_ = Outcome::PutBack;
    return TPResult::Ok;
}
