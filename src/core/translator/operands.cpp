#include "core/translator/operands.h"

namespace ladder51::detail {

std::optional<fx::WordOperand> decodeWordOperand(const TranslatorRun& t, int k) {
  return t.wordOperand(k, "KDCT");
}

std::optional<fx::Device> decodeBitOperand(const TranslatorRun& t, int k) {
  const std::optional<fx::WordOperand> operand = t.wordOperand(k, "YM");
  if (!operand) return std::nullopt;
  return fx::Device{operand->letter(), operand->number()};
}

std::optional<long> registerOf(TranslatorRun& t, const fx::WordOperand& operand,
                               std::string_view instruction) {
  if (operand.oddOffset()) {
    t.refuse("odd register offset " + dec(operand.payload) + " in an operand of " +
             std::string(instruction) + ": the program file is damaged");
    return std::nullopt;
  }
  return operand.number();
}

bool refuseWithoutEeprom(TranslatorRun& t, long r) {
  if (r <= kFirmwareLastRamRegister || t.options().eepromFitted) return false;
  t.refuse("D" + dec(r) + " is kept in the external EEPROM, but the settings choose no EEPROM");
  return true;
}

std::optional<std::string> sourceText(TranslatorRun& t,
                                      const std::optional<fx::WordOperand>& operand,
                                      std::string_view instruction, std::string_view which) {
  if (!operand) {
    t.refuse("the " + std::string(which) + " operand of " + std::string(instruction) +
             " is not a constant K or a D, C or T register");
    return std::nullopt;
  }
  if (operand->letter() == 'K') return dec(operand->number());
  const std::optional<long> r = registerOf(t, *operand, instruction);
  if (!r) return std::nullopt;
  const Fields fields = {{"r", dec(*r)}};
  switch (operand->letter()) {
    case 'C':
      if (t.refuseAbove(static_cast<int>(*r), kFirmwareLastCounter, kCRange)) return std::nullopt;
      return fill("ct[{r}]", fields);
    case 'T':
      if (t.refuseAbove(static_cast<int>(*r), kFirmwareLastTimer, kTTimerRange))
        return std::nullopt;
      return fill("tc[{r}]", fields);
    default:
      if (*r <= kFirmwareLastRamRegister) return fill("d[{r}]", fields);
      if (refuseWithoutEeprom(t, *r)) return std::nullopt;
      return fill("(ReData({r}*2)+256*ReData({r}*2+1))", fields);
  }
}

}  // namespace ladder51::detail
