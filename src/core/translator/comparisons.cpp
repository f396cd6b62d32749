// Comparison contacts LD, AND and OR with =, >=, >, <, <= and <>, in 16 and 32 bits. The 16-bit
// ones call the runtime's ldequ(first, second, mode), which compares signed values; <> is the
// inverse of =. The 32-bit ones compare long values in place. All join the rung's condition
// like contacts.
#include <array>

#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// The comparisons: ldequ's mode numbers 1..5, and <>, which inverts mode 1; {c} the C operator
// of the 32-bit forms.
struct Comparison {
  std::string_view symbol;
  int mode;
  bool inverse;
  std::string_view c;
};
constexpr Comparison kComparisons[] = {
    {"=", 1, false, "=="}, {">=", 2, false, ">="}, {">", 3, false, ">"},
    {"<", 4, false, "<"},  {"<=", 5, false, "<="}, {"<>", 1, true, "!="},
};
constexpr std::string_view kInverse = "(!{call})";
constexpr std::string_view kInPlace = "({first}{c}{second})";

// LD pushes the call; AND and OR join it to the condition {top}, with a blank after each comma.
struct Form {
  std::string_view name;
  std::string_view call;
  std::string_view join;  // empty: a new condition
};
constexpr Form kForms[] = {
    {"LD", "ldequ({first},{second},{mode})", ""},
    {"AND", "ldequ({first}, {second}, {mode})", "({top}&&{call})"},
    {"OR", "ldequ({first}, {second}, {mode})", "({top}||{call})"},
};

// The registers an operand reads ("D5", "C1"), for the evaluation plan.
void addRegister(std::vector<std::string>& devices, const std::optional<fx::Operand>& operand,
                 int size) {
  if (!operand || operand->format->payload == fx::Payload::Value) return;
  const std::string letter(1, operand->format->letter);
  if (operand->format->payload == fx::Payload::Group) {
    for (int k = 0; k < 4 * operand->digits; ++k)
      devices.push_back(letter + dec(operand->number + k));
    return;
  }
  devices.push_back(letter + dec(operand->number));
  if (size == 32 && operand->format->payload == fx::Payload::Offset) {
    devices.push_back(letter + dec(operand->number + 1));
  }
}

// The operands' texts: the first statements' for 16-bit constants and registers (which ldequ
// compares), else those of every kind (compared in place).
bool compact(const TranslatorRun& t) {
  return t.operandSize() == 16 && isCompact(t, 1) && isCompact(t, 3);
}

std::optional<std::pair<std::string, std::string>> operandTexts(TranslatorRun& t,
                                                                const std::string& name) {
  if (compact(t)) {
    const std::optional<std::string> first = sourceText(t, decodeWordOperand(t, 1), name, "first");
    if (!first) return std::nullopt;
    const std::optional<std::string> second =
        sourceText(t, decodeWordOperand(t, 3), name, "second");
    if (!second) return std::nullopt;
    return std::pair{*first, *second};
  }
  const std::optional<WordAccess> first = wordAccess(t, 0, name, "first", Use::Source);
  if (!first) return std::nullopt;
  const std::optional<WordAccess> second = wordAccess(t, 1, name, "second", Use::Source);
  if (!second) return std::nullopt;
  if (t.operandSize() == 16) return std::pair{signedWord(first->value), signedWord(second->value)};
  return std::pair{first->value, second->value};
}

}  // namespace

void translateComparisons(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  for (const Form& form : kForms) {
    for (const Comparison& comparison : kComparisons) {
      if (row->name != std::string(form.name) + std::string(comparison.symbol)) continue;
      const std::string name = fx::mnemonic(*row, t.step().variant);
      const std::optional<std::pair<std::string, std::string>> operands = operandTexts(t, name);
      if (!operands) return;
      std::string text;
      if (!compact(t)) {
        text = fill(kInPlace, {{"first", operands->first},
                               {"c", std::string(comparison.c)},
                               {"second", operands->second}});
      } else {
        text = fill(form.call, {{"first", operands->first},
                                {"second", operands->second},
                                {"mode", dec(comparison.mode)}});
        if (comparison.inverse) text = fill(kInverse, {{"call", text}});
      }
      std::vector<std::string> devices;
      addRegister(devices, t.appliedOperand(0), t.operandSize());
      addRegister(devices, t.appliedOperand(1), t.operandSize());
      const std::string call = t.contactResult(text, std::move(devices));
      if (form.join.empty()) {
        t.push(call);
      } else {
        std::string* top = t.top(name);
        if (!top) return;
        *top = fill(form.join, {{"top", *top}, {"call", call}});
      }
      t.noteRead();
      return;
    }
  }
}

}  // namespace ladder51::detail
