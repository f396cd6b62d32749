// The two sections of fx1n.c that come from the configuration rather than from the program:
// the register header (the 8051's special function registers and bits, since the file
// includes no header) and the pin declaration section (each assigned point bound to its pin,
// and the pins of the display driver and the I2C bus).
#pragma once

#include <string>

#include "core/config/settings.h"

namespace ladder51 {

// The fixed register header: one line break, then the declarations, without a final line
// break.
std::string registerHeaderSection();

// The pin declaration section for settings that passed validation: a line break before each
// point line, the port-pin lines when a display or an EEPROM is fitted, the define lines of
// the driver pins; it always ends with a line break.
std::string pinDeclarationSection(const Settings& settings);

}  // namespace ladder51
