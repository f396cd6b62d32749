// Applied instructions: ALT, ZRST, RST D, INC, DEC, MOV, ADD, SUB, MUL, DIV. Each is one
// statement under the rung's condition. D0..D15 live in the table d; D16 and up are two
// bytes each in the external EEPROM, read with ReData and written with WrData.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

constexpr int kClassY = 0x5;
constexpr int kClassM = 0x8;

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
  const std::optional<BitOperand> operand = decodeBitOperand(t, 2);
  if (!operand) return;
  const int n = operand->number;
  if (operand->cls == kClassY) {
    if (t.refuseAbove(n, kMaxPoint, kYRange)) return;
    // Every scan with the condition true inverts the output image and its pin.
    t.appendGuarded("ALT", "{if(" + imageTest("y", n) + ")\r\n{" + imageClear("y", n) +
                               outputPinName(n) + "=1;}\r\nelse\r\n{" + imageSet("y", n) +
                               outputPinName(n) + "=0;}}\r\n");
    if (!t.stopped()) t.noteOutputDriven(n);
  } else if (operand->cls == kClassM) {
    if (t.refuseAbove(n, kMaxRelay, kMRange)) return;
    t.appendGuarded("ALT", "{if(" + imageTest("m", n) + ")\r\n" + imageClear("m", n) +
                               "\r\nelse\r\n" + imageSet("m", n) + "}\r\n");
  }
}

void translateZrst(TranslatorRun& t) {
  const std::optional<BitOperand> firstBit = decodeBitOperand(t, 2);
  const std::optional<BitOperand> lastBit = decodeBitOperand(t, 6);
  if (firstBit && lastBit && firstBit->cls == kClassY && lastBit->cls == kClassY) {
    const int a = firstBit->number;
    const int z = lastBit->number;
    if (refusePair(t, a, kYRange, z, kYRange, kMaxPoint)) return;
    std::string body = "{\r\n";
    for (int j = a; j <= z; ++j) body += imageClear("y", j) + outputPinName(j) + "=1;\r\n";
    body += "}\r\n";
    t.appendGuarded("ZRST", body);
    if (!t.stopped()) {
      for (int j = a; j <= z; ++j) t.noteOutputDriven(j);
    }
    return;
  }
  if (firstBit && lastBit && firstBit->cls == kClassM && lastBit->cls == kClassM) {
    const int a = firstBit->number;
    const int z = lastBit->number;
    if (refusePair(t, a, kMRange, z, kMRange, kMaxRelay)) return;
    t.appendGuarded(
        "ZRST", "for(i=" + dec(a) + ";i<=" + dec(z) + ";i++)" + "m[i/8]&=0xff-(0x01<<(i%8));\r\n");
    return;
  }
  const WordOperand first = decodeWordOperand(t, 2);
  const WordOperand last = decodeWordOperand(t, 6);
  if (first.kind != last.kind) return;
  if (first.kind == OperandKind::DataRegister) {
    const std::optional<long> a = registerOf(t, first, "ZRST");
    const std::optional<long> z = a ? registerOf(t, last, "ZRST") : std::nullopt;
    if (!a || !z) return;
    if (refusePair(t, *a, kDRange, *z, kZrstDRange, kMaxRamRegister)) return;
    t.appendGuarded("ZRST", "zrstd(" + dec(*a) + "," + dec(*z) + ");\r\n");
  } else if (first.kind == OperandKind::CounterValue) {
    const std::optional<long> a = registerOf(t, first, "ZRST");
    const std::optional<long> z = a ? registerOf(t, last, "ZRST") : std::nullopt;
    if (!a || !z) return;
    if (refusePair(t, *a, kCRange, *z, kCRange, kMaxCounter)) return;
    t.appendGuarded("ZRST", "for(i=" + dec(*a) + ";i<=" + dec(*z) + ";i++)" +
                                "{c[i/8]&=0xff-(0x01<<(i%8));cflag[i/8]&=0xff-(0x01<<(i%8));"
                                "ct[i]=0;}\r\n");
  }
}

void translateRstD(TranslatorRun& t) {
  const WordOperand operand = decodeWordOperand(t, 2);
  if (operand.kind != OperandKind::DataRegister) return;
  const std::optional<long> r = registerOf(t, operand, "RST");
  if (!r) return;
  if (*r <= kMaxRamRegister) {
    t.appendGuarded("RST", "d[" + dec(*r) + "]=0;\r\n");
    return;
  }
  if (refuseWithoutEeprom(t, *r)) return;
  t.appendGuarded("RST", "{WrData(" + dec(*r) + "*2,0);WrData(" + dec(*r) + "*2+1,0);}");
}

void translateIncDec(TranslatorRun& t, bool increment) {
  const std::string_view name = increment ? "INC" : "DEC";
  const std::string_view op = increment ? "++;" : "--;";
  const WordOperand operand = decodeWordOperand(t, 2);
  if (operand.kind == OperandKind::CounterValue) {
    const std::optional<long> r = registerOf(t, operand, name);
    if (!r || t.refuseAbove(static_cast<int>(*r), kMaxCounter, kCRange)) return;
    t.appendGuarded(name, "ct[" + dec(*r) + "]" + std::string(op) + "\r\n");
  } else if (operand.kind == OperandKind::DataRegister) {
    const std::optional<long> r = registerOf(t, operand, name);
    if (!r) return;
    if (*r <= kMaxRamRegister) {
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
  const WordOperand source = decodeWordOperand(t, 2);
  const WordOperand target = decodeWordOperand(t, 6);
  const bool toD = target.kind == OperandKind::DataRegister;
  const bool toC = target.kind == OperandKind::CounterValue;
  const bool fromK = source.kind == OperandKind::Constant;
  const bool fromC = source.kind == OperandKind::CounterValue;
  const bool fromD = source.kind == OperandKind::DataRegister;
  if (!(fromK || fromC || fromD) || !(toD || toC)) return;

  // Source first, so that its message wins when both operands are out of range.
  std::string value;
  long s = 0;
  if (fromK) {
    value = dec(source.number);
  } else {
    const std::optional<long> r = registerOf(t, source, "MOV");
    if (!r) return;
    s = *r;
    if (fromC && t.refuseAbove(static_cast<int>(s), kMaxCounter, kCRange)) return;
    value = (fromC ? "ct[" : "d[") + dec(s) + "]";
  }
  const std::optional<long> r = registerOf(t, target, "MOV");
  if (!r) return;
  const long d = *r;
  if (toC && t.refuseAbove(static_cast<int>(d), kMaxCounter, kCRange)) return;
  const bool sourceInEeprom = fromD && s > kMaxRamRegister;
  const bool targetInEeprom = toD && d > kMaxRamRegister;
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
  int low;
  std::string_view name;
  std::string_view op;
};

constexpr Arithmetic kArithmetic[] = {
    {0x38, "ADD", "+"}, {0x3A, "SUB", "-"}, {0x3C, "MUL", "*"}, {0x3E, "DIV", "/"}};

// ADD, SUB, MUL, DIV: "if(" cond ")" result "=" first op second ";", with no line end.
void translateArithmetic(TranslatorRun& t, const Arithmetic& instruction) {
  const std::optional<std::string> first =
      sourceText(t, decodeWordOperand(t, 2), instruction.name, "first");
  if (!first) return;
  const std::optional<std::string> second =
      sourceText(t, decodeWordOperand(t, 6), instruction.name, "second");
  if (!second) return;
  const WordOperand target = decodeWordOperand(t, 10);
  if (target.kind == OperandKind::None || target.kind == OperandKind::Constant) {
    t.refuse("the result operand of " + std::string(instruction.name) +
             " is not a D, C or T register");
    return;
  }
  const std::optional<long> r = registerOf(t, target, instruction.name);
  if (!r) return;
  const std::string expression = *first + std::string(instruction.op) + *second;
  if (target.kind == OperandKind::CounterValue) {
    if (t.refuseAbove(static_cast<int>(*r), kMaxCounter, kCRange)) return;
    t.appendGuarded(instruction.name, "ct[" + dec(*r) + "]=" + expression + ";");
  } else if (target.kind == OperandKind::TimerValue) {
    if (t.refuseAbove(static_cast<int>(*r), kMaxTimer, kTTimerRange)) return;
    t.appendGuarded(instruction.name, "tc[" + dec(*r) + "]=" + expression + ";");
  } else if (*r <= kMaxRamRegister) {
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
  if (t.at(1) != 0x00) return;
  switch (t.at(0)) {
    case 0x94:
      translateAlt(t);
      return;
    case 0x60:
      translateZrst(t);
      return;
    case 0x0D:
      translateRstD(t);
      return;
    case 0x40:
      translateIncDec(t, true);
      return;
    case 0x42:
      translateIncDec(t, false);
      return;
    case 0x28:
      translateMov(t);
      return;
    default:
      break;
  }
  for (const Arithmetic& instruction : kArithmetic) {
    if (t.at(0) == instruction.low) translateArithmetic(t, instruction);
  }
}

}  // namespace ladder51::detail
