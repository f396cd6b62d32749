// Internal to the translator: the operand words of timers, counters, applied instructions and
// comparisons, and how each becomes a C expression of the firmware.
#pragma once

#include <optional>
#include <string>

#include "core/translator/translator_run.h"

namespace ladder51::detail {

// Words k and k+1 of the step as a constant K or a D, C or T register, or nothing.
std::optional<fx::WordOperand> decodeWordOperand(const TranslatorRun& t, int k);

// Words k and k+1 of the step as the Y, M or S bit operand of ALT or ZRST, or nothing.
std::optional<fx::Device> decodeBitOperand(const TranslatorRun& t, int k);

// True when the operand is the register `letter` (D, C or T) or the constant ('K').
inline bool is(const std::optional<fx::WordOperand>& operand, char letter) {
  return operand && operand->letter() == letter;
}

// The register number of a D, C or T operand; refuses an odd offset (no valid program holds
// one), a special register D8000..D8255 and a device beyond the FX1N's range, and returns
// nullopt then. Records the device for the sizes of the runtime's tables.
std::optional<long> registerOf(TranslatorRun& t, const fx::WordOperand& operand,
                               std::string_view instruction);

// True when register r lives in the RAM table d[]: D0..D15, and all of them when the registers
// from D16 up live in XRAM.
bool inRam(const TranslatorRun& t, long r);

// Refuses a D register above D15 that the settings' EEPROM does not keep: any without an EEPROM,
// those beyond its bytes with a 24C16. With a 24C32 or larger, a register beyond what a 24C32
// holds draws a notice naming the size it needs. Returns true when it refused.
bool refuseBeyondEeprom(TranslatorRun& t, long r);

// The C text of a source operand of ADD, SUB, MUL, DIV or a comparison: K as its number,
// registers in RAM "d[r]", D16 and up read from the EEPROM (parenthesised), counters "ct[r]",
// timers "tc[r]", the scan times D8010..D8012 as special_devices.h gives them. Refuses anything
// else and returns nullopt then.
std::optional<std::string> sourceText(TranslatorRun& t,
                                      const std::optional<fx::WordOperand>& operand,
                                      std::string_view instruction, std::string_view which);

}  // namespace ladder51::detail
