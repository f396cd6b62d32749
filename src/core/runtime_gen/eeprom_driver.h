// The I2C bus and EEPROM driver of fx1n.c: bit-level bus routines on the pins SDA and SCL,
// and WrData/ReData, which keep D16 and up in an external 24Cxx EEPROM.
#pragma once

#include <string>

#include "core/config/settings.h"

namespace ladder51 {

// Appends the driver for `eeprom` (nothing for EepromChoice::None), each line as CR LF and
// the line.
void appendEepromDriver(std::string& section, EepromChoice eeprom);

}  // namespace ladder51
