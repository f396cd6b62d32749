// Timer and counter coils (OUT T, OUT C), their resets (RST T, RST C), and the master
// control pair MC/MCR, whose codes lie in the same range.
#include "core/translator/operands.h"
#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

// While the condition holds the timer runs; at its set value {sv} it is done and holds the
// count. When the condition drops, the timer is cleared. A set value in the EEPROM is loaded
// into d[16] after the first line.
constexpr std::string_view kOutTFirst = "if({cond}){to[{B}]|=(0x01<<{b});";
constexpr std::string_view kOutTRest[] = {
    "if(tc[{n}]>=({sv}))",
    "{t[{B}]|=(0x01<<{b});",
    "to[{B}]&=0xff-(0x01<<{b});",
    "tc[{n}]={sv};}}",
    "else",
    "{t[{B}]&=0xff-(0x01<<{b});",
    "to[{B}]&=0xff-(0x01<<{b});",
    "tc[{n}]=0;}",
    "",
};

// The FX time base: while the condition holds, the timer adds the milliseconds of the last scan
// to the unit it has begun, tph[{p}], and counts each unit completed (fxunits), so its units
// begin when it starts, whatever the scans or the other timers do. Where the coil is not run (a
// jump, a step not active) the timer stops, keeping its count and the unit begun.
constexpr std::string_view kOutTFxFirst = "if({cond}){tc[{n}]+=fxunits({p});";
constexpr std::string_view kOutTFxRest[] = {
    "if(tc[{n}]>=({sv}))",
    "{t[{B}]|=(0x01<<{b});",
    "tc[{n}]={sv};}}",
    "else",
    "{t[{B}]&=0xff-(0x01<<{b});",
    "tph[{p}]=0;tc[{n}]=0;}",
    "",
};

// Counts rising edges of the condition: cflag remembers that it was true on the last scan. A set
// value in the EEPROM is loaded into d[16] after the count.
constexpr std::string_view kOutCCount[] = {
    "if({cond}){if(!(cflag[{B}]&(0x01<<{b})))",
    "{cflag[{B}]|=(0x01<<{b});",
    "ct[{n}]++;",
};
constexpr std::string_view kOutCDone[] = {
    "if(ct[{n}]>=({sv}))",
    "{c[{B}]|=(0x01<<{b});",
    "ct[{n}]={sv};}}}",
    "",
};
constexpr std::string_view kOutCRelease[] = {
    "if(!({cond})){cflag[{B}]&=0xff-(0x01<<{b});}",
    "",
};

constexpr std::string_view kEepromSetValue = "d[16]=ReData({r}*2)+256*ReData({r}*2+1);";

constexpr std::string_view kRstT[] = {
    "if({cond})", "{t[{B}]&=0xff-(0x01<<{b});", "to[{B}]&=0xff-(0x01<<{b});", "tc[{n}]=0;}", "",
};
// With the FX time base the unit begun goes too, where the timer has a coil.
constexpr std::string_view kRstTFx[] = {"if({cond})", "{t[{B}]&=0xff-(0x01<<{b});", "tc[{n}]=0;}",
                                        ""};
constexpr std::string_view kRstTFxPhase[] = {"if({cond})", "{t[{B}]&=0xff-(0x01<<{b});",
                                             "tph[{p}]=0;tc[{n}]=0;}", ""};
// RST C clears the count and the contact; the counter's edge memory stays, as on the PLC: a
// condition still on after the reset does not count again.
constexpr std::string_view kRstC[] = {
    "if({cond})",
    "{c[{B}]&=0xff-(0x01<<{b});",
    "ct[{n}]=0;}",
    "",
};

// MC N: the zone's state, which every output up to MCR N is ANDed with, and the MC's own device,
// which follows it.
// (Written as an if: SDCC keeps a condition's value in a bit variable, which the full internal RAM
// has no room for.)
constexpr std::string_view kZoneState[] = {"if({cond})mcz[{zone}]=1;", "else", "mcz[{zone}]=0;",
                                           ""};
constexpr std::string_view kZoneDeviceY[] = {
    "if(mcz[{zone}]){y[{B}]|=(0x01<<{b});{pin}=0;}",
    "else",
    "{y[{B}]&=(0xff-(0x01<<{b}));{pin}=1;}",
    "",
};
// A relay's image {image}: m, or y for an output whose pin follows at END.
constexpr std::string_view kZoneDeviceM[] = {
    "if(mcz[{zone}]){image}[{B}]|=(0x01<<{b});",
    "else",
    "{image}[{B}]&=(0xff-(0x01<<{b}));",
    "",
};

// The set value of OUT T or OUT C: K or a data register. Its two words are computed in
// signed 16-bit arithmetic, as the PLC tool does, so a high byte of 80 hex or more is an error.
struct SetValue {
  std::string text;                // {sv}: "100", "d[7]" or "d[16]"
  std::optional<long> eepromRead;  // the EEPROM register loaded into d[16] first
};

std::optional<SetValue> decodeSetValue(TranslatorRun& t, std::string_view instruction) {
  const std::optional<fx::WordOperand> operand = decodeWordOperand(t, 1);
  if (!is(operand, 'K') && !is(operand, 'D')) return std::nullopt;
  if (operand->payload >= 0x8000) {
    t.fault(ReasonKind::SetValueTooLarge, {{"instruction", std::string(instruction)}});
    return std::nullopt;
  }
  if (is(operand, 'K')) return SetValue{dec(operand->number()), std::nullopt};
  if (std::optional<std::string> special = specialSourceText(t, *operand)) {
    return SetValue{*special, std::nullopt};  // D8010..D8012
  }
  if (t.stopped()) return std::nullopt;
  const std::optional<long> r = registerOf(t, *operand, instruction);
  if (!r) return std::nullopt;
  if (inRam(t, *r)) return SetValue{fill("d[{r}]", {{"r", dec(*r)}}), std::nullopt};
  if (refuseBeyondEeprom(t, *r)) return std::nullopt;
  return SetValue{"d[16]", *r};
}

// Appends the EEPROM line of a set value, when it has one.
void loadSetValue(CodeWriter& statement, const SetValue& setValue) {
  if (!setValue.eepromRead) return;
  statement.set("r", dec(*setValue.eepromRead)).line(kEepromSetValue);
}

void translateOutT(TranslatorRun& t, int n) {
  if (t.refuseDevice('T', n)) return;
  t.noteTimerCoil(n);
  const std::optional<SetValue> setValue = decodeSetValue(t, "OUT T");
  if (!setValue) return;
  std::vector<Field> fields = bitFields(n);
  fields.push_back({"sv", setValue->text});
  const std::optional<int> phase = t.timerPhase(n);
  if (phase) fields.push_back({"p", dec(*phase)});
  std::optional<CodeWriter> statement = t.guarded("OUT T", fields);
  if (!statement) return;
  statement->line(phase ? kOutTFxFirst : kOutTFirst);
  loadSetValue(*statement, *setValue);
  t.appendStatement(statement->lines(phase ? std::span<const std::string_view>(kOutTFxRest)
                                           : std::span<const std::string_view>(kOutTRest)));
}

void translateOutC(TranslatorRun& t, int n) {
  if (t.refuseDevice('C', n)) return;
  const std::optional<SetValue> setValue = decodeSetValue(t, "OUT C");
  if (!setValue) return;
  std::vector<Field> fields = bitFields(n);
  fields.push_back({"sv", setValue->text});
  // Both statements act on the one condition of the coil.
  const std::optional<std::string> condition = t.condition("OUT C", 2);
  if (!condition) return;
  fields.push_back({"cond", *condition});
  CodeWriter statement = writerWith(fields);
  statement.lines(kOutCCount);
  loadSetValue(statement, *setValue);
  t.appendStatement(statement.lines(kOutCDone));
  t.appendStatement(writerWith(fields).lines(kOutCRelease));
}

void translateReset(TranslatorRun& t) {
  const std::optional<fx::Device> device = t.operandDevice(1);
  if (!device) return;
  const int n = device->number;
  if (device->letter == 'T') {
    if (t.refuseDevice('T', n)) return;
    std::vector<Field> fields = bitFields(n);
    if (t.options().timeBase != TimeBaseChoice::Fx) {
      t.appendGuarded("RST T", kRstT, fields);
    } else if (const std::optional<int> phase = t.timerPhase(n)) {
      fields.push_back({"p", dec(*phase)});
      t.appendGuarded("RST T", kRstTFxPhase, fields);
    } else {
      t.appendGuarded("RST T", kRstTFx, fields);
    }
  } else if (device->letter == 'C') {
    if (t.refuseDevice('C', n)) return;
    t.appendGuarded("RST C", kRstC, bitFields(n));
  }
}

// MC N opens master-control zone N: while its condition is off, the outputs up to MCR N act as
// if their rungs were off (OUT coils off, timers reset, SET/RST, counters and applied
// instructions held), as on the PLC. MCR N closes zones N and up.
void translateMasterControl(TranslatorRun& t) {
  const bool open = t.stepIs(fx::row("MC", fx::Layout::MasterControl));
  if (!open && !t.stepIs(fx::row("MCR", fx::Layout::Nesting))) return;
  const std::optional<std::uint16_t> nesting = t.word(1);
  const std::optional<int> level = nesting ? fx::nestingLevelOf(*nesting) : std::nullopt;
  if (!level) return;
  if (!open) {
    if (t.closeZones(*level) == 0) t.fault(ReasonKind::McrWithoutMc);
    t.recognise();
    return;
  }
  if (t.ladderStep()) {
    t.refuse(ReasonKind::ZoneInStepLadder, {{"zone", dec(*level)}});
    return;
  }
  if (*level > kFirmwareLastZone) {
    t.refuse(ReasonKind::ZoneTooDeep, {{"zone", dec(*level)}, {"last", dec(kFirmwareLastZone)}});
    return;
  }
  // The zone's state includes the zones it stands in (condition() ANDs the open one).
  const std::optional<std::string> condition = t.condition("MC");
  if (!condition) return;
  std::vector<Field> fields = {{"zone", dec(*level)}, {"cond", *condition}};
  t.appendStatement(writerWith(fields).lines(kZoneState));
  t.openZone(*level);
  // Its own device follows the zone; a device the firmware does not hold is not written.
  const std::optional<fx::Device> device = t.operandDevice(2);
  if (!device) return;
  const bool output = device->letter == 'Y';
  if (output ? device->number > kFirmwareLastPoint
             : device->letter != 'M' || device->number > kLastRelay) {
    return;
  }
  if (!output && t.refuseDevice('M', device->number)) return;  // records it
  std::vector<Field> deviceFields =
      output ? outputFields(device->number) : bitFields(device->number);
  deviceFields.push_back({"zone", dec(*level)});
  deviceFields.push_back({"image", output ? "y" : "m"});
  const bool pin = output && !t.outputsAtEnd();
  t.appendStatement(
      writerWith(deviceFields).lines(pin ? std::span(kZoneDeviceY) : std::span(kZoneDeviceM)));
  if (output) t.noteOutputDriven(device->number);
}

}  // namespace

void translateTimersAndCounters(TranslatorRun& t) {
  const fx::Instruction* row = t.step().instruction;
  const std::optional<fx::Device>& device = t.step().device;
  if (row && row->layout == fx::Layout::NumberInWord && device->letter == 'T') {  // OUT T
    translateOutT(t, device->number);
  } else if (row && row->layout == fx::Layout::NumberInWord && device->letter == 'C') {  // OUT C
    translateOutC(t, device->number);
  } else if (t.stepIs(fx::row("RST", fx::Layout::DeviceWord))) {
    translateReset(t);
  } else {
    translateMasterControl(t);
  }
}

}  // namespace ladder51::detail
