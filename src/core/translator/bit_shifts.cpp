// Rotations and bit strings: ROR and ROL (16 and 32 bits, the last bit out in the carry M8022),
// SFTR and SFTL (a string of Y, M or S bits shifted, filled from bits of X, Y, M or S), DECO and
// ENCO. Everything is computed in the statement through lv and lw; strings and bit sources of up
// to 32 bits are read and written with the images' group routines.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// ROR/ROL: {value} rotated in lv, the bits shifted out gathered in lw, the carry {carry} taken
// from the result before {store} (which may shift lv out). Each step is a simple assignment: a
// value held between two steps would take a temporary in the direct RAM the runtime has filled,
// in each scan function that needs one.
constexpr std::string_view kRotate[] = {
    "if({cond}){lv={value};lw=(unsigned long)lv{other}{m};lv=(unsigned long)lv{one}{n};lv|=lw;"
    "{mask}{carry}{store}}",
    "",
};
constexpr std::string_view kCarry = "if(lv&{bit})m8020|=0x04;else m8020&=0xfb;";

// SFTL/SFTR on strings of up to 32 bits: the fill bits {fill} read into lw first (the source
// may lie in the string), the kept bits read with the fill into lv, and the string written
// back ({pins} the outputs' pins after it). No loop counter: it would take a byte of the direct
// RAM the runtime has filled in each scan function that uses one.
constexpr std::string_view kShiftLeft[] = {
    "if({cond}){lw={fill};lv={kept};lv=(unsigned long)lv<<{by};lv|=lw;gw{image}({first},{length});"
    "{pins}}",
    "",
};
constexpr std::string_view kShiftRight[] = {
    "if({cond}){lw={fill};lw=(unsigned long)lw<<{count};lv={kept};lv|=lw;gw{image}({first},"
    "{length});{pins}}",
    "",
};
constexpr std::string_view kKept = "gr{image}({first},{count})";

// DECO: the bit the code {code} selects set in lv, then written to the 2^n bits from {first},
// or to the word.
constexpr std::string_view kDecodeBits[] = {
    "if({cond}){lw={code};lv=1;while(lw){lw--;lv=(unsigned long)lv<<1;}gw{image}({first},{count});"
    "{pins}}",
    "",
};
constexpr std::string_view kDecodeWord[] = {
    "if({cond}){lw={code};lv=1;while(lw){lw--;lv=(unsigned long)lv<<1;}{store}}", ""};
// ENCO: the number of the highest bit of lv on into lw; none on (lw -1) leaves the target as it
// was.
constexpr std::string_view kEncode[] = {
    "if({cond}){lv={bits};lw=-1;while(lv){lw++;lv=(unsigned long)lv>>1;}if(lw>=0){{store}}}", ""};
// The inputs from X{n} as the bits of a value, each as its contact reads it.
constexpr std::string_view kInputBit = "(inx({n})?0:0x{bit}UL)";

// Strings, codes and bit sources of up to 32 bits go through lv.
constexpr long long kMostBits = 32;

bool isBit(const std::optional<fx::Operand>& operand) {
  return operand && operand->format->payload == fx::Payload::Address;
}

int widthOf(const TranslatorRun& t, const std::optional<fx::Operand>& operand) {
  if (operand && operand->format->payload == fx::Payload::Group) return 4 * operand->digits;
  return t.operandSize();
}

// The value of `count` (at most 32) bits from operand k: X inputs read as their contacts read
// them, Y, M and S bits from their images. Empty after a refusal.
std::string bitsValue(TranslatorRun& t, int k, int count, const std::string& name) {
  const std::optional<fx::Operand> operand = t.appliedOperand(k);
  if (isBit(operand) && operand->format->letter == 'X' && operand->index == 0) {
    const int first = static_cast<int>(operand->number);
    if (t.refuseDevice('X', first + count - 1, true)) return "";
    std::string value;
    for (int j = 0; j < count; ++j) {
      t.noteInputRead(first + j);
      value +=
          (j == 0 ? "(" : "|") + fill(kInputBit, {{"n", dec(first + j)}, {"bit", hex(1ull << j)}});
    }
    return value + ")";
  }
  const std::optional<BitRange> bits = bitRange(t, k, count, name, "source");
  if (!bits) return "";
  return fill(kKept, {{"image", bits->image}, {"first", dec(bits->first)}, {"count", dec(count)}});
}

void translateRotate(TranslatorRun& t, const std::string& name, bool right) {
  const std::optional<WordAccess> target = wordAccess(t, 0, name, "first", Use::Target);
  if (!target) return;
  const int width = widthOf(t, t.appliedOperand(0));
  const std::optional<long long> n = constantOf(t, 1, name, "count", 1, width);
  if (!n) return;
  t.useFeature(RuntimeFeature::Scratch);
  const long long r = *n % width;
  const unsigned long long mask = width == 32 ? 0xFFFFFFFFull : (1ull << width) - 1;
  std::vector<Field> fields = {
      // Only the operand's own bits take part (a 16-bit word read as an int has a sign).
      {"value", width == 32 ? target->value : "(" + target->value + ")&0x" + hex(mask) + "UL"},
      {"one", right ? ">>" : "<<"},
      {"n", dec(r)},
      {"other", right ? "<<" : ">>"},
      {"m", dec(r == 0 ? 0 : width - r)},
      {"mask", width == 32 ? "" : "lv&=0x" + hex(mask) + "UL;"},
      {"store", storeText(*target, "lv")},
      {"carry", ""},
  };
  if (t.flagsRead()) {
    t.useFeature(RuntimeFeature::Flags);
    // The last bit out is the result's top bit (right) or its lowest (left).
    fields.back().value =
        fill(kCarry, {{"bit", right ? "0x" + hex(1ull << (width - 1)) + "UL" : std::string("1")}});
  }
  t.appendGuarded(name, kRotate, fields);
  for (int n : target->outputs) t.noteOutputDriven(n);
}

void translateBitShift(TranslatorRun& t, const std::string& name, bool right) {
  const std::optional<long long> length = constantOf(t, 2, name, "length", 1, kMostBits);
  if (!length) return;
  const std::optional<long long> by = constantOf(t, 3, name, "shift", 1, *length);
  if (!by) return;
  const std::string source = bitsValue(t, 0, static_cast<int>(*by), name);
  if (source.empty()) return;
  const std::optional<BitRange> bits =
      bitRange(t, 1, static_cast<int>(*length), name, "destination");
  if (!bits) return;
  const long long kept = *length - *by;
  const Fields keptFields = {{"image", bits->image},
                             {"first", dec(bits->first + (right ? *by : 0))},
                             {"count", dec(kept)}};
  t.appendGuarded(name, right ? std::span(kShiftRight) : std::span(kShiftLeft),
                  {{"fill", source},
                   {"kept", kept == 0 ? "0" : fill(kKept, keptFields)},
                   {"by", dec(*by)},
                   {"count", dec(kept)},
                   {"image", bits->image},
                   {"first", dec(bits->first)},
                   {"length", dec(*length)},
                   {"pins", pinRefresh(bits->outputs)}});
  for (int n : bits->outputs) t.noteOutputDriven(n);
}

// DECO S D n: the code is the low n bits of S, or the n bits from S; it selects one of the 2^n
// bits from D (n up to 5) or of the word D (n up to 4).
void translateDecode(TranslatorRun& t, const std::string& name) {
  const bool toBits = isBit(t.appliedOperand(1));
  const std::optional<long long> n = constantOf(t, 2, name, "bit count", 1, toBits ? 5 : 4);
  if (!n) return;
  const int count = 1 << *n;
  std::string code;
  if (isBit(t.appliedOperand(0))) {
    code = bitsValue(t, 0, static_cast<int>(*n), name);
    if (code.empty()) return;
  } else {
    const std::optional<WordAccess> source = wordAccess(t, 0, name, "source", Use::Source);
    if (!source) return;
    code = "(" + source->value + ")&" + dec(count - 1);
  }
  t.useFeature(RuntimeFeature::Scratch);
  if (!toBits) {
    const std::optional<WordAccess> target = wordAccess(t, 1, name, "destination", Use::Target);
    if (!target) return;
    t.appendGuarded(name, kDecodeWord, {{"code", code}, {"store", storeText(*target, "lv")}});
    for (int k : target->outputs) t.noteOutputDriven(k);
    return;
  }
  const std::optional<BitRange> bits = bitRange(t, 1, count, name, "destination");
  if (!bits) return;
  t.appendGuarded(name, kDecodeBits,
                  {{"code", code},
                   {"count", dec(count)},
                   {"image", bits->image},
                   {"first", dec(bits->first)},
                   {"pins", pinRefresh(bits->outputs)}});
  for (int k : bits->outputs) t.noteOutputDriven(k);
}

// ENCO S D n: among the 2^n bits from S (n up to 5), or the low 2^n bits of the word S (n up
// to 4).
void translateEncode(TranslatorRun& t, const std::string& name) {
  const bool fromBits = isBit(t.appliedOperand(0));
  const std::optional<long long> n = constantOf(t, 2, name, "bit count", 1, fromBits ? 5 : 4);
  if (!n) return;
  const int count = 1 << *n;
  std::string bits;
  if (fromBits) {
    bits = bitsValue(t, 0, count, name);
    if (bits.empty()) return;
  } else {
    const std::optional<WordAccess> source = wordAccess(t, 0, name, "source", Use::Source);
    if (!source) return;
    bits = "(" + source->value + ")&0x" + hex((1ull << count) - 1) + "UL";
  }
  const std::optional<WordAccess> target = wordAccess(t, 1, name, "destination", Use::Target);
  if (!target) return;
  t.useFeature(RuntimeFeature::Scratch);
  t.appendGuarded(name, kEncode, {{"bits", bits}, {"store", storeText(*target, "lw")}});
  for (int k : target->outputs) t.noteOutputDriven(k);
}

}  // namespace

void translateBitShifts(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  const std::string name = fx::mnemonic(*row, t.step().variant);
  if (row->name == "ROR" || row->name == "ROL") translateRotate(t, name, row->name == "ROR");
  if (row->name == "SFTR" || row->name == "SFTL") translateBitShift(t, name, row->name == "SFTR");
  if (row->name == "DECO") translateDecode(t, name);
  if (row->name == "ENCO") translateEncode(t, name);
}

}  // namespace ladder51::detail
