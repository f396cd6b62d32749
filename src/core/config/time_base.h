// The FX time base's timer: timer 2 of the 8052 in 16-bit auto-reload mode, overflowing every
// millisecond of the crystal, so that no time is lost to the interrupt's latency. Its interrupt
// counts milliseconds; the scan divides them into the clock relays, and each timer adds them to a
// phase of its own, which its 10 ms or 100 ms units come from.
#pragma once

#include <optional>
#include <string>

namespace ladder51 {

struct FxTimer {
  long cycles = 0;            // machine cycles of the period, 1 ms rounded
  double errorPercent = 0.0;  // how far the period is from 1 ms: + longer, - shorter
  std::string reloadHigh;     // the reload, "0xfc" and "0x18"
  std::string reloadLow;
  // Machine cycles of 0.1 ms, the unit of the scan times: a tenth of the period, rounded
  // (at least 1).
  long ticksPerTenthMs = 1;
};

// The period of 1 ms in machine cycles of a crystal of `crystalMHz` and `clocksPerCycle`
// oscillator clocks a machine cycle, or nothing when timer 2 cannot count that long (a crystal
// above about 786 MHz).
std::optional<FxTimer> fxTimerFor(double crystalMHz, int clocksPerCycle);

// Above this rounding error of the period, a build says how far the firmware's time is off.
inline constexpr double kNoticedTimeErrorPercent = 0.1;

}  // namespace ladder51
