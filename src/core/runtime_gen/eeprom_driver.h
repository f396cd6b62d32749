// The I2C bus and EEPROM driver of fx1n.c: bit-level bus routines on the pins SDA and SCL,
// and WrData/ReData, which keep D16 and up in an external 24Cxx EEPROM.
#pragma once

#include "core/config/settings.h"
#include "core/text/code_writer.h"

namespace ladder51 {

// Writes the driver for `eeprom` (nothing for EepromChoice::None).
void writeEepromDriver(CodeWriter& out, EepromChoice eeprom);

}  // namespace ladder51
