// Internal to the translator: the operand words of timers, counters, applied instructions and
// comparisons, and how each becomes a C expression of the firmware.
#pragma once

#include <optional>
#include <string>

#include "core/translator/translator_run.h"

namespace ladder51::detail {

enum class OperandKind { None, Constant, DataRegister, CounterValue, TimerValue };

// Two words at ScanIndex + offset: a constant K, or a D, C or T register by its offset
// (two per register).
struct WordOperand {
  OperandKind kind = OperandKind::None;
  long number = 0;  // K, or the register offset

  bool odd() const { return kind != OperandKind::Constant && number % 2 != 0; }
  long registerNumber() const { return number / 2; }
};

WordOperand decodeWordOperand(const TranslatorRun& t, int offset);

// A bit operand (ALT, ZRST): device number and class byte ("5" Y, "8" M), or nullopt when the
// words are not a bit operand.
struct BitOperand {
  int number = 0;
  int cls = 0;
};
std::optional<BitOperand> decodeBitOperand(const TranslatorRun& t, int offset);

// The register number of a D, C or T operand; refuses an odd offset (no valid program holds
// one) and returns nullopt then.
std::optional<long> registerOf(TranslatorRun& t, const WordOperand& operand,
                               std::string_view instruction);

// Refuses a D register above D15 when no EEPROM is fitted; returns true when it refused.
bool refuseWithoutEeprom(TranslatorRun& t, long r);

// "ReData(r*2)+256*ReData(r*2+1)": the value of EEPROM register r.
std::string eepromRead(long r);
// "WrData(r*2,v%256);WrData(r*2+1,v/256);": stores value text v in EEPROM register r.
std::string eepromWrite(long r, std::string_view v);

// The C text of a source operand of ADD, SUB, MUL, DIV or a comparison: K as its number,
// D0..D15 "d[r]", D16 and up read from the EEPROM (parenthesised), C0..C10 "ct[r]",
// T0..T15 "tc[r]". Refuses anything else and returns nullopt then.
std::optional<std::string> sourceText(TranslatorRun& t, const WordOperand& operand,
                                      std::string_view instruction, std::string_view which);

}  // namespace ladder51::detail
