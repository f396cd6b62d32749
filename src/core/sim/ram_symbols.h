// Where the firmware keeps the PLC's devices in the chip's RAM, read from the compiler's symbol
// map, so that the simulation can show M, S, T, C, D, V and Z values as the program runs.
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
#include "core/translator/translator.h"

namespace ladder51 {

// A global variable of the firmware: where it lies and the bytes it may take, up to the next
// variable of its area or the area's end.
struct RamSymbol {
  int address = 0;
  int bytes = 0;
  RamMemory memory = RamMemory::Internal;

  bool operator==(const RamSymbol&) const = default;
};

// The firmware's global variables, by their C names ("m", "d").
using RamSymbols = std::map<std::string, RamSymbol>;

// Reads the RAM areas of an SDCC linker map (fx1n.map): lines "0000000A  _m  fx1n" below an
// area header "DSEG ...", "ISEG ..." or "OSEG ..." (internal RAM), and "D:  00000001  _t  fx1n"
// below "XSEG ..." or "PSEG ..." (XRAM).
RamSymbols parseSdccMap(std::string_view mapText);

// The linker map an SDCC build left for a work directory (DIR/sdcc/fx1n.map).
std::filesystem::path sdccMapFile(const std::filesystem::path& workDirectory);

// The watches for a list of devices such as "M5,T0,C1,D3" (commas or blanks between them), as
// the firmware keeps them, in internal RAM or XRAM:
//   M0..M1535, S0..S999                    the relay or state, a bit of m or s
//   M8000, M8002, M8011..M8014, M8034      special relays, bits of m8000; M8020..M8022 of m8020
//   T0..T245, C0..C199                     the contact, a bit of t or c, and the value
//                                          ("T0 value"), 16 bits of tc or ct, where it is kept
//   D0..D7999                              the register, 16 bits of d; D8010..D8012 of sct
//   V0..V7, Z0..Z7                         the index register, 16 bits of ixv or ixz
// The tables are as large as the program needs them: a device beyond them is refused, and so
// is one the firmware does not keep (D16 up in the EEPROM, C200 up, the other special devices),
// with the reason, and any other name. Fails too when the map lacks the variable of a device.
Result<std::vector<RamWatch>> watchesFor(std::string_view devices, const RamSymbols& symbols);

// The watches for `devices` (as watchesFor) from the linker map an SDCC build left in the work
// directory; fails when the map cannot be read.
Result<std::vector<RamWatch>> loadWatches(const std::filesystem::path& workDirectory,
                                          std::string_view devices);

// The devices a translated program names, as watchesFor takes them: T, C, D, then M and S, each
// in ascending order.
std::vector<std::string> devicesUsed(const DeviceUse& devices);

// The pins of the X and Y points a settings set assigns, as the simulation drives and watches
// them.
SimPinMap simPinsOf(const Settings& settings);

}  // namespace ladder51
