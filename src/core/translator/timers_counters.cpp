// Timer and counter coils (OUT T, OUT C), their resets (RST T, RST C), and the master
// control pair MC/MCR, whose codes lie in the same range.
#include "core/translator/operands.h"

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
constexpr std::string_view kRstC[] = {
    "if({cond})", "{c[{B}]&=0xff-(0x01<<{b});", "cflag[{B}]&=0xff-(0x01<<{b});", "ct[{n}]=0;}", "",
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
    t.fault("set value of " + std::string(instruction) +
            " out of range: its high byte is 80 hex or more");
    return std::nullopt;
  }
  if (is(operand, 'K')) return SetValue{dec(operand->number()), std::nullopt};
  const std::optional<long> r = registerOf(t, *operand, instruction);
  if (!r) return std::nullopt;
  if (*r <= kFirmwareLastRamRegister)
    return SetValue{fill("d[{r}]", {{"r", dec(*r)}}), std::nullopt};
  if (refuseWithoutEeprom(t, *r)) return std::nullopt;
  return SetValue{"d[16]", *r};
}

// Appends the EEPROM line of a set value, when it has one.
void loadSetValue(CodeWriter& statement, const SetValue& setValue) {
  if (!setValue.eepromRead) return;
  statement.set("r", dec(*setValue.eepromRead)).line(kEepromSetValue);
}

void translateOutT(TranslatorRun& t, int n) {
  if (t.refuseAbove(n, kFirmwareLastTimer, kTTimerRange)) return;
  const std::optional<SetValue> setValue = decodeSetValue(t, "OUT T");
  if (!setValue) return;
  std::vector<Field> fields = bitFields(n);
  fields.push_back({"sv", setValue->text});
  std::optional<CodeWriter> statement = t.guarded("OUT T", fields);
  if (!statement) return;
  statement->line(kOutTFirst);
  loadSetValue(*statement, *setValue);
  t.appendStatement(statement->lines(kOutTRest));
}

void translateOutC(TranslatorRun& t, int n) {
  if (t.refuseAbove(n, kFirmwareLastCounter, kCRange)) return;
  const std::optional<SetValue> setValue = decodeSetValue(t, "OUT C");
  if (!setValue) return;
  std::vector<Field> fields = bitFields(n);
  fields.push_back({"sv", setValue->text});
  std::optional<CodeWriter> statement = t.guarded("OUT C", fields);
  if (!statement) return;
  statement->lines(kOutCCount);
  loadSetValue(*statement, *setValue);
  t.appendStatement(statement->lines(kOutCDone));
  t.appendGuarded("OUT C", kOutCRelease, fields);
}

void translateReset(TranslatorRun& t) {
  const std::optional<fx::Device> device = t.operandDevice(1);
  if (!device) return;
  const int n = device->number;
  if (device->letter == 'T') {
    if (t.refuseAbove(n, kFirmwareLastTimer, kTTimerRange)) return;
    t.appendGuarded("RST T", kRstT, bitFields(n));
  } else if (device->letter == 'C') {
    if (t.refuseAbove(n, kFirmwareLastCounter, kCRange)) return;
    t.appendGuarded("RST C", kRstC, bitFields(n));
  }
}

// MC opens a C block that only runs while its condition holds; MCR closes it. The text
// joins the end of the statements with no line break before it.
void translateMasterControl(TranslatorRun& t) {
  const bool open = t.stepIs(fx::row("MC", fx::Layout::MasterControl));
  if (!open && !t.stepIs(fx::row("MCR", fx::Layout::Nesting))) return;
  const std::optional<std::uint16_t> nesting = t.word(1);
  if (!nesting || !fx::nestingLevelOf(*nesting)) return;
  if (open) {
    std::optional<CodeWriter> text = t.guarded("MC", {});
    if (!text) return;
    t.appendJoined(text->join("if({cond}){").line(""), +1);
  } else if (t.mcDepth() == 0) {
    t.fault("MCR without a matching MC");
  } else {
    t.appendJoined(CodeWriter().join("}").line(""), -1);
  }
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
