// OUT, SET and RST on Y outputs and M relays, and the one-scan pulses PLS and PLF.
// Each appends statements guarded by the rung's condition, which stays in place for the
// next coil of the same rung.
#include "core/translator/translator_run.h"

namespace ladder51::detail {
namespace {

// Texts that set or clear bit n of an image, and drive output n's pin.
std::string bitSet(std::string_view array, int n) {
  return std::string(array) + "[" + dec(n / 8) + "]|=(0x01<<" + dec(n % 8) + ");";
}
std::string bitClear(std::string_view array, int n) {
  return std::string(array) + "[" + dec(n / 8) + "]&=(0xff-(0x01<<" + dec(n % 8) + "));";
}
std::string pinOn(int n) {
  return outputPinName(n) + "=0;";
}
std::string pinOff(int n) {
  return outputPinName(n) + "=1;";
}

// The statement bodies (what follows "if(" cond ")") of the six single-step coils.
std::string outYBody(int n) {
  return "{" + bitSet("y", n) + pinOn(n) + "}\r\nelse\r\n{" + bitClear("y", n) + pinOff(n) +
         "}\r\n";
}
std::string outMBody(int n) {
  return bitSet("m", n) + "\r\nelse\r\n" + bitClear("m", n) + "\r\n";
}
std::string setYBody(int n) {
  return "{" + bitSet("y", n) + pinOn(n) + "}\r\n";
}
std::string setMBody(int n) {
  return bitSet("m", n) + "\r\n";
}
std::string rstYBody(int n) {
  return "{" + bitClear("y", n) + pinOff(n) + "}\r\n";
}
std::string rstMBody(int n) {
  return bitClear("m", n) + "\r\n";
}

struct Coil {
  int high;
  std::string_view name;
  bool output;  // Y (true) or M (false)
  std::string (*body)(int n);
};

constexpr Coil kCoils[] = {
    {0xC5, "OUT", true, outYBody},  {0xC8, "OUT", false, outMBody}, {0xD5, "SET", true, setYBody},
    {0xD8, "SET", false, setMBody}, {0xE5, "RST", true, rstYBody},  {0xE8, "RST", false, rstMBody},
};

struct Pulse {
  int low;
  std::string_view name;
  std::string_view memory;  // plsm or plfm
  bool rising;
};

constexpr Pulse kPulses[] = {{0x08, "PLS", "plsm", true}, {0x09, "PLF", "plfm", false}};

}  // namespace

void translateCoils(TranslatorRun& t) {
  for (const Coil& coil : kCoils) {
    if (t.at(1) != coil.high) continue;
    const int n = t.value(0);
    if (coil.output ? t.refuseAbove(n, kMaxPoint, kYRange) : t.refuseAbove(n, kMaxRelay, kMRange)) {
      return;
    }
    t.appendGuarded(coil.name, coil.body(n));
    if (coil.output && !t.stopped()) t.noteOutputDriven(n);
    return;
  }
}

// PLS: the target is on for one scan after each rising edge of the condition; PLF after each
// falling edge. Each instruction owns one bit of the edge memory plsm or plfm, handed out in
// program order.
void translatePulses(TranslatorRun& t) {
  for (const Pulse& pulse : kPulses) {
    if (!t.isWord(pulse.low, 0x00)) continue;
    const bool output = t.at(3) == 0x85;
    if (!output && t.at(3) != 0x88) return;  // another operand class: nothing to do
    const int n = t.value(2);
    if (output ? t.refuseAbove(n, kMaxPoint, kYRange) : t.refuseAbove(n, kMaxRelay, kMRange)) {
      return;
    }
    int& count = pulse.rising ? t.risingPulseCount() : t.fallingPulseCount();
    if (count >= kMaxPulses) {
      t.refuse("too many " + std::string(pulse.name) + " instructions: the firmware has room for " +
               dec(kMaxPulses));
      return;
    }
    const std::string* top = t.top(pulse.name);
    if (!top) return;
    const std::string cond = *top;
    const std::string memory(pulse.memory);
    const std::string bit = memory + "[" + dec(count / 8) + "]&(0x01<<" + dec(count % 8) + ")";
    const std::string arm = memory + "[" + dec(count / 8) + "]|=(0x01<<" + dec(count % 8) + ");";
    const std::string disarm =
        memory + "[" + dec(count / 8) + "]&=0xff-(0x01<<" + dec(count % 8) + ");";
    const std::string targetOn = output ? bitSet("y", n) + pinOn(n) : bitSet("m", n);
    const std::string edge = pulse.rising ? cond : "(!" + cond + ")";
    const std::string armed = pulse.rising ? "(!" + cond + ")" : cond;

    t.appendStatement((output ? bitClear("y", n) + pinOff(n) : bitClear("m", n)) + "\r\n");
    t.appendStatement("if(" + edge + "&& (" + bit + "))" + "{" + disarm + targetOn + "}\r\n");
    t.appendStatement("if(" + armed + "&& (!(" + bit + ")))" + arm + "\r\n");
    if (output) t.noteOutputDriven(n);
    ++count;
    return;
  }
}

}  // namespace ladder51::detail
