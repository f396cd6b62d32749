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
  std::string_view name;
  char letter;
  std::string (*body)(int n);
};

constexpr Coil kCoils[] = {
    {"OUT", 'Y', outYBody}, {"OUT", 'M', outMBody}, {"SET", 'Y', setYBody},
    {"SET", 'M', setMBody}, {"RST", 'Y', rstYBody}, {"RST", 'M', rstMBody},
};

struct Pulse {
  std::string_view name;
  std::string_view memory;  // plsm or plfm
  bool rising;
};

constexpr Pulse kPulses[] = {{"PLS", "plsm", true}, {"PLF", "plfm", false}};

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
    if (!t.stepIs(coil.name, fx::Layout::DeviceInWord)) continue;
    const fx::Device& device = *t.step().device;
    if (device.letter == 'M' && device.number > 255) t.refuse(kMRange);
    return;
  }
}

void translateCoils(TranslatorRun& t) {
  for (const Coil& coil : kCoils) {
    if (!t.stepIs(coil.name, fx::Layout::DeviceInWord) || t.step().device->letter != coil.letter) {
      continue;
    }
    const int n = t.step().device->number;
    const bool output = coil.letter == 'Y';
    if (refuseAboveFirmware(t, *t.step().device)) return;
    t.appendGuarded(coil.name, coil.body(n));
    if (output && !t.stopped()) t.noteOutputDriven(n);
    return;
  }
}

// PLS: the target is on for one scan after each rising edge of the condition; PLF after each
// falling edge. Each instruction owns one bit of the edge memory plsm or plfm, handed out in
// program order.
void translatePulses(TranslatorRun& t) {
  for (const Pulse& pulse : kPulses) {
    if (!t.stepIs(pulse.name, fx::Layout::DeviceWord)) continue;
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
      t.refuse("too many " + std::string(pulse.name) + " instructions: the firmware has room for " +
               dec(kFirmwarePulseSlots));
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
