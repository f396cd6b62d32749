// Comparisons into bits: CMP and ZCP write three consecutive Y, M or S bits from signed
// comparisons, BON one bit from a bit of a word. The compared values wait in the scratch lv and
// lw, so that each operand is read once; the bits are written in the statement itself, and the
// pins of outputs among them follow their images.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// {first} and {second} into lv and lw, then the bits' statements {bits}.
constexpr std::string_view kCompare[] = {"if({cond}){lv={first};lw={second};{bits}}", ""};
// ZCP: the zone's bounds into lv and lw; an upper bound below the lower one is taken as it.
constexpr std::string_view kZone[] = {"if({cond}){lv={first};lw={second};if(lw<lv)lw=lv;{bits}}",
                                      ""};
constexpr std::string_view kBitOf[] = {"if({cond}){{bits}}", ""};

struct Test {
  std::string_view cmp;  // CMP: S1 against S2
  std::string_view zcp;  // ZCP: S against the zone lv..lw, {s} its text
};
constexpr Test kTests[] = {
    {"lv>lw", "{s}<lv"},
    {"lv==lw", "{s}>=lv&&{s}<=lw"},
    {"lv<lw", "{s}>lw"},
};

std::string valueOf(const TranslatorRun& t, const WordAccess& access) {
  return t.operandSize() == 16 ? signedWord(access.value) : access.value;
}

void finish(TranslatorRun& t, const std::string& name, std::span<const std::string_view> lines,
            std::vector<Field> fields, const BitRange& bits, std::string text) {
  text += pinRefresh(bits.outputs);
  fields.push_back({"bits", text});
  t.appendGuarded(name, lines, fields);
  for (int n : bits.outputs) t.noteOutputDriven(n);
}

void translateCompare(TranslatorRun& t, bool zone) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  t.useFeature(RuntimeFeature::Scratch);
  const std::optional<WordAccess> first = wordAccess(t, 0, name, "first", Use::Source);
  if (!first) return;
  const std::optional<WordAccess> second = wordAccess(t, 1, name, "second", Use::Source);
  if (!second) return;
  std::optional<WordAccess> compared;
  if (zone) {
    compared = wordAccess(t, 2, name, "third", Use::Source);
    if (!compared) return;
  }
  const std::optional<BitRange> bits = bitRange(t, zone ? 3 : 2, 3, name, "result");
  if (!bits) return;
  std::string text;
  for (int j = 0; j < 3; ++j) {
    const std::string test =
        zone ? fill(kTests[j].zcp, {{"s", valueOf(t, *compared)}}) : std::string(kTests[j].cmp);
    text += bitWrite(*bits, j, test);
  }
  finish(t, name, zone ? std::span(kZone) : std::span(kCompare),
         {{"first", valueOf(t, *first)}, {"second", valueOf(t, *second)}}, *bits, text);
}

void translateBitOn(TranslatorRun& t) {
  const std::string name = fx::mnemonic(*t.step().instruction, t.step().variant);
  const std::optional<WordAccess> source = wordAccess(t, 0, name, "source", Use::Source);
  if (!source) return;
  const std::optional<BitRange> bit = bitRange(t, 1, 1, name, "result");
  if (!bit) return;
  const std::optional<long long> n = constantOf(t, 2, name, "bit number", 0, t.operandSize() - 1);
  if (!n) return;
  const std::string test = "(" + source->value + ">>" + dec(*n) + ")&1";
  finish(t, name, kBitOf, {}, *bit, bitWrite(*bit, 0, test));
}

}  // namespace

void translateCompareBits(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  if (row->name == "CMP" || row->name == "ZCP") translateCompare(t, row->name == "ZCP");
  if (row->name == "BON") translateBitOn(t);
}

}  // namespace ladder51::detail
