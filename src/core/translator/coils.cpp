// OUT, SET and RST on Y outputs and M relays, and the one-scan pulses PLS and PLF.
// Each appends statements guarded by the rung's condition, which stays in place for the
// next coil of the same rung.
#include "core/translator/translator_run.h"

namespace ladder51::detail {
namespace {

// The six single-step coils: each one statement under the rung's condition. Y outputs drive
// their pin too, low for on.
constexpr std::string_view kOutY[] = {
    "if({cond}){y[{B}]|=(0x01<<{b});{pin}=0;}",
    "else",
    "{y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;}",
    "",
};
constexpr std::string_view kOutM[] = {
    "if({cond})m[{B}]|=(0x01<<{b});",
    "else",
    "m[{B}]&=(0xff-(0x01<<{b}));",
    "",
};
constexpr std::string_view kSetY[] = {"if({cond}){y[{B}]|=(0x01<<{b});{pin}=0;}", ""};
constexpr std::string_view kSetM[] = {"if({cond})m[{B}]|=(0x01<<{b});", ""};
constexpr std::string_view kRstY[] = {"if({cond}){y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;}", ""};
constexpr std::string_view kRstM[] = {"if({cond})m[{B}]&=(0xff-(0x01<<{b}));", ""};

struct Coil {
  const fx::Instruction* row;
  char letter;
  std::span<const std::string_view> statement;
};

constexpr const fx::Instruction* kOut = &fx::row("OUT", fx::Layout::DeviceInWord);
constexpr const fx::Instruction* kSet = &fx::row("SET", fx::Layout::DeviceInWord);
constexpr const fx::Instruction* kRst = &fx::row("RST", fx::Layout::DeviceInWord);
constexpr Coil kCoils[] = {
    {kOut, 'Y', kOutY}, {kOut, 'M', kOutM}, {kSet, 'Y', kSetY},
    {kSet, 'M', kSetM}, {kRst, 'Y', kRstY}, {kRst, 'M', kRstM},
};

// The three statements of PLS and PLF: the target is cleared on every scan; it is set when the
// {edge} condition holds and the pulse bit {q} of byte {P} of {memory} is armed, which disarms
// it; the bit is armed while the {armed} condition holds.
constexpr std::string_view kPulseClearY[] = {"y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;", ""};
constexpr std::string_view kPulseClearM[] = {"m[{B}]&=(0xff-(0x01<<{b}));", ""};
constexpr std::string_view kPulseFireY[] = {
    "if({edge}&& ({memory}[{P}]&(0x01<<{q}))){{memory}[{P}]&=0xff-(0x01<<{q});"
    "y[{B}]|=(0x01<<{b});{pin}=0;}",
    "",
};
constexpr std::string_view kPulseFireM[] = {
    "if({edge}&& ({memory}[{P}]&(0x01<<{q}))){{memory}[{P}]&=0xff-(0x01<<{q});"
    "m[{B}]|=(0x01<<{b});}",
    "",
};
constexpr std::string_view kPulseArm[] = {
    "if({armed}&& (!({memory}[{P}]&(0x01<<{q})))){memory}[{P}]|=(0x01<<{q});",
    "",
};

struct Pulse {
  const fx::Instruction* row;
  std::string_view memory;  // plsm or plfm
  bool rising;
  std::string_view edge;   // when the target goes on, from the condition {cond}
  std::string_view armed;  // when the pulse bit is armed
};

// PLS fires after a rising edge of the condition, PLF after a falling edge.
constexpr Pulse kPulses[] = {
    {&fx::row("PLS", fx::Layout::DeviceWord), "plsm", true, "{cond}", "(!{cond})"},
    {&fx::row("PLF", fx::Layout::DeviceWord), "plfm", false, "(!{cond})", "{cond}"},
};

// Refuses a Y or M device above what the firmware holds; returns true when it refused.
bool refuseAboveFirmware(TranslatorRun& t, const fx::Device& device) {
  return device.letter == 'Y' ? t.refuseAbove(device.number, kFirmwareLastPoint, kYRange)
                              : t.refuseAbove(device.number, kFirmwareLastRelay, kMRange);
}

}  // namespace

// OUT, SET and RST on M256 and up, special relays included, are refused with the M message
// before the other tests of the step.
void refuseHighMRelayCoils(TranslatorRun& t) {
  for (const Coil& coil : kCoils) {
    if (!t.stepIs(*coil.row)) continue;
    const fx::Device& device = *t.step().device;
    if (device.letter == 'M' && device.number > 255) t.refuse(kMRange);
    return;
  }
}

void translateCoils(TranslatorRun& t) {
  for (const Coil& coil : kCoils) {
    if (!t.stepIs(*coil.row) || t.step().device->letter != coil.letter) {
      continue;
    }
    const int n = t.step().device->number;
    const bool output = coil.letter == 'Y';
    if (refuseAboveFirmware(t, *t.step().device)) return;
    t.appendGuarded(coil.row->name, coil.statement, output ? outputFields(n) : bitFields(n));
    if (output && !t.stopped()) t.noteOutputDriven(n);
    return;
  }
}

// PLS: the target is on for one scan after each rising edge of the condition; PLF after each
// falling edge. Each instruction owns one bit of the edge memory plsm or plfm, handed out in
// program order.
void translatePulses(TranslatorRun& t) {
  for (const Pulse& pulse : kPulses) {
    if (!t.stepIs(*pulse.row)) continue;
    // Another device, or M256 and up (noticed or refused by checkFollowingOperandClass): nothing.
    const std::optional<fx::Device> device = t.operandDevice(1);
    if (!device || (device->letter != 'Y' && (device->letter != 'M' || device->number > 255))) {
      return;
    }
    const bool output = device->letter == 'Y';
    const int n = device->number;
    if (refuseAboveFirmware(t, *device)) return;
    int& count = pulse.rising ? t.risingPulseCount() : t.fallingPulseCount();
    if (count >= kFirmwarePulseSlots) {
      t.refuse("too many " + std::string(pulse.row->name) +
               " instructions: the firmware has room for " + dec(kFirmwarePulseSlots));
      return;
    }
    const std::string* top = t.top(pulse.row->name);
    if (!top) return;
    const Fields condition = {{"cond", *top}};
    std::vector<Field> fields = output ? outputFields(n) : bitFields(n);
    fields.insert(fields.end(), {{"memory", std::string(pulse.memory)},
                                 {"P", dec(count / 8)},
                                 {"q", dec(count % 8)},
                                 {"edge", fill(pulse.edge, condition)},
                                 {"armed", fill(pulse.armed, condition)}});
    t.appendStatement(
        writerWith(fields).lines(output ? std::span(kPulseClearY) : std::span(kPulseClearM)));
    t.appendStatement(
        writerWith(fields).lines(output ? std::span(kPulseFireY) : std::span(kPulseFireM)));
    t.appendStatement(writerWith(fields).lines(kPulseArm));
    if (output) t.noteOutputDriven(n);
    ++count;
    return;
  }
}

}  // namespace ladder51::detail
