// The pin map and the options of a board: as the user writes them (in the window's fields, the
// options of `ladder51 settings` and the settings files), and as the generators and the
// simulator use them once they have passed validation.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/config/chip.h"
#include "core/config/pin_map.h"

namespace ladder51 {

// The external I2C EEPROM that holds D16 and up.
enum class EepromChoice {
  None,
  Upto24C16,  // 24C16 or smaller: block number in the device byte, one address byte
  From24C32,  // 24C32 .. 24C512: two address bytes
};

// How the firmware counts time.
enum class TimeBaseChoice {
  // As the PLC: T0..T199 in 100 ms, T200..T245 in 10 ms, M8011..M8014 with periods of 10 ms,
  // 100 ms, 1 s and 1 min, from timer 2 reloaded every 1 ms for the crystal.
  Fx,
  // The runtime's original base: 24 timer-0 interrupts of 1411 machine cycles (33.864 ms at
  // 12 MHz) for each timer unit, whatever the crystal.
  Classic,
};

// The names the settings give the time bases: "fx", "classic".
std::string_view timeBaseName(TimeBaseChoice choice);
std::optional<TimeBaseChoice> timeBaseNamed(std::string_view name);

// The settings as written, nothing checked. The defaults are those of a new installation.
struct SettingsText {
  PinMap pins;                 // point name of each pin, "" for none
  std::string filter = "3";    // input filter setting, "0" .. "10"
  std::string crystal = "12";  // crystal frequency in MHz, as typed
  bool display = false;        // a MAX7219 seven-segment driver is fitted
  std::string din, load, clk;  // its pins, written as "1.5" for P1.5
  EepromChoice eeprom = EepromChoice::None;
  std::string scl, sda;  // I2C clock and data pins of the EEPROM, written as "3.6"
  bool proteus = false;  // the source is meant for Proteus simulation rather than a chip
  std::string chip{defaultChip().name};  // the chip the firmware runs on, as chipNamed takes it
  std::string timeBase{"fx"};            // "fx" or "classic", as timeBaseNamed takes it

  bool eepromFitted() const { return eeprom != EepromChoice::None; }
  bool operator==(const SettingsText&) const = default;
};

// Settings that passed validation (see validation.h): the crystal and the filter as numbers.
struct Settings {
  PinMap pins;
  int filter = 3;            // 0 .. 10
  double crystalMHz = 12.0;  // 1 <= crystalMHz < 32768
  bool display = false;
  std::string din, load, clk;
  EepromChoice eeprom = EepromChoice::None;
  std::string scl, sda;
  bool proteus = false;
  ChipProfile chip = defaultChip();
  TimeBaseChoice timeBase = TimeBaseChoice::Fx;

  bool eepromFitted() const { return eeprom != EepromChoice::None; }
  // The timer-base threshold of the runtime: twice the crystal's whole megahertz (12 -> 24,
  // 11.0592 -> 22).
  int scanThreshold() const { return 2 * static_cast<int>(crystalMHz); }
  bool operator==(const Settings&) const = default;
};

// The texts of valid settings, as the window shows them and the settings files hold them.
SettingsText textOf(const Settings& settings);

// The numeric value of a text read by its leading decimal number (blanks skipped, optional
// sign, digits, optional fraction): "4.3" -> 4.3, "1.5x" -> 1.5, "abc" and "" -> 0.
double leadingNumber(std::string_view text);

// The crystal frequency of a text in MHz: a plain decimal number whose whole part is 1 to 32767,
// so that the runtime's threshold fits its 16-bit counters; nothing otherwise.
std::optional<double> crystalOf(std::string_view text);

}  // namespace ladder51
