// Word logic and conversions: WAND, WOR, WXOR, CML, NEG, XCH, BCD, BIN and SUM, in their 16-bit
// and 32-bit (D) forms, and SMOV. Each is one statement under the rung's condition; the conversions
// work in the statement itself through the scratch lv and lw, since a routine would need room in
// the direct RAM the runtime has filled.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// {store} writes {value}; a 32-bit value goes through the scratch lv first.
constexpr std::string_view kStore[] = {"if({cond}){{store}}", ""};
constexpr std::string_view kWideStore[] = {"if({cond}){lv={value};{store}}", ""};
// XCH: the first operand waits in lw, the second in lv.
constexpr std::string_view kExchange[] = {"if({cond}){lw={first};lv={second};{store}}", ""};
// BCD: the decimal digits of lv into lw, each counted out by subtracting its power of ten
// ({digits}, from the highest); a value outside 0..{most} is an operation error, which leaves
// the target as it was. BIN: each digit of lv from the lowest, counted down into lw in steps of
// its power of ten; a digit above 9 leaves lw -1 and the target as it was. Each step is a simple
// assignment of lv or lw: a value held between two steps would take a temporary in the direct RAM
// the runtime has filled, in each scan function that needs one.
constexpr std::string_view kBcd[] = {
    "if({cond}){lv={value};if(lv>=0&&lv<={most}){lw=0;{digits}lw+=lv;{store}}}",
    "",
};
constexpr std::string_view kBcdDigit = "while(lv>={power}){lv-={power};lw+=0x{digit}L;}";
constexpr std::string_view kBin[] = {"if({cond}){lv={value};lw=0;{digits}if(lw>=0){{store}}}", ""};
constexpr std::string_view kBinDigit =
    "if(lw>=0){if((lv&15)>9)lw=-1;else while(lv&15){lv--;lw+={power};}}"
    "lv=(unsigned long)lv>>4;";
// SUM: the bits of lv that are on, counted in lw; {flag} sets M8020 when there are none.
constexpr std::string_view kSum[] = {
    "if({cond}){lv={value};lw=0;while(lv){if(lv&1)lw++;lv=(unsigned long)lv>>1;}{store}{flag}}",
    "",
};
constexpr std::string_view kZeroFlag = "if(lw)m8020&=0xfe;else m8020|=0x01;";
// SMOV S m1 m2 D n: the target's BCD digits into lw, those it takes cleared ({keep}); the source's
// digits counted out into the places they move to ({moved}: a digit that does not move is only
// taken off lv); lw converted back to binary. A source or target outside 0..9999 is an operation
// error, which leaves the target as it was.
constexpr std::string_view kShiftMove[] = {
    "if({cond}){lv={source};if(lv>=0&&lv<=9999){lv={target};if(lv>=0&&lv<=9999){lw=0;{digits}"
    "lw+=lv;lw&={keep};lv={source};{moved}lv=lw;lw=0;{binary}{store}}}}",
    "",
};
constexpr std::string_view kTakeDigit = "while(lv>={power})lv-={power};";

struct Logic {
  std::string_view name;
  std::string_view op;
};
constexpr Logic kLogic[] = {{"WAND", "&"}, {"WOR", "|"}, {"WXOR", "^"}};

// The bits operand k holds: a digit group's own, else the step's size.
int widthOf(const TranslatorRun& t, int k) {
  const std::optional<fx::Operand> operand = t.appliedOperand(k);
  if (operand && operand->format->payload == fx::Payload::Group) return 4 * operand->digits;
  return t.operandSize();
}

void store(TranslatorRun& t, const std::string& name, const WordAccess& target,
           const std::string& value) {
  if (t.operandSize() == 32) {
    t.useFeature(RuntimeFeature::Scratch);
    t.appendGuarded(name, kWideStore, {{"value", value}, {"store", storeText(target, "lv")}});
  } else {
    t.appendGuarded(name, kStore, {{"store", storeText(target, value)}});
  }
  for (int n : target.outputs) t.noteOutputDriven(n);
}

// WAND, WOR, WXOR: the first and second operands into the third.
void translateLogic(TranslatorRun& t, std::string_view op) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const std::optional<WordAccess> first = wordAccess(t, 0, name, "first", Use::Source);
  if (!first) return;
  const std::optional<WordAccess> second = wordAccess(t, 1, name, "second", Use::Source);
  if (!second) return;
  const std::optional<WordAccess> target = wordAccess(t, 2, name, "result", Use::Target);
  if (!target) return;
  store(t, name, *target, "(" + first->value + std::string(op) + second->value + ")");
}

// CML S D (the bits inverted) and NEG D (in place).
void translateUnary(TranslatorRun& t, bool negate) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const std::optional<WordAccess> source =
      wordAccess(t, 0, name, negate ? "first" : "source", negate ? Use::Target : Use::Source);
  if (!source) return;
  std::optional<WordAccess> target = source;
  if (!negate) target = wordAccess(t, 1, name, "destination", Use::Target);
  if (!target) return;
  store(t, name, *target, (negate ? "-" : "~") + source->value);
}

void translateExchange(TranslatorRun& t) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const std::optional<WordAccess> first = wordAccess(t, 0, name, "first", Use::Target);
  if (!first) return;
  const std::optional<WordAccess> second = wordAccess(t, 1, name, "second", Use::Target);
  if (!second) return;
  t.useFeature(RuntimeFeature::Scratch);
  t.appendGuarded(name, kExchange,
                  {{"first", first->value},
                   {"second", second->value},
                   {"store", storeText(*first, "lv") + storeText(*second, "lw")}});
  for (int n : first->outputs) t.noteOutputDriven(n);
  for (int n : second->outputs) t.noteOutputDriven(n);
}

// BCD, BIN and SUM: the source's digits or bits into lw, stored in the target.
void translateConversion(TranslatorRun& t, std::string_view kind) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const std::optional<WordAccess> source = wordAccess(t, 0, name, "source", Use::Source);
  if (!source) return;
  const std::optional<WordAccess> target = wordAccess(t, 1, name, "destination", Use::Target);
  if (!target) return;
  t.useFeature(RuntimeFeature::Scratch);
  const bool wide = t.operandSize() == 32;
  std::vector<Field> fields = {{"store", storeText(*target, "lw")}, {"flag", ""}};
  std::span<const std::string_view> lines = kSum;
  std::string digits;
  if (kind == "BCD") {
    lines = kBcd;
    fields.push_back({"value", wide ? source->value : signedWord(source->value)});
    fields.push_back({"most", wide ? "99999999L" : "9999"});
    long power = t.operandSize() == 32 ? 10000000L : 1000L;
    for (int shift = t.operandSize() - 4; shift > 0; shift -= 4, power /= 10) {
      digits += fill(kBcdDigit, {{"power", dec(power) + "L"}, {"digit", hex(1ull << shift)}});
    }
  } else {
    // A 16-bit word read without its sign, so that only its own bits are counted or converted.
    fields.push_back({"value", wide ? source->value : "(unsigned int)" + source->value});
    if (kind == "BIN") {
      lines = kBin;
      long power = 1;
      for (int shift = 0; shift < widthOf(t, 0); shift += 4, power *= 10) {
        digits += fill(kBinDigit, {{"power", dec(power) + "L"}});
      }
    }
    if (kind == "SUM" && t.flagsRead()) {
      t.useFeature(RuntimeFeature::Flags);
      fields[1].value = kZeroFlag;
    }
  }
  fields.push_back({"digits", digits});
  t.appendGuarded(name, lines, fields);
  for (int n : target->outputs) t.noteOutputDriven(n);
}

// SMOV S m1 m2 D n: the m2 decimal digits of S from digit m1 down replace those of D from digit
// n down (digit 1 the lowest).
void translateShiftMove(TranslatorRun& t) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const std::optional<WordAccess> source = wordAccess(t, 0, name, "source", Use::Source);
  if (!source) return;
  const std::optional<long long> first = constantOf(t, 1, name, "first digit", 1, 4);
  if (!first) return;
  const std::optional<long long> count = constantOf(t, 2, name, "count", 1, 4);
  if (!count) return;
  const std::optional<WordAccess> target = wordAccess(t, 3, name, "destination", Use::Target);
  if (!target) return;
  const std::optional<long long> at = constantOf(t, 4, name, "destination digit", 1, 4);
  if (!at) return;
  if (*count > *first || *count > *at) {
    t.refuse(ReasonKind::ShiftMoveDigits,
             {{"count", dec(*count)}, {"first", dec(*first)}, {"at", dec(*at)}});
    return;
  }
  t.useFeature(RuntimeFeature::Scratch);
  std::string digits;
  std::string moved;
  std::string binary;
  unsigned long long taken = 0;
  long power = 1000;
  for (int digit = 4; digit >= 1; --digit, power /= 10) {
    const std::string powerText = dec(power) + "L";
    if (digit > 1) {
      digits += fill(kBcdDigit, {{"power", powerText}, {"digit", hex(1ull << 4 * (digit - 1))}});
    }
    binary = fill(kBinDigit, {{"power", dec(power) + "L"}}) + binary;
    if (digit > *first || digit <= *first - *count) {
      if (digit > *first) moved += fill(kTakeDigit, {{"power", powerText}});
      continue;
    }
    const int place = static_cast<int>(*at - (*first - digit)) - 1;  // 0: the lowest
    taken |= 0xFull << 4 * place;
    moved += fill(kBcdDigit, {{"power", powerText}, {"digit", hex(1ull << 4 * place)}});
  }
  t.appendGuarded(name, kShiftMove,
                  {{"source", signedWord(source->value)},
                   {"target", signedWord(target->value)},
                   {"digits", digits},
                   {"keep", "0x" + hex(~taken & 0xFFFF) + "L"},
                   {"moved", moved},
                   {"binary", binary},
                   {"store", storeText(*target, "lw")}});
  for (int n : target->outputs) t.noteOutputDriven(n);
}

}  // namespace

void translateWordLogic(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  for (const Logic& logic : kLogic) {
    if (row->name == logic.name) translateLogic(t, logic.op);
  }
  if (row->name == "CML" || row->name == "NEG") translateUnary(t, row->name == "NEG");
  if (row->name == "XCH") translateExchange(t);
  if (row->name == "BCD" || row->name == "BIN" || row->name == "SUM") {
    translateConversion(t, row->name);
  }
  if (row->name == "SMOV") translateShiftMove(t);
}

}  // namespace ladder51::detail
