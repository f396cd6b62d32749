// The pin map and the options of a board, as the user sets them and the settings files keep
// them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/config/pin_map.h"

namespace ladder51 {

// The external I2C EEPROM that holds D16 and up.
enum class EepromChoice {
  None,
  Upto24C16,  // 24C16 or smaller: block number in the device byte, one address byte
  From24C32,  // 24C32 .. 24C512: two address bytes
};

// Everything the user can set. The defaults are those of a new installation.
struct Settings {
  PinMap pins;                 // point name of each pin, "" for none
  std::string filter = "3";    // input filter setting, "0" .. "10"
  std::string crystal = "12";  // crystal frequency in MHz, as typed
  bool display = false;        // a MAX7219 seven-segment driver is fitted
  std::string din, load, clk;  // its pins, written as "1.5" for P1.5
  EepromChoice eeprom = EepromChoice::None;
  std::string scl, sda;  // I2C clock and data pins of the EEPROM, written as "3.6"
  bool proteus = false;  // the source is meant for Proteus simulation rather than a chip

  bool eepromFitted() const { return eeprom != EepromChoice::None; }
  bool operator==(const Settings&) const = default;
};

// The numeric value of a text read by its leading decimal number (blanks skipped, optional
// sign, digits, optional fraction): "4.3" -> 4.3, "1.5x" -> 1.5, "abc" and "" -> 0.
double leadingNumber(std::string_view text);

// The timer-base threshold of a crystal text: twice the integral part of its value in MHz
// ("12" -> 24, "11.0592" -> 22). Nothing unless the text is a plain decimal number whose
// integral part is 1 to 32767, so that the threshold is positive and fits the runtime's
// 16-bit counters.
std::optional<int> scanThreshold(std::string_view crystal);

}  // namespace ladder51
