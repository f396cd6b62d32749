#include "core/translator/operands.h"

#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

constexpr std::string_view kSpecialRegister =
    "{register} is a special register of the PLC: ladder51 does not keep it";
constexpr std::string_view kNoEeprom =
    "{register} is kept in the external EEPROM, but the settings choose no EEPROM (or choose a "
    "chip with XRAM, where it is not kept across power-off)";
constexpr std::string_view kBeyondSmallEeprom =
    "{register} does not fit in the 24C16 EEPROM the settings choose: it keeps D16 to D{last}, "
    "and a higher register would overwrite a lower one";
constexpr std::string_view kBeyondLargeEeprom =
    "{register} is kept at EEPROM bytes {low} and {high}: the EEPROM must be a {size} or larger";

// The smallest EEPROM from the 24C32 up that has byte `high`: "24C64".
std::string eepromWith(long high) {
  long bytes = kLargeEepromBytes;
  while (bytes <= high) bytes *= 2;
  return "24C" + dec(bytes / 128);  // its size in kilobits
}

}  // namespace

std::optional<fx::WordOperand> decodeWordOperand(const TranslatorRun& t, int k) {
  return t.wordOperand(k, "KDCT");
}

std::optional<fx::Device> decodeBitOperand(const TranslatorRun& t, int k) {
  const std::optional<fx::WordOperand> operand = t.wordOperand(k, "YMS");
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
  const long r = operand.number();
  if (operand.letter() == 'D' && r >= kFirstSpecialRegister && r <= kLastSpecialRegister) {
    // Reads of those the runtime keeps come through specialSourceText: this is a write.
    if (!refuseSpecialRegisterWrite(t, r)) {
      t.refuse(fill(kSpecialRegister, {{"register", "D" + dec(r)}}));
    }
    return std::nullopt;
  }
  if (t.refuseDevice(operand.letter(), r)) return std::nullopt;
  if (operand.letter() == 'D' && inRam(t, r)) t.noteRamRegister(r);
  return r;
}

bool inRam(const TranslatorRun& t, long r) {
  return r <= kFirmwareLastRamRegister || t.options().registersInXram;
}

bool refuseBeyondEeprom(TranslatorRun& t, long r) {
  if (inRam(t, r)) return false;
  const long low = 2 * r;
  const long high = low + 1;
  const std::string name = "D" + dec(r);
  switch (t.options().eeprom) {
    case EepromChoice::None:
      t.refuse(fill(kNoEeprom, {{"register", name}}));
      return true;
    case EepromChoice::Upto24C16:
      if (high < kSmallEepromBytes) return false;
      t.refuse(
          fill(kBeyondSmallEeprom, {{"register", name}, {"last", dec(kSmallEepromBytes / 2 - 1)}}));
      return true;
    case EepromChoice::From24C32:
      if (high < kLargeEepromBytes) return false;
      t.notice(fill(kBeyondLargeEeprom, {{"register", name},
                                         {"low", dec(low)},
                                         {"high", dec(high)},
                                         {"size", eepromWith(high)}}));
      return false;
  }
  return false;
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
  if (std::optional<std::string> special = specialSourceText(t, *operand)) return special;
  if (t.stopped()) return std::nullopt;
  const std::optional<long> r = registerOf(t, *operand, instruction);
  if (!r) return std::nullopt;
  const Fields fields = {{"r", dec(*r)}};
  switch (operand->letter()) {
    case 'C':
      return fill("ct[{r}]", fields);
    case 'T':
      return fill("tc[{r}]", fields);
    default:
      if (inRam(t, *r)) return fill("d[{r}]", fields);
      if (refuseBeyondEeprom(t, *r)) return std::nullopt;
      return fill("(ReData({r}*2)+256*ReData({r}*2+1))", fields);
  }
}

}  // namespace ladder51::detail
