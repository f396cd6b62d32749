// OUT, SET and RST on Y outputs and M relays, and the one-scan pulses PLS and PLF (S states:
// step_ladder.cpp).
// Each appends statements guarded by the rung's condition, which stays in place for the
// next coil of the same rung.
#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

// The six single-step coils: each one statement under the rung's condition. Y outputs drive
// their pin too, low for on; M relays (and S states, step_ladder.cpp) set their bit of {image}.
constexpr std::string_view kOutY[] = {
    "if({cond}){y[{B}]|=(0x01<<{b});{pin}=0;}",
    "else",
    "{y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;}",
    "",
};
constexpr std::string_view kOutBit[] = {
    "if({cond}){image}[{B}]|=(0x01<<{b});",
    "else",
    "{image}[{B}]&=(0xff-(0x01<<{b}));",
    "",
};
// OUT Y in a step of the step ladder writes the image only: another step may drive the same
// output in the same scan (as step ladder allows), and the pin follows the image when the ladder
// ends (closeStepLadder), so that it does not glitch between the two.
constexpr std::string_view kOutYInStep[] = {
    "if({cond})y[{B}]|=(0x01<<{b});",
    "else",
    "y[{B}]&=(0xff-(0x01<<{b}));",
    "",
};
constexpr std::string_view kSetY[] = {"if({cond}){y[{B}]|=(0x01<<{b});{pin}=0;}", ""};
constexpr std::string_view kSetBit[] = {"if({cond}){image}[{B}]|=(0x01<<{b});", ""};
constexpr std::string_view kRstY[] = {"if({cond}){y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;}", ""};
constexpr std::string_view kRstBit[] = {"if({cond}){image}[{B}]&=(0xff-(0x01<<{b}));", ""};

struct Coil {
  const fx::Instruction* row;
  char letter;
  std::span<const std::string_view> statement;
};

constexpr const fx::Instruction* kOut = &fx::row("OUT", fx::Layout::DeviceInWord);
constexpr const fx::Instruction* kSet = &fx::row("SET", fx::Layout::DeviceInWord);
constexpr const fx::Instruction* kRst = &fx::row("RST", fx::Layout::DeviceInWord);
constexpr Coil kCoils[] = {
    {kOut, 'Y', kOutY},   {kOut, 'M', kOutBit}, {kSet, 'Y', kSetY},
    {kSet, 'M', kSetBit}, {kRst, 'Y', kRstY},   {kRst, 'M', kRstBit},
};

// The three statements of PLS and PLF: the target is cleared on every scan; it is set when the
// condition {cond} has an edge, by the pulse bit {q} of byte {P} of the instruction's memory,
// which the third statement makes follow the condition. Both memories start at 0, as the PLC's
// start off: plsm holds "the condition was on", so PLS fires in the first scan when its
// condition is on then; plfm holds it too, so PLF needs the condition on and then off. The
// statements of a relay write its {image}: m, or y for an output whose pin follows at END.
constexpr std::string_view kPulseClearY[] = {"y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;", ""};
constexpr std::string_view kPulseClearM[] = {"{image}[{B}]&=(0xff-(0x01<<{b}));", ""};
constexpr std::string_view kRisingFireY[] = {
    "if({cond}&& (!(plsm[{P}]&(0x01<<{q})))){plsm[{P}]|=(0x01<<{q});"
    "y[{B}]|=(0x01<<{b});{pin}=0;}",
    "",
};
constexpr std::string_view kRisingFireM[] = {
    "if({cond}&& (!(plsm[{P}]&(0x01<<{q})))){plsm[{P}]|=(0x01<<{q});{image}[{B}]|=(0x01<<{b});}",
    "",
};
constexpr std::string_view kRisingFollow[] = {
    "if((!{cond})&& (plsm[{P}]&(0x01<<{q})))plsm[{P}]&=0xff-(0x01<<{q});",
    "",
};
constexpr std::string_view kFallingFireY[] = {
    "if((!{cond})&& (plfm[{P}]&(0x01<<{q}))){plfm[{P}]&=0xff-(0x01<<{q});"
    "y[{B}]|=(0x01<<{b});{pin}=0;}",
    "",
};
constexpr std::string_view kFallingFireM[] = {
    "if((!{cond})&& (plfm[{P}]&(0x01<<{q}))){plfm[{P}]&=0xff-(0x01<<{q});"
    "{image}[{B}]|=(0x01<<{b});}",
    "",
};
constexpr std::string_view kFallingFollow[] = {
    "if({cond}&& (!(plfm[{P}]&(0x01<<{q}))))plfm[{P}]|=(0x01<<{q});",
    "",
};

struct Pulse {
  const fx::Instruction* row;
  bool rising;
  std::span<const std::string_view> fireY;
  std::span<const std::string_view> fireM;
  std::span<const std::string_view> follow;
};

// PLS fires after a rising edge of the condition, PLF after a falling edge.
constexpr Pulse kPulses[] = {
    {&fx::row("PLS", fx::Layout::DeviceWord), true, kRisingFireY, kRisingFireM, kRisingFollow},
    {&fx::row("PLF", fx::Layout::DeviceWord), false, kFallingFireY, kFallingFireM, kFallingFollow},
};

}  // namespace

// OUT, SET and RST in their two-word forms, which Mitsubishi's tools write for M1536 and up and
// the special relays (OUT M8034: 0002 8F22): M8034's are translated, the others refused before
// the other tests of the step.
void refuseExtendedRelays(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  if (row == nullptr || row->layout != fx::Layout::DeviceWord ||
      row->areas != fx::rows::kTwoWordCoil) {
    return;
  }
  const std::optional<std::uint16_t> w = t.word(1);
  const std::optional<fx::Device> device = w ? fx::deviceOfDeviceWord(*w) : std::nullopt;
  if (!device) return;
  if (isSpecialRelay(*device)) {
    translateSpecialRelayCoil(t, row->name, *device);
  } else {
    t.refuseDevice('M', device->number);
  }
}

void appendImageCoil(TranslatorRun& t, std::string_view name, std::string_view image, int n) {
  for (const Coil& coil : kCoils) {
    if (coil.letter != 'M' || coil.row->name != name) continue;
    std::vector<Field> fields = bitFields(n);
    fields.push_back({"image", std::string(image)});
    t.appendGuarded(name, coil.statement, fields);
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
    if (isSpecialRelay(*t.step().device)) {
      translateSpecialRelayCoil(t, coil.row->name, *t.step().device);  // the one-word form
      return;
    }
    if (t.refuseDevice(coil.letter, n)) return;
    if (!output) {
      appendImageCoil(t, coil.row->name, "m", n);
    } else if (t.outputsAtEnd()) {
      appendImageCoil(t, coil.row->name, "y", n);  // the pin follows at END
    } else if (coil.row == kOut && t.ladderStep()) {
      t.appendGuarded(coil.row->name, kOutYInStep, outputFields(n));
      t.noteLadderOutput(n);
    } else {
      t.appendGuarded(coil.row->name, coil.statement, outputFields(n));
    }
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
    const std::optional<fx::Device> device = t.operandDevice(1);
    if (!device || (device->letter != 'Y' && device->letter != 'M')) return;
    const bool output = device->letter == 'Y';
    const int n = device->number;
    if (isSpecialRelay(*device)) {
      translateSpecialRelayCoil(t, pulse.row->name, *device);  // refused
      return;
    }
    if (t.refuseDevice(device->letter, n)) return;
    int& count = pulse.rising ? t.risingPulseCount() : t.fallingPulseCount();
    if (count >= kFirmwarePulseSlots) {
      t.refuse(ReasonKind::TooManyPulses, {{"instruction", std::string(pulse.row->name)},
                                           {"slots", dec(kFirmwarePulseSlots)}});
      return;
    }
    // The firing and the arming statement both read the condition.
    const std::optional<std::string> acting = t.condition(pulse.row->name, 2);
    if (!acting) return;
    std::vector<Field> fields = output ? outputFields(n) : bitFields(n);
    fields.insert(fields.end(), {{"cond", *acting}, {"P", dec(count / 8)}, {"q", dec(count % 8)}});
    // Where the pins follow at END, an output's pulse writes its image as a relay's does.
    const bool pin = output && !t.outputsAtEnd();
    fields.push_back({"image", output ? "y" : "m"});
    t.appendStatement(
        writerWith(fields).lines(pin ? std::span(kPulseClearY) : std::span(kPulseClearM)));
    t.appendStatement(writerWith(fields).lines(pin ? pulse.fireY : pulse.fireM));
    t.appendStatement(writerWith(fields).lines(pulse.follow));
    if (output) t.noteOutputDriven(n);
    ++count;
    return;
  }
}

}  // namespace ladder51::detail
