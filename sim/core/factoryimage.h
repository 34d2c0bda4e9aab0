#pragma once

#include "eepromstore.h"
#include "printermodel.h"

namespace sim
{

// The EEPROM contents of a printer as it leaves the factory (see factoryimage.cpp).
EepromImage FactoryImage(Model model, Destination destination);

} // namespace sim
