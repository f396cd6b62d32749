// The FX time base's timer: timer 2 of the 8052 in 16-bit auto-reload mode, overflowing every
// 5 ms of the crystal, so that no time is lost to the interrupt's latency. Its interrupt counts
// 5 ms units; the scan divides them into the 10 ms and 100 ms timer units and the clock relays.
#pragma once

#include <optional>
#include <string>

namespace ladder51 {

struct FxTimer {
  long cycles = 0;            // machine cycles of the period, 5 ms rounded
  double errorPercent = 0.0;  // how far the period is from 5 ms: + longer, - shorter
  std::string reloadHigh;     // the reload, "0xec" and "0x78"
  std::string reloadLow;
  // Machine cycles of 0.1 ms, the unit of the scan times: a fiftieth of the period, rounded
  // (at least 1).
  long ticksPerTenthMs = 1;
};

// The period of 5 ms in machine cycles of a crystal of `crystalMHz` and `clocksPerCycle`
// oscillator clocks a machine cycle, or nothing when timer 2 cannot count that long (a crystal
// above about 157 MHz).
std::optional<FxTimer> fxTimerFor(double crystalMHz, int clocksPerCycle);

// Above this rounding error of the period, a build says how far the firmware's time is off.
inline constexpr double kNoticedTimeErrorPercent = 0.1;

}  // namespace ladder51
