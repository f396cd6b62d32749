// The step ladder: STL Sn opens a step, RET closes the ladder, and OUT, SET and RST act on the
// S states. A SET or OUT on a state inside a step transfers to it: the state is set at once,
// and the step's own states are reset at the step's end, so that the rest of the step still
// runs in this scan, as on the PLC.
#include "core/translator/translator_run.h"

namespace ladder51::detail {
namespace {

// STL: the step runs (stlr) while its states are on, and once more in the scan after they went
// off, so that its OUT coils switch off and its timers reset; stlw remembers that it was on. No
// transfer yet (stlt).
constexpr std::string_view kStepHead[] = {
    "stlt=0;stlr=0;",
    "if({on}){stlr=1;stlw[{B}]|=(0x01<<{b});}",
    "else if(stlw[{B}]&(0x01<<{b})){stlr=1;stlw[{B}]&=(0xff-(0x01<<{b}));}",
    "",
};
// At the step's end, after a transfer out of it: its states reset.
constexpr std::string_view kStepEndHead = "if(stlt){";
constexpr std::string_view kStepEndState = "s[{B}]&=(0xff-(0x01<<{b}));";
constexpr std::string_view kStepEndTail[] = {"}", ""};
// A state as a condition reads it, and the states of a joining step together.
constexpr std::string_view kStateOn = "(s[{B}]&(0x01<<{b}))";
constexpr std::string_view kStatesJoined = "({first}&&{last})";

// SET Sm or OUT Sm in a step: the transfer. (Outside a step, and RST anywhere, S coils are those
// of M on the image s.)
constexpr std::string_view kTransfer[] = {"if({cond}){s[{B}]|=(0x01<<{b});stlt=1;}", ""};

consteval const fx::Instruction& stateCoil(std::string_view name) {
  for (const fx::Instruction& row : fx::kInstructions) {
    if (row.name == name && row.layout == fx::Layout::DeviceWord && row.areas == fx::area::S) {
      return row;
    }
  }
  throw "no row of the table is this coil on S";
}
constexpr const fx::Instruction* kOutState = &stateCoil("OUT");
constexpr const fx::Instruction* kSetState = &stateCoil("SET");
constexpr const fx::Instruction* kRstState = &stateCoil("RST");

// Ends the open step: a transfer out of it resets its states.
void endStep(TranslatorRun& t) {
  const TranslatorRun::LadderStep* step = t.ladderStep();
  if (!step) return;
  if (step->transfers) {
    CodeWriter end;
    end.line(kStepEndHead);
    for (int state : step->states) {
      for (const Field& field : bitFields(state)) end.set(field.name, field.value);
      end.join(kStepEndState);
    }
    t.appendStatement(end.lines(kStepEndTail), /*ladderGuard=*/false);
  }
  t.closeLadderStep();
}

void openStep(TranslatorRun& t, int n) {
  if (t.refuseDevice('S', n)) return;
  if (t.zone() >= 0) {
    t.refuse(ReasonKind::StateInZone, {{"state", "S" + dec(n)}});
    return;
  }
  // STL right after STL joins the states into one step.
  const TranslatorRun::LadderStep* open = t.ladderStep();
  std::string on = fill(kStateOn, bitFields(n));
  if (open && t.previousStep().instruction == t.step().instruction) {
    t.joinLadderStep(n, fill(kStatesJoined, {{"first", open->on}, {"last", on}}));
  } else {
    endStep(t);
    t.openLadderStep({n}, on);
  }
  const TranslatorRun::LadderStep* step = t.ladderStep();
  on = step->on;
  t.appendStatement(writerWith(bitFields(step->index)).set("on", on).lines(kStepHead),
                    /*ladderGuard=*/false);
  t.push(std::move(on));
}

void translateStateCoil(TranslatorRun& t) {
  const bool out = t.stepIs(*kOutState);
  const bool set = t.stepIs(*kSetState);
  if (!out && !set && !t.stepIs(*kRstState)) return;
  const std::optional<fx::Device> device = t.operandDevice(1);
  if (!device || device->letter != 'S') return;
  if (t.refuseDevice('S', device->number)) return;
  const std::string_view name = t.step().instruction->name;
  TranslatorRun::LadderStep* step = t.ladderStep();
  if ((out || set) && step) {
    step->transfers = true;
    t.appendGuarded(name, kTransfer, bitFields(device->number));
  } else {
    appendImageCoil(t, name, "s", device->number);
  }
}

}  // namespace

// When the ladder closes the pins of the outputs its steps drove follow their images
// (kOutputRefresh).
void closeStepLadder(TranslatorRun& t) {
  endStep(t);
  const std::set<int> outputs = t.takeLadderOutputs();
  if (outputs.empty()) return;
  CodeWriter refresh;
  for (int n : outputs) {
    for (const Field& field : outputFields(n)) refresh.set(field.name, field.value);
    refresh.line(kOutputRefresh);
  }
  t.appendStatement(refresh.line(""));
}

void translateStepLadder(TranslatorRun& t) {
  if (t.stepIs(fx::row("STL", fx::Layout::DeviceInWord))) {
    openStep(t, t.step().device->number);
  } else if (t.stepIs(fx::row("RET", fx::Layout::Alone))) {
    t.recognise();
    closeStepLadder(t);
  } else {
    translateStateCoil(t);
  }
}

}  // namespace ladder51::detail
