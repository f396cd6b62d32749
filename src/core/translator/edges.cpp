// Edge contacts LDP, LDF, ANDP, ANDF, ORP, ORF: calls of the runtime's edge routines, which
// return 1 once after the device's edge, or results evaluated where the contact stands
// (EdgeForm). They join the rung's condition like contacts.
#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

struct EdgeClass {
  char letter;
  std::string_view routine;  // the letter that ends the routine names, {routine} of kCall
  int lastInRoutine;         // the highest device whose memory the routine keeps
};

// S states have no routine: their edges keep memories of their own, as do the devices above
// the routines' memory tables.
constexpr EdgeClass kEdgeClasses[] = {
    {'X', "x", kFirmwareLastPoint},    {'M', "m", kLastRoutineEdgeRelay},
    {'Y', "y", kFirmwareLastPoint},    {'C', "c", kLastRoutineEdgeCounter},
    {'T', "t", kLastRoutineEdgeTimer}, {'S', "", -1},
};

// The routine's call, and how it joins the condition {top} (LDP and LDF push it).
constexpr std::string_view kCall = "ld{edge}{routine}({n})";
// The special relays' edge routines take the relay's bit of m8000.
constexpr std::string_view kSpecialCall = "ld{edge}s({mask})";

struct EdgeInstruction {
  const fx::Instruction* row;
  std::string_view edge;  // "p" rising, "f" falling
  std::string_view join;  // empty: a new condition
};

constexpr fx::Layout kEdge = fx::Layout::DeviceWord;
constexpr EdgeInstruction kEdgeInstructions[] = {
    {&fx::row("LDP", kEdge), "p", ""},
    {&fx::row("ANDP", kEdge), "p", "({top}&&{call})"},
    {&fx::row("ORP", kEdge), "p", "({top}||{call})"},
    {&fx::row("LDF", kEdge), "f", ""},
    {&fx::row("ANDF", kEdge), "f", "({top}&&{call})"},
    {&fx::row("ORF", kEdge), "f", "({top}||{call})"},
};
// ORP on M as the tool writes it, with a blank after the bars.
constexpr std::string_view kOrpOnM = "({top}|| {call})";

// Pushes the edge's result (LDP, LDF) or joins it to the rung's condition with `join`; the
// condition records the edge step, and edgeResult() chooses how the result is evaluated.
void joinEdge(TranslatorRun& t, const EdgeInstruction& instruction, const EdgeContact& contact,
              std::string_view join) {
  const int edge = t.stepAddress();
  if (instruction.join.empty()) {
    t.push(t.edgeResult(contact, false), {edge});
    return;
  }
  if (!t.top(instruction.row->name)) return;
  const std::string result = t.edgeResult(contact, true);
  std::string* top = t.top(instruction.row->name);
  *top = fill(join, {{"top", *top}, {"call", result}});
  t.topEdges().push_back(edge);
}

}  // namespace

void translateEdgeContacts(TranslatorRun& t) {
  for (const EdgeInstruction& instruction : kEdgeInstructions) {
    if (!t.stepIs(*instruction.row)) continue;
    const std::optional<fx::Device> device = t.operandDevice(1);
    if (device && isSpecialRelay(*device)) {
      // The relays kept in m8000; edges of the other special relays are not made. M8001 and
      // M8003 rise when their bits fall (ldfs). They never fall while the program runs, which
      // ldps, whose memory starts with the bit off, cannot give: their falling edges are not made.
      const SpecialRelay* relay = specialRelay(device->number);
      const bool rising = instruction.edge == "p";
      if (!relay || (relay->inverted && !rising)) return;
      if (relay->number == kOutputsOffRelay) t.noteOutputsOff();
      t.useFeature(RuntimeFeature::SpecialRelayEdges);
      // The rising and the falling routines keep memories of their own (m8000p, m8000f).
      const std::string edge = relay->inverted ? "f" : std::string(instruction.edge);
      const std::string mask(relay->mask);
      const EdgeContact contact = {fill(kSpecialCall, {{"edge", edge}, {"mask", mask}}),
                                   deviceState(*device), rising, "s" + edge + mask};
      joinEdge(t, instruction, contact, instruction.join);
      return;
    }
    if (!device) return;
    for (const EdgeClass& edge : kEdgeClasses) {
      if (device->letter != edge.letter) continue;
      const int n = device->number;
      if (t.refuseDevice(device->letter, n, /*contact=*/true)) return;
      if (edge.letter == 'X') t.noteInputRead(n);
      // Both routines of a device keep one memory ({routine}flag): it is the device's. Beyond
      // the routine's table the contact's memory is its own (an empty memory name).
      const bool routine = n <= edge.lastInRoutine;
      const EdgeContact contact = {fill(kCall, {{"edge", std::string(instruction.edge)},
                                                {"routine", std::string(edge.routine)},
                                                {"n", dec(n)}}),
                                   deviceState(*device), instruction.edge == "p",
                                   routine ? std::string(edge.routine) + dec(n) : std::string()};
      const bool orpOnM = instruction.row == &fx::row("ORP", kEdge) && edge.letter == 'M';
      joinEdge(t, instruction, contact, orpOnM ? kOrpOnM : instruction.join);
      return;
    }
    return;
  }
}

}  // namespace ladder51::detail
