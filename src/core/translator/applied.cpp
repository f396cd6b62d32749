// Applied instructions that move data: ALT, ZRST, RST D and MOV. Each is one statement under
// the rung's condition. D0..D15 live in the table d; D16 and up are two
// bytes each in the external EEPROM, read with ReData and written with WrData.
#include "core/translator/operands.h"
#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

// ALT: every scan with the condition true inverts the bit, and an output's pin with it.
constexpr std::string_view kAltY[] = {
    "if({cond}){if(y[{B}]&(0x01<<{b}))",
    "{y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;}",
    "else",
    "{y[{B}]|=(0x01<<{b});{pin}=0;}}",
    "",
};
// Where the pins follow at END (M8034), the image only.
constexpr std::string_view kAltYImage[] = {
    "if({cond}){if(y[{B}]&(0x01<<{b}))",
    "y[{B}]&=(0xff-(0x01<<{b}));",
    "else",
    "y[{B}]|=(0x01<<{b});}",
    "",
};
constexpr std::string_view kAltM[] = {
    "if({cond}){if(m[{B}]&(0x01<<{b}))",
    "m[{B}]&=(0xff-(0x01<<{b}));",
    "else",
    "m[{B}]|=(0x01<<{b});}",
    "",
};

// ZRST on Y writes one line per output between its first and last line; the others loop over
// i in the firmware ({a} the first device, {z} the last).
constexpr std::string_view kZrstYFirst = "if({cond}){";
constexpr std::string_view kZrstYPoint = "y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;";
constexpr std::string_view kZrstYImagePoint = "y[{B}]&=(0xff-(0x01<<{b}));";  // pins at END
constexpr std::string_view kZrstYLast[] = {"}", ""};
constexpr std::string_view kZrstM[] = {
    "if({cond})for(i={a};i<={z};i++)m[i/8]&=0xff-(0x01<<(i%8));",
    "",
};
constexpr std::string_view kZrstD[] = {"if({cond})zrstd({a},{z});", ""};
// Registers beyond zrstd's byte-sized numbers (those in XRAM).
constexpr std::string_view kZrstDLoop[] = {"if({cond})for(i={a};i<={z};i++)d[i]=0;", ""};
constexpr std::string_view kZrstS[] = {
    "if({cond})for(i={a};i<={z};i++)s[i/8]&=0xff-(0x01<<(i%8));",
    "",
};
constexpr std::string_view kZrstT[] = {
    "if({cond})for(i={a};i<={z};i++){t[i/8]&=0xff-(0x01<<(i%8));"
    "to[i/8]&=0xff-(0x01<<(i%8));tc[i]=0;}",
    "",
};
// With the FX time base: no run bits, and the units begun of timers with coils, tph[{first}] to
// tph[{last}].
constexpr std::string_view kZrstTFx[] = {
    "if({cond})for(i={a};i<={z};i++){t[i/8]&=0xff-(0x01<<(i%8));tc[i]=0;}",
    "",
};
constexpr std::string_view kZrstTFxPhases[] = {
    "if({cond}){for(i={a};i<={z};i++){t[i/8]&=0xff-(0x01<<(i%8));tc[i]=0;}",
    "for(i={first};i<={last};i++)tph[i]=0;}",
    "",
};
constexpr std::string_view kZrstC[] = {
    "if({cond})for(i={a};i<={z};i++){c[i/8]&=0xff-(0x01<<(i%8));"
    "ct[i]=0;}",
    "",
};

// RST D: {r} the register; an EEPROM register is written with zeros.
constexpr std::string_view kRstD[] = {"if({cond})d[{r}]=0;", ""};
constexpr std::string_view kRstEeprom[] = {"if({cond}){WrData({r}*2,0);WrData({r}*2+1,0);}"};

// MOV {value} to {target} ("d[5]", "ct[2]"); from the EEPROM register {s}, or into the EEPROM
// register {t}, where only a register's value ends its line.
constexpr std::string_view kMov[] = {"if({cond}){target}={value};", ""};
constexpr std::string_view kMovFromEeprom[] = {
    "if({cond}){target}=ReData({s}*2)+256*ReData({s}*2+1);",
    "",
};
constexpr std::string_view kMovToEeprom[] = {
    "if({cond}){WrData({t}*2,{value}%256);WrData({t}*2+1,{value}/256);}",
};
constexpr std::string_view kMovEepromToEeprom[] = {
    "if({cond}){d[16]=ReData({s}*2)+256*ReData({s}*2+1);",
    "WrData({t}*2,d[16]%256);WrData({t}*2+1,d[16]/256);}",
    "",
};

// MOV of other operands, or of 32 bits (through the scratch lv): {store} writes {value}.
constexpr std::string_view kMovStore[] = {"if({cond}){{store}}", ""};
constexpr std::string_view kMovWide[] = {"if({cond}){lv={value};{store}}", ""};

// A range check of ZRST's first and last operand; the first operand's refusal wins.
bool refusePair(TranslatorRun& t, long first, ReasonKind firstRefusal, long last,
                ReasonKind lastRefusal, int limit) {
  return t.refuseAbove(static_cast<int>(first), limit, firstRefusal) ||
         t.refuseAbove(static_cast<int>(last), limit, lastRefusal);
}

void translateAlt(TranslatorRun& t) {
  const std::optional<fx::Device> operand = decodeBitOperand(t, 1);
  if (!operand) return;
  const int n = operand->number;
  if (operand->letter == 'Y') {
    if (t.refuseAbove(n, kFirmwareLastPoint, ReasonKind::OutputBeyondPins)) return;
    t.appendGuarded("ALT", t.outputsAtEnd() ? kAltYImage : kAltY, outputFields(n));
    if (!t.stopped()) t.noteOutputDriven(n);
  } else if (operand->letter == 'M') {
    if (t.refuseDevice('M', n)) return;
    t.appendGuarded("ALT", kAltM, bitFields(n));
  }
}

// ZRST on timers T{a} to T{z}.
void translateZrstT(TranslatorRun& t, int a, int z) {
  std::vector<Field> fields = {{"a", dec(a)}, {"z", dec(z)}};
  if (t.options().timeBase != TimeBaseChoice::Fx) return t.appendGuarded("ZRST", kZrstT, fields);
  const std::optional<std::pair<int, int>> phases = t.timerPhases(a, z);
  if (!phases) return t.appendGuarded("ZRST", kZrstTFx, fields);
  fields.push_back({"first", dec(phases->first)});
  fields.push_back({"last", dec(phases->second)});
  t.appendGuarded("ZRST", kZrstTFxPhases, fields);
}

void translateZrst(TranslatorRun& t) {
  const std::optional<fx::Device> firstBit = decodeBitOperand(t, 1);
  const std::optional<fx::Device> lastBit = decodeBitOperand(t, 3);
  if (firstBit && lastBit && firstBit->letter == 'Y' && lastBit->letter == 'Y') {
    const int a = firstBit->number;
    const int z = lastBit->number;
    if (refusePair(t, a, ReasonKind::OutputBeyondPins, z, ReasonKind::OutputBeyondPins,
                   kFirmwareLastPoint))
      return;
    std::optional<CodeWriter> statement = t.guarded("ZRST", {});
    if (!statement) return;
    statement->line(kZrstYFirst);
    for (int j = a; j <= z; ++j) {
      for (const Field& field : outputFields(j)) statement->set(field.name, field.value);
      statement->line(t.outputsAtEnd() ? kZrstYImagePoint : kZrstYPoint);
    }
    t.appendStatement(statement->lines(kZrstYLast));
    for (int j = a; j <= z; ++j) t.noteOutputDriven(j);
    return;
  }
  if (firstBit && lastBit && firstBit->letter == lastBit->letter) {
    const int a = firstBit->number;
    const int z = lastBit->number;
    if (t.refuseDevices(firstBit->letter, a, z)) return;
    t.appendGuarded("ZRST", firstBit->letter == 'M' ? std::span(kZrstM) : std::span(kZrstS),
                    {{"a", dec(a)}, {"z", dec(z)}});
    return;
  }
  const std::optional<fx::WordOperand> first = decodeWordOperand(t, 1);
  const std::optional<fx::WordOperand> last = decodeWordOperand(t, 3);
  if (!first || !last || first->letter() != last->letter() || is(first, 'K')) return;
  const std::optional<long> a = registerOf(t, *first, "ZRST");
  const std::optional<long> z = a ? registerOf(t, *last, "ZRST") : std::nullopt;
  if (!a || !z) return;
  const Fields range = {{"a", dec(*a)}, {"z", dec(*z)}};
  if (is(first, 'C')) {
    t.appendGuarded("ZRST", kZrstC, range);
  } else if (is(first, 'T')) {
    translateZrstT(t, static_cast<int>(*a), static_cast<int>(*z));
  } else if (t.options().registersInXram && std::max(*a, *z) > kFirmwareLastRamRegister) {
    t.appendGuarded("ZRST", kZrstDLoop, range);
  } else if (!refusePair(t, *a, ReasonKind::RegisterBeyondRam, *z,
                         ReasonKind::ZrstRegisterBeyondRam, kFirmwareLastRamRegister)) {
    // zrstd clears registers in RAM only, not those in the EEPROM.
    t.appendGuarded("ZRST", kZrstD, range);
  }
}

void translateRstD(TranslatorRun& t) {
  const std::optional<fx::WordOperand> operand = decodeWordOperand(t, 1);
  if (!is(operand, 'D')) return;
  const std::optional<long> r = registerOf(t, *operand, "RST");
  if (!r) return;
  if (inRam(t, *r)) {
    t.appendGuarded("RST", kRstD, {{"r", dec(*r)}});
    return;
  }
  if (refuseBeyondEeprom(t, *r)) return;
  t.appendGuarded("RST", kRstEeprom, {{"r", dec(*r)}});
}

// MOV of any operands: digit groups, index registers, H constants, 32-bit values.
void translateMovOperands(TranslatorRun& t) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const std::optional<WordAccess> source = wordAccess(t, 0, name, "source", Use::Source);
  if (!source) return;
  const std::optional<WordAccess> target = wordAccess(t, 1, name, "destination", Use::Target);
  if (!target) return;
  if (t.operandSize() == 32) {
    t.useFeature(RuntimeFeature::Scratch);
    t.appendGuarded(name, kMovWide,
                    {{"value", source->value}, {"store", storeText(*target, "lv")}});
  } else {
    t.appendGuarded(name, kMovStore, {{"store", storeText(*target, source->value)}});
  }
  for (int n : target->outputs) t.noteOutputDriven(n);
}

// MOV between constants, counters, timers' current values and data registers.
void translateMov(TranslatorRun& t) {
  if (t.operandSize() == 32 || !isCompact(t, 1) || !isCompact(t, 3) ||
      is(decodeWordOperand(t, 3), 'K')) {
    translateMovOperands(t);
    return;
  }
  const std::optional<fx::WordOperand> source = decodeWordOperand(t, 1);
  const std::optional<fx::WordOperand> target = decodeWordOperand(t, 3);
  const bool toD = is(target, 'D');
  const bool toC = is(target, 'C');
  const bool toT = is(target, 'T');
  const bool fromK = is(source, 'K');
  const bool fromC = is(source, 'C');
  const bool fromD = is(source, 'D');
  const bool fromT = is(source, 'T');
  if (!(fromK || fromC || fromD || fromT) || !(toD || toC || toT)) return;

  // Source first, so that its message wins when both operands are out of range.
  std::string value;
  long s = 0;
  if (fromK) {
    value = dec(source->number());
  } else if (std::optional<std::string> special = specialSourceText(t, *source)) {
    value = *special;  // D8010..D8012
  } else if (t.stopped()) {
    return;
  } else {
    const std::optional<long> r = registerOf(t, *source, "MOV");
    if (!r) return;
    s = *r;
    value = fill(fromC ? "ct[{r}]" : fromT ? "tc[{r}]" : "d[{r}]", {{"r", dec(s)}});
  }
  const std::optional<long> r = registerOf(t, *target, "MOV");
  if (!r) return;
  const long d = *r;
  const bool sourceInEeprom = fromD && !inRam(t, s);
  const bool targetInEeprom = toD && !inRam(t, d);
  if (sourceInEeprom && refuseBeyondEeprom(t, s)) return;
  if (targetInEeprom && refuseBeyondEeprom(t, d)) return;

  const Fields fields = {{"value", value},
                         {"target", fill(toC   ? "ct[{r}]"
                                         : toT ? "tc[{r}]"
                                               : "d[{r}]",
                                         {{"r", dec(d)}})},
                         {"s", dec(s)},
                         {"t", dec(d)}};
  std::optional<CodeWriter> statement = t.guarded("MOV", fields);
  if (!statement) return;
  if (sourceInEeprom && targetInEeprom) {
    statement->lines(kMovEepromToEeprom);
  } else if (sourceInEeprom) {
    statement->lines(kMovFromEeprom);
  } else if (targetInEeprom) {
    statement->lines(kMovToEeprom);
    if (fromD) statement->line("");
  } else {
    statement->lines(kMov);
  }
  t.appendStatement(*statement);
}

}  // namespace

void translateAppliedInstructions(TranslatorRun& t) {
  constexpr fx::Layout kLayout = fx::Layout::WordOperands;
  if (t.stepIs(fx::row("ALT", kLayout))) {
    translateAlt(t);
  } else if (t.stepIs(fx::row("ZRST", kLayout))) {
    translateZrst(t);
  } else if (t.stepIs(fx::row("RST", kLayout))) {
    translateRstD(t);
  } else if (t.stepIs(fx::row("MOV", kLayout))) {
    translateMov(t);
  }
}

}  // namespace ladder51::detail
