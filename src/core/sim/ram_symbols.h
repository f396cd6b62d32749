// Where the firmware keeps the PLC's devices in internal RAM, read from the compiler's symbol
// map, so that the simulation can show M, T, C and D values as the program runs.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/settings.h"
#include "core/result.h"
#include "core/sim/simulator.h"
#include "core/sim/stimulus.h"
#include "core/sim/timeline.h"  // formatTimelineWithValues shows these watches

namespace ladder51 {

// Internal RAM addresses of the global variables of the firmware, by their C names ("m", "d").
using RamSymbols = std::map<std::string, int>;

// Reads the data and idata areas of an SDCC linker map (fx1n.map): lines "0000000A  _m  fx1n"
// below an area header "DSEG ..." or "ISEG ...".
RamSymbols parseSdccMap(std::string_view mapText);

// The linker map an SDCC build left for a work directory (DIR/sdcc/fx1n.map).
std::filesystem::path sdccMapFile(const std::filesystem::path& workDirectory);

// The watches for a list of devices such as "M5,T0,C1,D3" (commas or blanks between them):
//   M0..M79, M8000, M8002, M8011..M8014   the relay, as a bit
//   T0..T25                                the timer's contact; T0..T15 also its count ("T0 value")
//   C0..C10                                the counter's contact and its count ("C1 value")
//   D0..D15                                the data register, 16 bits
// Fails on any other name, D16 and up (kept in the EEPROM) included, or when the map lacks the
// variable that holds a device.
Result<std::vector<RamWatch>> watchesFor(std::string_view devices, const RamSymbols& symbols);

// The watches for `devices` (as watchesFor) from the linker map an SDCC build left in the work
// directory; fails when the map cannot be read.
Result<std::vector<RamWatch>> loadWatches(const std::filesystem::path& workDirectory,
                                          std::string_view devices);

// The pins of the X and Y points a settings set assigns, as the simulation drives and watches
// them.
SimPinMap simPinsOf(const Settings& settings);

}  // namespace ladder51
