// The chips the firmware runs on: what each offers it (internal RAM, on-chip XRAM, flash) and
// how fast it counts (clocks per machine cycle). The work directory's chip sets the limits the
// build checks the firmware against; the generated fx1n.c is the same for every chip.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/result.h"

namespace ladder51 {

// What the firmware may use of a chip: the limits a build checks and reports against.
struct MemoryLimits {
  int internalRamBytes = 256;  // data and idata, the stack included
  int xramBytes = 0;           // on-chip expanded RAM (MOVX), none on the AT89S52
  long flashBytes = 8 * 1024;  // program code

  bool operator==(const MemoryLimits&) const = default;
};

// One chip ladder51 builds for.
struct ChipProfile {
  std::string_view name;   // the setting's value: "stc89c54"
  std::string_view model;  // as printed on the part: "STC89C54RD+"
  MemoryLimits memory;
  // Oscillator clocks per machine cycle: 12 for the AT89S52, and for the STC89 parts as they
  // leave the factory (they can be set to 6).
  int clocksPerMachineCycle = 12;

  bool operator==(const ChipProfile&) const = default;
};

// Every chip, the default first.
std::span<const ChipProfile> chipProfiles();

// The chip of a new installation: the AT89S52.
const ChipProfile& defaultChip();

// The chip of that name, in any case ("STC89C54" too); an Error (BadChip) that lists the names
// otherwise.
Result<ChipProfile> chipNamed(std::string_view name);

// "at89s52, stc89c52, stc89c54, stc89c58 or stc89c516".
std::string chipNameList();

}  // namespace ladder51
