// Block moves: FMOV, BMOV, WSFR and WSFL on blocks of D, T or C words. The count is a constant,
// so each word's move is written out in the statement, through the operand layer that keeps
// every register where it lives (RAM, XRAM or the EEPROM) and refuses a block that runs past
// its table.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// The most words one statement moves: each is written out.
constexpr long long kMostWords = 64;

constexpr std::string_view kMoves[] = {"if({cond}){{moves}}", ""};
// FMOV: the value read once into lv.
constexpr std::string_view kFill[] = {"if({cond}){lv={value};{moves}}", ""};

// Word j of the block at operand k (j pairs on in the 32-bit form).
std::optional<WordAccess> element(TranslatorRun& t, int k, long long j, const std::string& name,
                                  std::string_view which, Use use) {
  const int words = t.operandSize() / 16;
  return wordAccess(t, k, name, which, use, 0, static_cast<int>(j) * words);
}

void translateFill(TranslatorRun& t, const std::string& name) {
  const std::optional<WordAccess> source = wordAccess(t, 0, name, "source", Use::Source);
  if (!source) return;
  const std::optional<long long> count = constantOf(t, 2, name, "count", 1, kMostWords);
  if (!count) return;
  std::string moves;
  std::vector<int> outputs;
  for (long long j = 0; j < *count; ++j) {
    const std::optional<WordAccess> target = element(t, 1, j, name, "destination", Use::Target);
    if (!target) return;
    moves += storeText(*target, "lv");
    outputs.insert(outputs.end(), target->outputs.begin(), target->outputs.end());
  }
  t.useFeature(RuntimeFeature::Scratch);
  t.appendGuarded(name, kFill, {{"value", source->value}, {"moves", moves}});
  for (int n : outputs) t.noteOutputDriven(n);
}

// A move of word `from` of the block at operand `source` to word `to` of the block at `target`.
struct Move {
  int source;  // operand
  long long from;
  int target;
  long long to;
};

// The moves in `order`, in one statement.
void appendMoves(TranslatorRun& t, const std::string& name, const std::vector<Move>& order) {
  std::string moves;
  std::vector<int> outputs;
  for (const Move& move : order) {
    const std::optional<WordAccess> from = element(
        t, move.source, move.from, name, move.source == 0 ? "source" : "destination", Use::Source);
    if (!from) return;
    const std::optional<WordAccess> to =
        element(t, move.target, move.to, name, "destination", Use::Target);
    if (!to) return;
    moves += storeText(*to, from->value);
    outputs.insert(outputs.end(), to->outputs.begin(), to->outputs.end());
  }
  t.appendGuarded(name, kMoves, {{"moves", moves}});
  for (int n : outputs) t.noteOutputDriven(n);
}

// BMOV S D n: when the blocks overlap with the source below, the words move from the top down,
// so that each is read before it is written over.
void translateBlockMove(TranslatorRun& t, const std::string& name) {
  const std::optional<long long> count = constantOf(t, 2, name, "count", 1, kMostWords);
  if (!count) return;
  const std::optional<fx::Operand> source = t.appliedOperand(0);
  const std::optional<fx::Operand> target = t.appliedOperand(1);
  const bool downward = source && target && source->format->letter == target->format->letter &&
                        source->number < target->number;
  std::vector<Move> order;
  for (long long j = 0; j < *count; ++j) {
    const long long k = downward ? *count - 1 - j : j;
    order.push_back({0, k, 1, k});
  }
  appendMoves(t, name, order);
}

// WSFR/WSFL S D n1 n2: the n1 words from D move n2 places towards D (R) or away from it (L), and
// the n2 words from S fill the places left free. The words move in the order that reads each
// before it is written over.
void translateWordShift(TranslatorRun& t, const std::string& name, bool right) {
  const std::optional<long long> length = constantOf(t, 2, name, "length", 1, kMostWords);
  if (!length) return;
  const std::optional<long long> by = constantOf(t, 3, name, "shift", 1, *length);
  if (!by) return;
  const long long kept = *length - *by;
  std::vector<Move> order;
  for (long long j = 0; j < kept; ++j) {
    order.push_back(right ? Move{1, j + *by, 1, j} : Move{1, kept - 1 - j, 1, *length - 1 - j});
  }
  for (long long j = 0; j < *by; ++j) order.push_back({0, j, 1, right ? kept + j : j});
  appendMoves(t, name, order);
}

}  // namespace

void translateDataMoves(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  const std::string name = fx::mnemonic(*row, t.step().variant);
  if (row->name == "FMOV") translateFill(t, name);
  if (row->name == "BMOV") translateBlockMove(t, name);
  if (row->name == "WSFR" || row->name == "WSFL") translateWordShift(t, name, row->name == "WSFR");
}

}  // namespace ladder51::detail
