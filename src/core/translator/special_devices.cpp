#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

// M8000, M8002, the clocks and M8034 each have a bit of m8000 (0x08 is the display's refresh
// request); M8001 and M8003 read the bits of M8000 and M8002 inverted.
constexpr SpecialRelay kSpecialRelays[] = {
    {8000, "0x01", false, false}, {8001, "0x01", true, false},  {8002, "0x02", false, false},
    {8003, "0x02", true, false},  {8011, "0x10", false, false}, {8012, "0x20", false, false},
    {8013, "0x40", false, false}, {8014, "0x80", false, false}, {8034, "0x04", false, true},
};

// OUT, SET and RST on a special relay's bit of m8000, {mask}.
constexpr std::string_view kOutSpecial[] = {
    "if({cond})m8000|={mask};",
    "else",
    "m8000&=(0xff-{mask});",
    "",
};
constexpr std::string_view kSetSpecial[] = {"if({cond})m8000|={mask};", ""};
constexpr std::string_view kRstSpecial[] = {"if({cond})m8000&=(0xff-{mask});", ""};

struct SpecialCoil {
  std::string_view name;
  std::span<const std::string_view> statement;
};
constexpr SpecialCoil kSpecialCoils[] = {
    {"OUT", kOutSpecial},
    {"SET", kSetSpecial},
    {"RST", kRstSpecial},
};

// The scan times, kept by the runtime's scantime() in sct[] (ScanTime in extensions.cpp).
struct SpecialRegister {
  long number;
  std::string_view text;
};
constexpr SpecialRegister kSpecialRegisters[] = {
    {8010, "sct[0]"},  // the last scan
    {8011, "sct[1]"},  // the shortest since power-on
    {8012, "sct[2]"},  // the longest
};

// At END with M8034 on, every pin off; otherwise each pin follows its image.
constexpr std::string_view kPinsOffHead = "if(m8000&{mask}){";
constexpr std::string_view kPinOff = "{pin}=1;";
constexpr std::string_view kPinsOffTail = "}";
constexpr std::string_view kPinsFollowHead = "else{";
constexpr std::string_view kPinsFollowTail[] = {"}", ""};

// The measurement of the scan times, first in every scan.
constexpr std::string_view kMeasureScanTime[] = {"scantime();", ""};

// Instructions left out on purpose: each needs what the chip has not, or the firmware does not
// emulate. Operands and forms do not matter; the name is the instruction list's.
struct LeftOutCategory {
  std::string_view why;
};
constexpr LeftOutCategory kFloatingPoint = {"floating point is not translated"};
constexpr LeftOutCategory kPulseOutput = {
    "pulse outputs and positioning need the PLC's pulse hardware: not translated"};
constexpr LeftOutCategory kHighSpeedInput = {
    "high-speed counters and inputs need the PLC's counter hardware: not translated"};
constexpr LeftOutCategory kCommunication = {
    "communication with other devices and special function blocks is not translated"};
constexpr LeftOutCategory kAnalog = {"analog inputs and outputs are not translated"};

struct LeftOut {
  int fnc;
  std::string_view name;
  const LeftOutCategory* category;
};
constexpr LeftOut kLeftOut[] = {
    {49, "FLT", &kFloatingPoint},   {53, "HSCS", &kHighSpeedInput},  {54, "HSCR", &kHighSpeedInput},
    {55, "HSZ", &kHighSpeedInput},  {56, "SPD", &kHighSpeedInput},   {57, "PLSY", &kPulseOutput},
    {58, "PWM", &kPulseOutput},     {59, "PLSR", &kPulseOutput},     {78, "FROM", &kCommunication},
    {79, "TO", &kCommunication},    {80, "RS", &kCommunication},     {81, "PRUN", &kCommunication},
    {85, "VRRD", &kAnalog},         {86, "VRSC", &kAnalog},          {87, "RS2", &kCommunication},
    {110, "ECMP", &kFloatingPoint}, {111, "EZCP", &kFloatingPoint},  {112, "EMOV", &kFloatingPoint},
    {116, "ESTR", &kFloatingPoint}, {117, "EVAL", &kFloatingPoint},  {118, "EBCD", &kFloatingPoint},
    {119, "EBIN", &kFloatingPoint}, {120, "EADD", &kFloatingPoint},  {121, "ESUB", &kFloatingPoint},
    {122, "EMUL", &kFloatingPoint}, {123, "EDIV", &kFloatingPoint},  {124, "EXP", &kFloatingPoint},
    {125, "LOGE", &kFloatingPoint}, {126, "LOG10", &kFloatingPoint}, {127, "ESQR", &kFloatingPoint},
    {128, "ENEG", &kFloatingPoint}, {129, "INT", &kFloatingPoint},   {130, "SIN", &kFloatingPoint},
    {131, "COS", &kFloatingPoint},  {132, "TAN", &kFloatingPoint},   {133, "ASIN", &kFloatingPoint},
    {134, "ACOS", &kFloatingPoint}, {135, "ATAN", &kFloatingPoint},  {136, "RAD", &kFloatingPoint},
    {137, "DEG", &kFloatingPoint},  {150, "DSZR", &kPulseOutput},    {151, "DVIT", &kPulseOutput},
    {152, "TBL", &kPulseOutput},    {155, "ABS", &kPulseOutput},     {156, "ZRN", &kPulseOutput},
    {157, "PLSV", &kPulseOutput},   {158, "DRVI", &kPulseOutput},    {159, "DRVA", &kPulseOutput},
    {176, "RD3A", &kAnalog},        {177, "WR3A", &kAnalog},
};

const LeftOut* leftOut(int fnc) {
  for (const LeftOut& row : kLeftOut) {
    if (row.fnc == fnc) return &row;
  }
  return nullptr;
}

}  // namespace

const SpecialRelay* specialRelay(int number) {
  for (const SpecialRelay& relay : kSpecialRelays) {
    if (relay.number == number) return &relay;
  }
  return nullptr;
}

bool translateSpecialRelayCoil(TranslatorRun& t, std::string_view instruction,
                               const fx::Device& device) {
  const SpecialRelay* relay = specialRelay(device.number);
  for (const SpecialCoil& coil : kSpecialCoils) {
    if (!relay || !relay->writable || coil.name != instruction) continue;
    if (relay->number == kOutputsOffRelay) t.noteOutputsOff();
    t.appendGuarded(instruction, coil.statement, {{"mask", std::string(relay->mask)}});
    return false;
  }
  t.refuse(ReasonKind::SpecialRelayCoil,
           {{"instruction", std::string(instruction)}, {"device", device.name()}});
  return true;
}

std::optional<std::string> specialRegisterText(TranslatorRun& t, long number) {
  for (const SpecialRegister& reg : kSpecialRegisters) {
    if (reg.number != number) continue;
    if (t.options().timeBase != TimeBaseChoice::Fx) {
      t.refuse(ReasonKind::ScanTimeNeedsFxBase, {{"register", "D" + dec(number)}});
      return std::nullopt;
    }
    t.useFeature(RuntimeFeature::ScanTime);
    return std::string(reg.text);
  }
  return std::nullopt;
}

std::optional<std::string> specialSourceText(TranslatorRun& t, const fx::WordOperand& operand) {
  if (operand.letter() != 'D' || operand.oddOffset()) return std::nullopt;
  return specialRegisterText(t, operand.number());
}

bool refuseSpecialRegisterWrite(TranslatorRun& t, long number) {
  for (const SpecialRegister& reg : kSpecialRegisters) {
    if (reg.number != number) continue;
    t.refuse(ReasonKind::ScanTimeReadOnly, {{"register", "D" + dec(number)}});
    return true;
  }
  return false;
}

void closeSpecialDevices(TranslatorRun& t) {
  if (t.outputsAtEnd() && !t.drivenOutputs().empty()) {
    CodeWriter pins;
    pins.set("mask", std::string(specialRelay(kOutputsOffRelay)->mask)).line(kPinsOffHead);
    for (int n : t.drivenOutputs()) pins.set("pin", outputPinName(n)).join(kPinOff);
    pins.join(kPinsOffTail).line(kPinsFollowHead);
    for (int n : t.drivenOutputs()) {
      for (const Field& field : outputFields(n)) pins.set(field.name, field.value);
      pins.line(kOutputRefresh);
    }
    t.appendStatement(pins.lines(kPinsFollowTail), /*ladderGuard=*/false);
  }
  if (t.usesFeature(RuntimeFeature::ScanTime)) {
    t.prependStatement(CodeWriter().lines(kMeasureScanTime));
  }
}

std::optional<std::string_view> whyLeftOut(int fnc) {
  const LeftOut* row = leftOut(fnc);
  return row ? std::optional(row->category->why) : std::nullopt;
}

std::optional<std::string_view> leftOutName(int fnc) {
  const LeftOut* row = leftOut(fnc);
  return row ? std::optional(row->name) : std::nullopt;
}

}  // namespace ladder51::detail
