// What s51 answers, read back into the run's results: the stops with their clock ticks and
// reasons, the tagged values read at samples, and the waveform it recorded of the output ports.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "core/sim/simulator.h"
#include "core/sim/stop_plan.h"

namespace ladder51 {

// What the simulator reported at one stop: the oscillator periods since the previous stop
// ("Simulated 1200012 ticks (1.000e-01 sec)"), why it stopped, and the tagged values read.
struct StopAnswer {
  std::uint64_t ticks = 0;
  std::string reason;  // "Breakpoint" for a stop at a waveform event
  std::vector<unsigned long> values;

  bool operator==(const StopAnswer&) const = default;
};

// The stops in an answer, in the order they came.
std::vector<StopAnswer> readStops(std::string_view answer);

// True when the answer reports the firmware loaded ("... words read from ...").
bool reportsProgramLoaded(std::string_view answer);

// The stack pointer's high-water mark from the answer to "state", or -1.
int maxStackPointerIn(std::string_view answer);

// A port's level from a time on.
struct PortChange {
  std::uint64_t timeMicros = 0;
  int port = 0;
  int level = 0xFF;

  bool operator==(const PortChange&) const = default;
};

// Reads the waveform s51 records of the ports (variables "portN_value", times in the
// waveform's own time scale) as it grows: each piece of text given ends with a whole line.
class OutputWaveformReader {
 public:
  // The port changes in the next lines of the waveform.
  std::vector<PortChange> take(std::string_view lines);

 private:
  std::map<std::string, int> portOf_;
  double microsPerUnit_ = 1e-6;  // s51 picks picoseconds
  std::uint64_t time_ = 0;
};

// The changes of the ports in a whole waveform s51 recorded.
std::vector<PortChange> readOutputWaveform(std::string_view text);

// The levels of ports 0..4 (port 4 last).
using PortLevelArray = std::array<int, kSimulatedPorts + 1>;

// The output points' switchings, in time order, from their ports' levels up to `untilMicros`.
// Outputs are active low: a point is on while its pin is low. Every port starts high.
std::vector<PointChange> outputChanges(const std::vector<PortChange>& changes,
                                       const SimPinMap& pins, std::uint64_t untilMicros);
// The same from the levels in `levels`, which are left at the levels after the changes.
std::vector<PointChange> outputChanges(const std::vector<PortChange>& changes,
                                       const SimPinMap& pins, std::uint64_t untilMicros,
                                       PortLevelArray& levels);

// The values printed behind a tag (kPort4Tag, kWatchTag) in an answer, in the order printed.
std::vector<unsigned long> taggedValues(std::string_view answer, long tag);

// The watches' values from the tagged values their commands printed (watchCommands), in order;
// nothing when those do not match the watches.
std::optional<std::vector<long>> watchValues(std::span<const unsigned long> tagged,
                                             const std::vector<RamWatch>& watches);

// Follows the answers of a run batch by batch: the clock reached, the values at each sample.
class AnswerReader {
 public:
  AnswerReader(const StopPlan& plan, const SimPinMap& pins, const SimulationOptions& options);

  // Takes the answer to the next batch, which holds `stopCount` stops. Fails when the answer
  // cannot be read or when the chip stopped short of a stop on its own.
  Status take(std::string_view answer, std::size_t stopCount);

  // The simulated time reached.
  std::uint64_t simulatedMicros() const;

  // The results, with the ports' changes s51 recorded (empty when no output is on ports 0..3)
  // and the answer to the last batch.
  SimulationResult finish(const std::vector<PortChange>& recorded,
                          std::string_view lastAnswer) const;

 private:
  Status takeSample(const StopAnswer& stop, std::uint64_t atMicros);

  const StopPlan& plan_;
  const SimPinMap& pins_;
  const SimulationOptions& options_;
  std::size_t nextStop_ = 0;
  std::uint64_t ticks_ = 0;
  std::vector<long> lastValues_;
  std::vector<PortChange> port4_;  // port 4 as sampled
  std::vector<ValueChange> watched_;
  std::vector<ValueChange> finalValues_;
};

}  // namespace ladder51
