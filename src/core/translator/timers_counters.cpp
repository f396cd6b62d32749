// Timer and counter coils (OUT T, OUT C), their resets (RST T, RST C), and the master
// control pair MC/MCR, whose codes lie in the same range.
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// The set value of OUT T or OUT C: K or a data register. Its two words are computed in
// signed 16-bit arithmetic, as the PLC tool does, so a high byte of 80 hex or more is an error.
struct SetValue {
  std::string text;        // "100", "d[7]" or "d[16]"
  std::string eepromLine;  // loads d[16] from the EEPROM, or empty
};

std::optional<SetValue> decodeSetValue(TranslatorRun& t, std::string_view instruction) {
  const std::optional<fx::WordOperand> operand = decodeWordOperand(t, 1);
  if (!is(operand, 'K') && !is(operand, 'D')) return std::nullopt;
  if (operand->payload >= 0x8000) {
    t.fault("set value of " + std::string(instruction) +
            " out of range: its high byte is 80 hex or more");
    return std::nullopt;
  }
  if (is(operand, 'K')) return SetValue{dec(operand->number()), ""};
  const std::optional<long> r = registerOf(t, *operand, instruction);
  if (!r) return std::nullopt;
  if (*r <= kFirmwareLastRamRegister) return SetValue{"d[" + dec(*r) + "]", ""};
  if (refuseWithoutEeprom(t, *r)) return std::nullopt;
  return SetValue{"d[16]", "d[16]=" + eepromRead(*r) + ";\r\n"};
}

void translateOutT(TranslatorRun& t, int n) {
  if (t.refuseAbove(n, kFirmwareLastTimer, kTTimerRange)) return;
  const std::optional<SetValue> setValue = decodeSetValue(t, "OUT T");
  if (!setValue) return;
  const std::initializer_list<Field> fields = {
      {"B", dec(n / 8)}, {"b", dec(n % 8)}, {"n", dec(n)}, {"sv", setValue->text}};
  // While the condition holds the timer runs; at its set value it is done and holds the
  // count. When the condition drops, the timer is cleared.
  t.appendGuarded("OUT T", fillLines({"{to[{B}]|=(0x01<<{b});"}, fields) + setValue->eepromLine +
                               fillLines(
                                   {
                                       "if(tc[{n}]>=({sv}))",
                                       "{t[{B}]|=(0x01<<{b});",
                                       "to[{B}]&=0xff-(0x01<<{b});",
                                       "tc[{n}]={sv};}}",
                                       "else",
                                       "{t[{B}]&=0xff-(0x01<<{b});",
                                       "to[{B}]&=0xff-(0x01<<{b});",
                                       "tc[{n}]=0;}",
                                   },
                                   fields));
}

void translateOutC(TranslatorRun& t, int n) {
  if (t.refuseAbove(n, kFirmwareLastCounter, kCRange)) return;
  const std::optional<SetValue> setValue = decodeSetValue(t, "OUT C");
  if (!setValue) return;
  const std::initializer_list<Field> fields = {
      {"B", dec(n / 8)}, {"b", dec(n % 8)}, {"n", dec(n)}, {"sv", setValue->text}};
  // Counts rising edges of the condition: cflag remembers that it was true on the last scan.
  const std::string* top = t.top("OUT C");
  if (!top) return;
  const std::string condition = *top;
  t.appendGuarded("OUT C", fillLines(
                               {
                                   "{if(!(cflag[{B}]&(0x01<<{b})))",
                                   "{cflag[{B}]|=(0x01<<{b});",
                                   "ct[{n}]++;",
                               },
                               fields) +
                               setValue->eepromLine +
                               fillLines(
                                   {
                                       "if(ct[{n}]>=({sv}))",
                                       "{c[{B}]|=(0x01<<{b});",
                                       "ct[{n}]={sv};}}}",
                                   },
                                   fields));
  t.appendStatement("if(!(" + condition + "))" +
                    fillLines({"{cflag[{B}]&=0xff-(0x01<<{b});}"}, fields));
}

void translateReset(TranslatorRun& t) {
  const std::optional<fx::Device> device = t.operandDevice(1);
  if (!device) return;
  const int n = device->number;
  const std::initializer_list<Field> fields = {{"B", dec(n / 8)}, {"b", dec(n % 8)}, {"n", dec(n)}};
  if (device->letter == 'T') {
    if (t.refuseAbove(n, kFirmwareLastTimer, kTTimerRange)) return;
    t.appendGuarded("RST T", fillLines(
                                 {
                                     "",
                                     "{t[{B}]&=0xff-(0x01<<{b});",
                                     "to[{B}]&=0xff-(0x01<<{b});",
                                     "tc[{n}]=0;}",
                                 },
                                 fields));
  } else if (device->letter == 'C') {
    if (t.refuseAbove(n, kFirmwareLastCounter, kCRange)) return;
    t.appendGuarded("RST C", fillLines(
                                 {
                                     "",
                                     "{c[{B}]&=0xff-(0x01<<{b});",
                                     "cflag[{B}]&=0xff-(0x01<<{b});",
                                     "ct[{n}]=0;}",
                                 },
                                 fields));
  }
}

// MC opens a C block that only runs while its condition holds; MCR closes it. The text
// joins the end of the statements with no line break before it.
void translateMasterControl(TranslatorRun& t) {
  const std::optional<std::uint16_t> nesting = t.word(1);
  if (!nesting || !fx::nestingLevelOf(*nesting)) return;
  if (t.stepIs("MC", fx::Layout::MasterControl)) {
    const std::string* top = t.top("MC");
    if (!top) return;
    t.appendJoined("if(" + *top + "){\r\n", +1);
  } else if (t.stepIs("MCR", fx::Layout::Nesting)) {
    if (t.mcDepth() == 0) {
      t.fault("MCR without a matching MC");
      return;
    }
    t.appendJoined("}\r\n", -1);
  }
}

}  // namespace

void translateTimersAndCounters(TranslatorRun& t) {
  const std::optional<fx::Device>& device = t.step().device;
  if (t.stepIs("OUT", fx::Layout::NumberInWord) && device->letter == 'T') {
    translateOutT(t, device->number);
  } else if (t.stepIs("OUT", fx::Layout::NumberInWord) && device->letter == 'C') {
    translateOutC(t, device->number);
  } else if (t.stepIs("RST", fx::Layout::DeviceWord)) {
    translateReset(t);
  } else {
    translateMasterControl(t);
  }
}

}  // namespace ladder51::detail
