// The plan of a simulation, worked out before s51 starts: the simulated times at which it
// stops, which of those stops are samples (the chip's values are read there), and the levels
// the stimulus gives the input ports.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/result.h"
#include "core/sim/simulator.h"
#include "core/sim/stimulus.h"

namespace ladder51 {

// Ports 0..3; the 8052 that s51 simulates has no port 4.
inline constexpr int kSimulatedPorts = 4;

// The levels of ports 0..3 from a time on (a pin whose input is on is pulled low).
struct PortLevels {
  std::uint64_t timeMicros = 0;
  std::array<int, kSimulatedPorts> levels{0xFF, 0xFF, 0xFF, 0xFF};

  bool operator==(const PortLevels&) const = default;
};

// One stop of the simulator. At a sample the watched RAM and port 4 are read.
struct Stop {
  std::uint64_t timeMicros = 0;
  bool sample = false;

  bool operator==(const Stop&) const = default;
};

// Everything about a run that follows from its request alone.
struct StopPlan {
  std::vector<int> inputPorts;   // the ports that carry inputs, ascending
  std::vector<int> outputPorts;  // the ports 0..3 that carry outputs, which s51 records
  bool port4Outputs = false;     // outputs on port 4, which only samples can see
  // The input ports' levels after each stimulus time up to the end of the run.
  std::vector<PortLevels> levels;
  // The inputs as applied.
  std::vector<PointChange> inputs;
  // Every input change, every sample and the end, ascending; the last is the end.
  std::vector<Stop> stops;
  // Values read at every sample: the port 4 level (when port4Outputs), then each watch's parts.
  std::size_t valuesPerSample = 0;
};

// The values s51 gives for a watch at a sample: two for a 32-bit value, in 16-bit halves.
inline std::size_t watchParts(const RamWatch& watch) {
  return watch.bit < 0 && watch.bytes == 4 ? 2 : 1;
}

// Plans a run; fails when an input cannot be driven (unmapped or on port 4), when a time or the
// crystal is not positive, or when a watch lies outside its memory.
Result<StopPlan> planStops(const SimPinMap& pins, const Stimulus& stimulus,
                           const SimulationOptions& options);

}  // namespace ladder51
