// Internal to the translator: the PLC's special devices the firmware keeps (the special relays in
// the byte m8000, the scan times D8010..D8012 the runtime measures), the outputs held off by
// M8034, and the instructions left out on purpose, by what they would need that the chip has not.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/translator/translator_run.h"

namespace ladder51::detail {

// A special relay the firmware keeps as a bit of m8000: M8000 and M8002 (set by the runtime),
// M8001 and M8003 (their inverses, read from the same bits), the clocks M8011..M8014, and M8034,
// which the program writes.
struct SpecialRelay {
  int number;
  std::string_view mask;  // its bit of m8000, "0x40"
  bool inverted;          // on while the bit is off (M8001, M8003)
  bool writable;          // OUT, SET and RST may drive it (M8034)
};

// The relay kept in m8000, or nullptr for a special relay the firmware does not keep.
const SpecialRelay* specialRelay(int number);

// The special relay that holds every output off while it is on.
inline constexpr int kOutputsOffRelay = 8034;

// A coil instruction (`instruction`) on a special relay: OUT, SET and RST on M8034 are
// translated; the others are refused (the PLC does not let a program drive the relays the
// firmware keeps, and it keeps no other). Returns true when it refused.
bool translateSpecialRelayCoil(TranslatorRun& t, std::string_view instruction,
                               const fx::Device& device);

// The C expression of a special register the runtime keeps, D8010..D8012 (the current, shortest
// and longest scan time in 0.1 ms units), recording that the runtime must measure them; nothing
// for the others. With the classic time base, which has no counter fine enough to measure them,
// the step is refused and nothing returned: the caller checks t.stopped().
std::optional<std::string> specialRegisterText(TranslatorRun& t, long number);

// The same for an operand read by an instruction: D8010..D8012 as specialRegisterText gives
// them; nothing for any other operand.
std::optional<std::string> specialSourceText(TranslatorRun& t, const fx::WordOperand& operand);

// Refuses a write to a register the runtime keeps for reading (D8010..D8012); returns true when
// it refused.
bool refuseSpecialRegisterWrite(TranslatorRun& t, long number);

// At END: in a program that uses M8034 every output pin follows its image here, off while M8034
// is on; in one that reads the scan times, the scan begins with their measurement.
void closeSpecialDevices(TranslatorRun& t);

// Why an instruction is left out ("floating point is not translated"), for the applied
// instruction FNC `fnc`, or nothing for one not left out on purpose.
std::optional<std::string_view> whyLeftOut(int fnc);

// The name of FNC `fnc` in the table of instructions left out ("PLSR"), or nothing.
std::optional<std::string_view> leftOutName(int fnc);

// The high-speed counters C235..C255, refused (ReasonKind::HighSpeedCounter).
inline constexpr int kFirstHighSpeedCounter = 235;

}  // namespace ladder51::detail
