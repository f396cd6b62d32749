// Comparison contacts LD=, LD>=, LD>, LD<, LD<= and their AND and OR forms: calls of the
// runtime's ldequ(first, second, mode), which join the rung's condition like contacts.
#include <array>

#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// Low bytes of the LD forms, in the order of the mode numbers 1..5 (=, >=, >, <, <=).
// The AND forms add 0x10, the OR forms 0x20.
constexpr std::array<int, 5> kLoadCodes = {0xD0, 0xDC, 0xD2, 0xD4, 0xDA};
constexpr std::array<std::string_view, 5> kSymbols = {"=", ">=", ">", "<", "<="};
constexpr std::array<std::string_view, 3> kForms = {"LD", "AND", "OR"};

}  // namespace

void translateComparisons(TranslatorRun& t) {
  if (t.at(1) != 0x01) return;
  for (std::size_t form = 0; form < kForms.size(); ++form) {
    for (std::size_t mode = 0; mode < kLoadCodes.size(); ++mode) {
      if (t.at(0) != kLoadCodes[mode] + 0x10 * static_cast<int>(form)) continue;
      const std::string name = std::string(kForms[form]) + std::string(kSymbols[mode]);
      const std::optional<std::string> first =
          sourceText(t, decodeWordOperand(t, 2), name, "first");
      if (!first) return;
      const std::optional<std::string> second =
          sourceText(t, decodeWordOperand(t, 6), name, "second");
      if (!second) return;
      const std::string number = dec(static_cast<long long>(mode) + 1);
      if (form == 0) {
        t.push("ldequ(" + *first + "," + *second + "," + number + ")");
        return;
      }
      std::string* top = t.top(name);
      if (!top) return;
      *top = "(" + *top + (form == 1 ? "&&" : "||") + "ldequ(" + *first + ", " + *second + ", " +
             number + "))";
      return;
    }
  }
}

}  // namespace ladder51::detail
