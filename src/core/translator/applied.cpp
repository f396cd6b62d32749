// Applied instructions: ALT, ZRST, RST D, INC, DEC, MOV, ADD, SUB, MUL, DIV. Each is one
// statement under the rung's condition. D0..D15 live in the table d; D16 and up are two
// bytes each in the external EEPROM, read with ReData and written with WrData.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

std::string imageClear(std::string_view array, int n) {
  return std::string(array) + "[" + dec(n / 8) + "]&=(0xff-(0x01<<" + dec(n % 8) + "));";
}
std::string imageSet(std::string_view array, int n) {
  return std::string(array) + "[" + dec(n / 8) + "]|=(0x01<<" + dec(n % 8) + ");";
}
std::string imageTest(std::string_view array, int n) {
  return std::string(array) + "[" + dec(n / 8) + "]&(0x01<<" + dec(n % 8) + ")";
}

// A range check of ZRST's first and last operand; the first operand's message wins.
bool refusePair(TranslatorRun& t, long first, std::string_view firstMessage, long last,
                std::string_view lastMessage, int limit) {
  return t.refuseAbove(static_cast<int>(first), limit, firstMessage) ||
         t.refuseAbove(static_cast<int>(last), limit, lastMessage);
}

void translateAlt(TranslatorRun& t) {
  const std::optional<fx::Device> operand = decodeBitOperand(t, 1);
  if (!operand) return;
  const int n = operand->number;
  if (operand->letter == 'Y') {
    if (t.refuseAbove(n, kFirmwareLastPoint, kYRange)) return;
    // Every scan with the condition true inverts the output image and its pin.
    t.appendGuarded("ALT", "{if(" + imageTest("y", n) + ")\r\n{" + imageClear("y", n) +
                               outputPinName(n) + "=1;}\r\nelse\r\n{" + imageSet("y", n) +
                               outputPinName(n) + "=0;}}\r\n");
    if (!t.stopped()) t.noteOutputDriven(n);
  } else if (operand->letter == 'M') {
    if (t.refuseAbove(n, kFirmwareLastRelay, kMRange)) return;
    t.appendGuarded("ALT", "{if(" + imageTest("m", n) + ")\r\n" + imageClear("m", n) +
                               "\r\nelse\r\n" + imageSet("m", n) + "}\r\n");
  }
}

void translateZrst(TranslatorRun& t) {
  const std::optional<fx::Device> firstBit = decodeBitOperand(t, 1);
  const std::optional<fx::Device> lastBit = decodeBitOperand(t, 3);
  if (firstBit && lastBit && firstBit->letter == 'Y' && lastBit->letter == 'Y') {
    const int a = firstBit->number;
    const int z = lastBit->number;
    if (refusePair(t, a, kYRange, z, kYRange, kFirmwareLastPoint)) return;
    std::string body = "{\r\n";
    for (int j = a; j <= z; ++j) body += imageClear("y", j) + outputPinName(j) + "=1;\r\n";
    body += "}\r\n";
    t.appendGuarded("ZRST", body);
    if (!t.stopped()) {
      for (int j = a; j <= z; ++j) t.noteOutputDriven(j);
    }
    return;
  }
  if (firstBit && lastBit && firstBit->letter == 'M' && lastBit->letter == 'M') {
    const int a = firstBit->number;
    const int z = lastBit->number;
    if (refusePair(t, a, kMRange, z, kMRange, kFirmwareLastRelay)) return;
    t.appendGuarded(
        "ZRST", "for(i=" + dec(a) + ";i<=" + dec(z) + ";i++)" + "m[i/8]&=0xff-(0x01<<(i%8));\r\n");
    return;
  }
  const std::optional<fx::WordOperand> first = decodeWordOperand(t, 1);
  const std::optional<fx::WordOperand> last = decodeWordOperand(t, 3);
  if (is(first, 'D') && is(last, 'D')) {
    const std::optional<long> a = registerOf(t, *first, "ZRST");
    const std::optional<long> z = a ? registerOf(t, *last, "ZRST") : std::nullopt;
    if (!a || !z) return;
    if (refusePair(t, *a, kDRange, *z, kZrstDRange, kFirmwareLastRamRegister)) return;
    t.appendGuarded("ZRST", "zrstd(" + dec(*a) + "," + dec(*z) + ");\r\n");
  } else if (is(first, 'C') && is(last, 'C')) {
    const std::optional<long> a = registerOf(t, *first, "ZRST");
    const std::optional<long> z = a ? registerOf(t, *last, "ZRST") : std::nullopt;
    if (!a || !z) return;
    if (refusePair(t, *a, kCRange, *z, kCRange, kFirmwareLastCounter)) return;
    t.appendGuarded("ZRST", "for(i=" + dec(*a) + ";i<=" + dec(*z) + ";i++)" +
                                "{c[i/8]&=0xff-(0x01<<(i%8));cflag[i/8]&=0xff-(0x01<<(i%8));"
                                "ct[i]=0;}\r\n");
  }
}

void translateRstD(TranslatorRun& t) {
  const std::optional<fx::WordOperand> operand = decodeWordOperand(t, 1);
  if (!is(operand, 'D')) return;
  const std::optional<long> r = registerOf(t, *operand, "RST");
  if (!r) return;
  if (*r <= kFirmwareLastRamRegister) {
    t.appendGuarded("RST", "d[" + dec(*r) + "]=0;\r\n");
    return;
  }
  if (refuseWithoutEeprom(t, *r)) return;
  t.appendGuarded("RST", "{WrData(" + dec(*r) + "*2,0);WrData(" + dec(*r) + "*2+1,0);}");
}

void translateIncDec(TranslatorRun& t, bool increment) {
  const std::string_view name = increment ? "INC" : "DEC";
  const std::string_view op = increment ? "++;" : "--;";
  const std::optional<fx::WordOperand> operand = decodeWordOperand(t, 1);
  if (is(operand, 'C')) {
    const std::optional<long> r = registerOf(t, *operand, name);
    if (!r || t.refuseAbove(static_cast<int>(*r), kFirmwareLastCounter, kCRange)) return;
    t.appendGuarded(name, "ct[" + dec(*r) + "]" + std::string(op) + "\r\n");
  } else if (is(operand, 'D')) {
    const std::optional<long> r = registerOf(t, *operand, name);
    if (!r) return;
    if (*r <= kFirmwareLastRamRegister) {
      t.appendGuarded(name, "d[" + dec(*r) + "]" + std::string(op) + "\r\n");
      return;
    }
    if (refuseWithoutEeprom(t, *r)) return;
    // Read both bytes into the scratch register, change it by one, write both back.
    t.appendGuarded(name, "{d[16]=ReData(" + dec(*r) + "*2);" + "d[16]=d[16]+256*ReData(" +
                              dec(*r) + "*2+1)" + (increment ? "+1;" : "-1;") + "\r\n" +
                              eepromWrite(*r, "d[16]") + "}");
  }
}

// MOV between constants, counters and data registers; tried in the order K to D, K to C,
// C to D, D to C, D to D, C to C.
void translateMov(TranslatorRun& t) {
  const std::optional<fx::WordOperand> source = decodeWordOperand(t, 1);
  const std::optional<fx::WordOperand> target = decodeWordOperand(t, 3);
  const bool toD = is(target, 'D');
  const bool toC = is(target, 'C');
  const bool fromK = is(source, 'K');
  const bool fromC = is(source, 'C');
  const bool fromD = is(source, 'D');
  if (!(fromK || fromC || fromD) || !(toD || toC)) return;

  // Source first, so that its message wins when both operands are out of range.
  std::string value;
  long s = 0;
  if (fromK) {
    value = dec(source->number());
  } else {
    const std::optional<long> r = registerOf(t, *source, "MOV");
    if (!r) return;
    s = *r;
    if (fromC && t.refuseAbove(static_cast<int>(s), kFirmwareLastCounter, kCRange)) return;
    value = (fromC ? "ct[" : "d[") + dec(s) + "]";
  }
  const std::optional<long> r = registerOf(t, *target, "MOV");
  if (!r) return;
  const long d = *r;
  if (toC && t.refuseAbove(static_cast<int>(d), kFirmwareLastCounter, kCRange)) return;
  const bool sourceInEeprom = fromD && s > kFirmwareLastRamRegister;
  const bool targetInEeprom = toD && d > kFirmwareLastRamRegister;
  if (sourceInEeprom && refuseWithoutEeprom(t, s)) return;
  if (targetInEeprom && refuseWithoutEeprom(t, d)) return;

  const std::string targetText = (toC ? "ct[" : "d[") + dec(d) + "]";
  std::string body;
  if (sourceInEeprom && targetInEeprom) {
    body = "{d[16]=" + eepromRead(s) + ";\r\n" + eepromWrite(d, "d[16]") + "}\r\n";
  } else if (sourceInEeprom) {
    body = targetText + "=" + eepromRead(s) + ";\r\n";
  } else if (targetInEeprom) {
    // The register-to-register form ends its line; the others do not.
    body = "{" + eepromWrite(d, value) + "}" + (fromD ? "\r\n" : "");
  } else {
    body = targetText + "=" + value + ";\r\n";
  }
  t.appendGuarded("MOV", body);
}

struct Arithmetic {
  std::string_view name;
  std::string_view op;
};

constexpr Arithmetic kArithmetic[] = {{"ADD", "+"}, {"SUB", "-"}, {"MUL", "*"}, {"DIV", "/"}};

// ADD, SUB, MUL, DIV: "if(" cond ")" result "=" first op second ";", with no line end.
void translateArithmetic(TranslatorRun& t, const Arithmetic& instruction) {
  const std::optional<std::string> first =
      sourceText(t, decodeWordOperand(t, 1), instruction.name, "first");
  if (!first) return;
  const std::optional<std::string> second =
      sourceText(t, decodeWordOperand(t, 3), instruction.name, "second");
  if (!second) return;
  const std::optional<fx::WordOperand> target = decodeWordOperand(t, 5);
  if (!target || is(target, 'K')) {
    t.refuse("the result operand of " + std::string(instruction.name) +
             " is not a D, C or T register");
    return;
  }
  const std::optional<long> r = registerOf(t, *target, instruction.name);
  if (!r) return;
  const std::string expression = *first + std::string(instruction.op) + *second;
  if (is(target, 'C')) {
    if (t.refuseAbove(static_cast<int>(*r), kFirmwareLastCounter, kCRange)) return;
    t.appendGuarded(instruction.name, "ct[" + dec(*r) + "]=" + expression + ";");
  } else if (is(target, 'T')) {
    if (t.refuseAbove(static_cast<int>(*r), kFirmwareLastTimer, kTTimerRange)) return;
    t.appendGuarded(instruction.name, "tc[" + dec(*r) + "]=" + expression + ";");
  } else if (*r <= kFirmwareLastRamRegister) {
    t.appendGuarded(instruction.name, "d[" + dec(*r) + "]=" + expression + ";");
  } else {
    if (refuseWithoutEeprom(t, *r)) return;
    // Computed into the scratch register, then written back to the EEPROM.
    t.appendGuarded(instruction.name,
                    "{d[16]=" + expression + ";" + eepromWrite(*r, "d[16]") + "}");
  }
}

}  // namespace

void translateAppliedInstructions(TranslatorRun& t) {
  constexpr fx::Layout kLayout = fx::Layout::WordOperands;
  if (t.stepIs("ALT", kLayout)) {
    translateAlt(t);
  } else if (t.stepIs("ZRST", kLayout)) {
    translateZrst(t);
  } else if (t.stepIs("RST", kLayout)) {
    translateRstD(t);
  } else if (t.stepIs("INC", kLayout) || t.stepIs("DEC", kLayout)) {
    translateIncDec(t, t.stepIs("INC", kLayout));
  } else if (t.stepIs("MOV", kLayout)) {
    translateMov(t);
  }
  for (const Arithmetic& instruction : kArithmetic) {
    if (t.stepIs(instruction.name, kLayout)) translateArithmetic(t, instruction);
  }
}

}  // namespace ladder51::detail
