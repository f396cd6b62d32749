#include "core/translator/operands.h"

namespace ladder51::detail {

WordOperand decodeWordOperand(const TranslatorRun& t, int offset) {
  const int first = t.at(offset + 1);
  const int second = t.at(offset + 3);
  WordOperand operand;
  if (first == 0x80 && second == 0x80) {
    operand.kind = OperandKind::Constant;
  } else if (first == 0x86 && second == 0x86) {
    operand.kind = OperandKind::DataRegister;
  } else if (first == 0x86 && second == 0x84) {
    operand.kind = OperandKind::CounterValue;
  } else if (first == 0x86 && second == 0x82) {
    operand.kind = OperandKind::TimerValue;
  } else {
    return operand;
  }
  operand.number = 256L * t.value(offset + 2) + t.value(offset);
  return operand;
}

std::optional<BitOperand> decodeBitOperand(const TranslatorRun& t, int offset) {
  if (t.at(offset + 1) != 0x84 || t.at(offset + 3) != 0x80) return std::nullopt;
  return BitOperand{t.value(offset), t.at(offset + 2)};
}

std::optional<long> registerOf(TranslatorRun& t, const WordOperand& operand,
                               std::string_view instruction) {
  if (operand.odd()) {
    t.refuse("odd register offset " + dec(operand.number) + " in an operand of " +
             std::string(instruction) + ": the program file is damaged");
    return std::nullopt;
  }
  return operand.registerNumber();
}

bool refuseWithoutEeprom(TranslatorRun& t, long r) {
  if (r <= kMaxRamRegister || t.options().eepromFitted) return false;
  t.refuse("D" + dec(r) + " is kept in the external EEPROM, but the settings choose no EEPROM");
  return true;
}

std::string eepromRead(long r) {
  return "ReData(" + dec(r) + "*2)+256*ReData(" + dec(r) + "*2+1)";
}

std::string eepromWrite(long r, std::string_view v) {
  return "WrData(" + dec(r) + "*2," + std::string(v) + "%256);WrData(" + dec(r) + "*2+1," +
         std::string(v) + "/256);";
}

std::optional<std::string> sourceText(TranslatorRun& t, const WordOperand& operand,
                                      std::string_view instruction, std::string_view which) {
  if (operand.kind == OperandKind::None) {
    t.refuse("the " + std::string(which) + " operand of " + std::string(instruction) +
             " is not a constant K or a D, C or T register");
    return std::nullopt;
  }
  if (operand.kind == OperandKind::Constant) return dec(operand.number);
  const std::optional<long> r = registerOf(t, operand, instruction);
  if (!r) return std::nullopt;
  switch (operand.kind) {
    case OperandKind::CounterValue:
      if (t.refuseAbove(static_cast<int>(*r), kMaxCounter, kCRange)) return std::nullopt;
      return "ct[" + dec(*r) + "]";
    case OperandKind::TimerValue:
      if (t.refuseAbove(static_cast<int>(*r), kMaxTimer, kTTimerRange)) return std::nullopt;
      return "tc[" + dec(*r) + "]";
    default:
      if (*r <= kMaxRamRegister) return "d[" + dec(*r) + "]";
      if (refuseWithoutEeprom(t, *r)) return std::nullopt;
      return "(" + eepromRead(*r) + ")";
  }
}

}  // namespace ladder51::detail
