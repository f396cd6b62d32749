// Edge contacts LDP, LDF, ANDP, ANDF, ORP, ORF: calls of the runtime's edge routines, which
// return 1 once after the device's edge. They join the rung's condition like contacts.
#include "core/translator/translator_run.h"

namespace ladder51::detail {
namespace {

struct EdgeClass {
  int operandClass;
  std::string_view letter;  // the routine is "ld" + "p"/"f" + letter
  int limit;
  std::string_view message;
};

// Tried in this order.
constexpr EdgeClass kEdgeClasses[] = {
    {0x84, "x", kMaxPoint, kXRange},
    {0x88, "m", kMaxRelay, kMRange},
    {0x85, "y", kMaxPoint, kYRange},
    {0x8E, "c", kMaxCounter, kCRange},
    {0x86, "t", kMaxTimerContact, kTContactRange},
};

struct EdgeInstruction {
  int low;
  std::string_view name;
  bool rising;
};

constexpr EdgeInstruction kEdgeInstructions[] = {
    {0xCA, "LDP", true},  {0xCC, "ANDP", true},  {0xCE, "ORP", true},
    {0xCB, "LDF", false}, {0xCD, "ANDF", false}, {0xCF, "ORF", false},
};

}  // namespace

void translateEdgeContacts(TranslatorRun& t) {
  if (t.at(1) != 0x01) return;
  for (const EdgeClass& edge : kEdgeClasses) {
    if (t.at(3) != edge.operandClass) continue;
    for (const EdgeInstruction& instruction : kEdgeInstructions) {
      if (t.at(0) != instruction.low) continue;
      const int n = t.value(2);
      if (t.refuseAbove(n, edge.limit, edge.message)) return;
      const std::string call = "ld" + std::string(instruction.rising ? "p" : "f") +
                               std::string(edge.letter) + "(" + dec(n) + ")";
      if (instruction.name.starts_with("LD")) {
        t.push(call);
        return;
      }
      std::string* top = t.top(instruction.name);
      if (!top) return;
      std::string joiner = instruction.name.starts_with("AND") ? "&&" : "||";
      if (instruction.name == "ORP" && edge.letter == "m") joiner = "|| ";  // as the tool writes it
      *top = "(" + *top + joiner + call + ")";
      return;
    }
  }
}

}  // namespace ladder51::detail
