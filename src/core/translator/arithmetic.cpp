// Arithmetic: ADD, SUB, MUL, DIV, INC and DEC, in their 16-bit, 32-bit (D) and pulse (P)
// forms. Each is one statement under the rung's condition. The 16-bit forms on constants and
// D, C and T registers keep their first, compact statements; other operands, the 32-bit forms
// and programs that read the flags M8020..M8022 compute through the scratch lv and the
// runtime's helpers.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// INC and DEC on a register: {r} the register, {op} "++" or "--", {step} "+1" or "-1". An
// EEPROM register is read into the scratch register d[16], changed by one and written back.
constexpr std::string_view kIncDecC[] = {"if({cond})ct[{r}]{op};", ""};
constexpr std::string_view kIncDecD[] = {"if({cond})d[{r}]{op};", ""};
constexpr std::string_view kIncDecEeprom[] = {
    "if({cond}){d[16]=ReData({r}*2);d[16]=d[16]+256*ReData({r}*2+1){step};",
    "WrData({r}*2,d[16]%256);WrData({r}*2+1,d[16]/256);}",
};

// ADD, SUB, MUL, DIV on 16-bit registers: {first} {op} {second} into {target}, with no line
// end; into an EEPROM register {r} through the scratch register d[16].
constexpr std::string_view kArithmetic[] = {"if({cond}){target}={first}{op}{second};"};
constexpr std::string_view kArithmeticToEeprom[] = {
    "if({cond}){d[16]={first}{op}{second};WrData({r}*2,d[16]%256);WrData({r}*2+1,d[16]/256);}",
};

// The other forms: {store} writes {value}; a 32-bit value goes through the scratch lv first.
constexpr std::string_view kStore[] = {"if({cond}){{store}}", ""};
constexpr std::string_view kWideStore[] = {"if({cond}){lv={value};{store}}", ""};
// With the flags read: flw sets M8020..M8022 from a 16-bit sum computed in 32 bits, addl and
// subl from a 32-bit one, lv+lw or lv-lw into lv.
constexpr std::string_view kFlaggedWord = "flw((long){first}{op}{second})";
constexpr std::string_view kFlaggedWide[] = {
    "if({cond}){lv={first};lw={second};{helper}();{store}}", ""};
// MUL: the 32-bit product into the target and the word after it (a group: its bits).
constexpr std::string_view kProduct[] = {"if({cond}){lv=(long){first}*{second};{store}}", ""};
constexpr std::string_view kWideProduct[] = {"if({cond}){lv={first}*{second};{store}}", ""};
// DIV: divl leaves the quotient in lv and the remainder in lw; nothing is written for a
// divisor 0 (the PLC's operation error).
constexpr std::string_view kQuotient[] = {
    "if({cond}){lv={first};lw={second};if(lw){divl();{store}}}", ""};
// By a constant other than 0.
constexpr std::string_view kConstantQuotient[] = {
    "if({cond}){lv={first};lw={second};divl();{store}}", ""};

struct Operation {
  std::string_view name;
  std::string_view op;
};
constexpr Operation kOperations[] = {{"ADD", "+"}, {"SUB", "-"}, {"MUL", "*"}, {"DIV", "/"}};

// True when each of the step's first `count` operands is a constant or a D, C or T register
// that the first statements of the 16-bit forms read.
bool compactOperands(const TranslatorRun& t, int count) {
  if (t.operandSize() != 16 || t.flagsRead()) return false;
  for (int k = 0; k < count; ++k) {
    if (!isCompact(t, 1 + 2 * k)) return false;
  }
  return true;
}

void translateIncDec(TranslatorRun& t, bool increment) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  if (compactOperands(t, 1)) {
    const std::optional<fx::WordOperand> operand = decodeWordOperand(t, 1);
    if (is(operand, 'C') || is(operand, 'D')) {
      const std::optional<long> r = registerOf(t, *operand, name);
      if (!r) return;
      const Fields fields = {
          {"r", dec(*r)}, {"op", increment ? "++" : "--"}, {"step", increment ? "+1" : "-1"}};
      if (is(operand, 'C')) {
        t.appendGuarded(name, kIncDecC, fields);
      } else if (inRam(t, *r)) {
        t.appendGuarded(name, kIncDecD, fields);
      } else if (!refuseBeyondEeprom(t, *r)) {
        t.appendGuarded(name, kIncDecEeprom, fields);
      }
      return;
    }
  }
  const std::optional<WordAccess> target = wordAccess(t, 0, name, "first", Use::Target);
  if (!target) return;
  const std::string value = target->value + (increment ? "+1" : "-1");
  if (t.operandSize() == 32) {
    t.useFeature(RuntimeFeature::Scratch);
    t.appendGuarded(name, kWideStore, {{"value", value}, {"store", storeText(*target, "lv")}});
  } else {
    t.appendGuarded(name, kStore, {{"store", storeText(*target, value)}});
  }
  for (int n : target->outputs) t.noteOutputDriven(n);
}

// The 16-bit forms on constants and registers, as they always were.
void translateCompact(TranslatorRun& t, const Operation& operation) {
  const std::string_view name = operation.name;
  const std::optional<std::string> first = sourceText(t, decodeWordOperand(t, 1), name, "first");
  if (!first) return;
  const std::optional<std::string> second = sourceText(t, decodeWordOperand(t, 3), name, "second");
  if (!second) return;
  const std::optional<fx::WordOperand> target = decodeWordOperand(t, 5);
  if (is(target, 'K')) {
    t.refuse(ReasonKind::ResultNotRegister, {{"instruction", std::string(name)}});
    return;
  }
  const std::optional<long> r = registerOf(t, *target, name);
  if (!r) return;
  std::string_view targetText = "d[{r}]";
  if (is(target, 'C')) {
    targetText = "ct[{r}]";
  } else if (is(target, 'T')) {
    targetText = "tc[{r}]";
  } else if (refuseBeyondEeprom(t, *r)) {
    return;
  }
  const bool toEeprom = is(target, 'D') && !inRam(t, *r);
  t.appendGuarded(name, toEeprom ? std::span(kArithmeticToEeprom) : std::span(kArithmetic),
                  {{"first", *first},
                   {"op", std::string(operation.op)},
                   {"second", *second},
                   {"r", dec(*r)},
                   {"target", fill(targetText, {{"r", dec(*r)}})}});
}

void translateArithmetic(TranslatorRun& t, const Operation& operation) {
  const bool product = operation.name == "MUL" || operation.name == "DIV";
  // MUL and DIV write 32 bits (a 32-bit product; a quotient and its remainder), which the
  // compact statements never did: they keep those only for a C or T target.
  if (compactOperands(t, 3)) {
    const std::optional<fx::WordOperand> target = decodeWordOperand(t, 5);
    if (!product || is(target, 'C') || is(target, 'T')) {
      translateCompact(t, operation);
      return;
    }
  }
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const bool wide = t.operandSize() == 32;
  if (wide || product || t.flagsRead()) t.useFeature(RuntimeFeature::Scratch);
  std::optional<WordAccess> first = wordAccess(t, 0, name, "first", Use::Source);
  if (!first) return;
  std::optional<WordAccess> second = wordAccess(t, 1, name, "second", Use::Source);
  if (!second) return;
  // Every 32-bit value is a long already; a 16-bit one is made an int where it may not be.
  const std::string a = wide ? first->value : signedWord(first->value);
  const std::string b = wide ? second->value : signedWord(second->value);
  std::vector<Field> fields = {{"first", a}, {"second", b}, {"op", std::string(operation.op)}};
  std::optional<WordAccess> target;
  if (operation.name == "MUL") {
    target = wordAccess(t, 2, name, "result", Use::Target, 32);
    if (!target) return;
    fields.push_back({"store", storeText(*target, "lv")});
    t.appendGuarded(name, wide ? std::span(kWideProduct) : std::span(kProduct), fields);
  } else if (operation.name == "DIV") {
    target = wordAccess(t, 2, name, "result", Use::Target);
    if (!target) return;
    // The remainder goes to the word (pair) after the quotient.
    const std::optional<WordAccess> remainder =
        wordAccess(t, 2, name, "result", Use::Target, 0, wide ? 2 : 1);
    if (!remainder) return;
    t.useFeature(RuntimeFeature::Division);
    fields.push_back({"store", storeText(*target, "lv") + storeText(*remainder, "lw")});
    const std::optional<fx::Operand> divisor = t.appliedOperand(1);
    const bool constant = divisor->format->payload == fx::Payload::Value && divisor->number != 0;
    t.appendGuarded(name, constant ? std::span(kConstantQuotient) : std::span(kQuotient), fields);
  } else {
    target = wordAccess(t, 2, name, "result", Use::Target);
    if (!target) return;
    std::string value = fill("{first}{op}{second}", fields);
    if (t.flagsRead() && wide) {
      t.useFeature(RuntimeFeature::FlaggedWideSums);
      fields.push_back({"helper", operation.name == "ADD" ? "addl" : "subl"});
      fields.push_back({"store", storeText(*target, "lv")});
      t.appendGuarded(name, kFlaggedWide, fields);
    } else if (wide) {
      t.appendGuarded(name, kWideStore, {{"value", value}, {"store", storeText(*target, "lv")}});
    } else {
      if (t.flagsRead()) {
        t.useFeature(RuntimeFeature::FlaggedWordSums);
        value = fill(kFlaggedWord, fields);
      }
      t.appendGuarded(name, kStore, {{"store", storeText(*target, value)}});
    }
  }
  for (int n : target->outputs) t.noteOutputDriven(n);
}

}  // namespace

void translateArithmetic(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  for (const Operation& operation : kOperations) {
    if (row->name == operation.name) translateArithmetic(t, operation);
  }
  if (row->name == "INC" || row->name == "DEC") {
    translateIncDec(t, row->name == "INC");
  }
}

}  // namespace ladder51::detail
