#include "core/config/time_base.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ladder51 {

std::optional<FxTimer> fxTimerFor(double crystalMHz, int clocksPerCycle) {
  constexpr double kPeriodSeconds = 0.001;
  const double exact = crystalMHz * 1e6 / clocksPerCycle * kPeriodSeconds;
  const long cycles = std::lround(exact);
  if (cycles < 1 || cycles > 65536) return std::nullopt;
  const long reload = 65536 - cycles;
  char high[8];
  char low[8];
  std::snprintf(high, sizeof high, "0x%02lx", reload / 256);
  std::snprintf(low, sizeof low, "0x%02lx", reload % 256);
  const long ticks = std::max(1L, std::lround(static_cast<double>(cycles) / 10.0));
  return FxTimer{cycles, (static_cast<double>(cycles) - exact) / exact * 100.0, high, low, ticks};
}

}  // namespace ladder51
