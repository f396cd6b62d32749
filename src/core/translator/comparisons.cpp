// Comparison contacts LD=, LD>=, LD>, LD<, LD<= and their AND and OR forms: calls of the
// runtime's ldequ(first, second, mode), which join the rung's condition like contacts.
#include <array>

#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// The comparisons in the order of the mode numbers 1..5 of ldequ.
constexpr std::array<std::string_view, 5> kSymbols = {"=", ">=", ">", "<", "<="};

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
void addRegister(std::vector<std::string>& devices, const std::optional<fx::WordOperand>& operand) {
  if (operand && operand->letter() != 'K') {
    devices.push_back(std::string(1, operand->letter()) + dec(operand->number()));
  }
}

}  // namespace

void translateComparisons(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  for (const Form& form : kForms) {
    for (std::size_t mode = 0; mode < kSymbols.size(); ++mode) {
      const std::string name = std::string(form.name) + std::string(kSymbols[mode]);
      if (row->name != name) continue;
      const std::optional<fx::WordOperand> firstOperand = decodeWordOperand(t, 1);
      const std::optional<std::string> first = sourceText(t, firstOperand, name, "first");
      if (!first) return;
      const std::optional<fx::WordOperand> secondOperand = decodeWordOperand(t, 3);
      const std::optional<std::string> second = sourceText(t, secondOperand, name, "second");
      if (!second) return;
      std::vector<std::string> devices;
      addRegister(devices, firstOperand);
      addRegister(devices, secondOperand);
      const std::string call =
          t.contactResult(fill(form.call, {{"first", *first},
                                           {"second", *second},
                                           {"mode", dec(static_cast<long long>(mode) + 1)}}),
                          std::move(devices));
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
