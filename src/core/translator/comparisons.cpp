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
  std::string_view text;
};
constexpr Form kForms[] = {
    {"LD", "ldequ({first},{second},{mode})"},
    {"AND", "({top}&&ldequ({first}, {second}, {mode}))"},
    {"OR", "({top}||ldequ({first}, {second}, {mode}))"},
};

}  // namespace

void translateComparisons(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::WordOperands) return;
  for (const Form& form : kForms) {
    for (std::size_t mode = 0; mode < kSymbols.size(); ++mode) {
      const std::string name = std::string(form.name) + std::string(kSymbols[mode]);
      if (row->name != name) continue;
      const std::optional<std::string> first =
          sourceText(t, decodeWordOperand(t, 1), name, "first");
      if (!first) return;
      const std::optional<std::string> second =
          sourceText(t, decodeWordOperand(t, 3), name, "second");
      if (!second) return;
      const std::string number = dec(static_cast<long long>(mode) + 1);
      if (form.name == "LD") {
        t.push(fill(form.text, {{"first", *first}, {"second", *second}, {"mode", number}}));
        return;
      }
      std::string* top = t.top(name);
      if (!top) return;
      *top = fill(form.text,
                  {{"top", *top}, {"first", *first}, {"second", *second}, {"mode", number}});
      return;
    }
  }
}

}  // namespace ladder51::detail
