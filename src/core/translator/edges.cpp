// Edge contacts LDP, LDF, ANDP, ANDF, ORP, ORF: calls of the runtime's edge routines, which
// return 1 once after the device's edge. They join the rung's condition like contacts.
#include "core/translator/translator_run.h"

namespace ladder51::detail {
namespace {

struct EdgeClass {
  char letter;
  std::string_view routine;  // the routine is "ld" + "p"/"f" + routine letter
  int limit;
  std::string_view message;
};

constexpr EdgeClass kEdgeClasses[] = {
    {'X', "x", kFirmwareLastPoint, kXRange},
    {'M', "m", kFirmwareLastRelay, kMRange},
    {'Y', "y", kFirmwareLastPoint, kYRange},
    {'C', "c", kFirmwareLastCounter, kCRange},
    {'T', "t", kFirmwareLastTimerContact, kTContactRange},
};

struct EdgeInstruction {
  std::string_view name;
  bool rising;
};

constexpr EdgeInstruction kEdgeInstructions[] = {
    {"LDP", true}, {"ANDP", true}, {"ORP", true}, {"LDF", false}, {"ANDF", false}, {"ORF", false},
};

}  // namespace

void translateEdgeContacts(TranslatorRun& t) {
  for (const EdgeInstruction& instruction : kEdgeInstructions) {
    if (!t.stepIs(instruction.name, fx::Layout::DeviceWord)) continue;
    const std::optional<fx::Device> device = t.operandDevice(1);
    // M256 and up were noticed or refused by checkFollowingOperandClass; nothing is made here.
    if (!device || (device->letter == 'M' && device->number > 255)) return;
    for (const EdgeClass& edge : kEdgeClasses) {
      if (device->letter != edge.letter) continue;
      const int n = device->number;
      if (t.refuseAbove(n, edge.limit, edge.message)) return;
      const std::string call = "ld" + std::string(instruction.rising ? "p" : "f") +
                               std::string(edge.routine) + "(" + dec(n) + ")";
      if (instruction.name.starts_with("LD")) {
        t.push(call);
        return;
      }
      std::string* top = t.top(instruction.name);
      if (!top) return;
      std::string joiner = instruction.name.starts_with("AND") ? "&&" : "||";
      if (instruction.name == "ORP" && edge.letter == 'M') joiner = "|| ";  // as the tool writes it
      *top = "(" + *top + joiner + call + ")";
      return;
    }
    return;
  }
}

}  // namespace ladder51::detail
