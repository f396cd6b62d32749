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

// True when words k and k+1 hold an operand the first, compact statements of MOV, the
// arithmetic and the comparisons read: a K constant or a D, C or T register, not a special one
// (V and Z live among those).
bool isCompact(const TranslatorRun& t, int k);

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

// --- operands of every kind, at the step's size --------------------------------------------
// How the firmware reads and writes one operand of an applied instruction or a comparison.
struct WordAccess {
  // The value: an int expression (a 16-bit operand) or a long one (32-bit).
  std::string value;
  // The statement that writes the value {v} (a side-effect-free expression); empty for what
  // cannot be written (constants, inputs).
  std::string store;
  // The output points whose images and pins the store writes.
  std::vector<int> outputs;
  // True when `value` is an element of a table in RAM (d, tc, ct), the next one the next word.
  bool inTable = false;
};

// What an operand may be: a source only, or a destination too.
enum class Use { Source, Target };

// Operand k (0, 1, ...) of the current step, read at the step's size (16 or 32 bits): K and H
// constants, D (in RAM, XRAM or the EEPROM), T and C current values, V and Z, digit groups
// KnX..KnS. A 32-bit word device is the pair n, n+1 (low word first). Refuses what the
// firmware does not keep, naming the operand `which` ("first", "result") of `instruction`, and
// returns nullopt then.
// `size` (16 or 32) overrides the step's for what the instruction reads or writes (MUL's 32-bit
// product), `offset` names a word device that many words after the operand's (DIV's remainder).
std::optional<WordAccess> wordAccess(TranslatorRun& t, int k, std::string_view instruction,
                                     std::string_view which, Use use, int size = 0, int offset = 0);

// A 16-bit value as a signed int: the registers are unsigned int, and so are constants above
// 32767 (K-1 is written 65535).
std::string signedWord(const std::string& value);

// The text of a statement storing `value` through `access`: its store with {v} filled.
std::string storeText(const WordAccess& access, std::string_view value);

// A bit destination of CMP, ZCP, SFTL ... : `count` consecutive bits of Y, M or S from operand
// k's device. `image` the bit image ("y", "m", "s"), `first` the first bit's number.
struct BitRange {
  std::string image;
  int first = 0;
  int count = 0;
  std::vector<int> outputs;  // output points among them
};
std::optional<BitRange> bitRange(TranslatorRun& t, int k, int count, std::string_view instruction,
                                 std::string_view which);

// The statements that set the pins of `outputs` from their images.
std::string pinRefresh(const std::vector<int>& outputs);

// The statement writing bit j of `range` from the C condition `test` (on when true).
std::string bitWrite(const BitRange& range, int j, std::string_view test);

// Operand k as a constant K or H from `low` to `high` (a count, a bit number), or nullopt after
// refusing anything else, naming the operand `which` of `instruction`.
std::optional<long long> constantOf(TranslatorRun& t, int k, std::string_view instruction,
                                    std::string_view which, long long low, long long high);

}  // namespace ladder51::detail
