#include "core/sim/stop_plan.h"

#include <map>
#include <set>

namespace ladder51 {
namespace {

Status checkRequest(const SimPinMap& pins, const Stimulus& stimulus,
                    const SimulationOptions& options) {
  for (const auto& [point, pin] : pins.inputs) {
    if (pin.port >= kSimulatedPorts) {
      return Error{ErrorKind::BadArgument, "the simulated 8052 has no port 4, so " + point +
                                               " on " + pin.name() + " cannot be driven"};
    }
  }
  for (const StimulusEvent& event : stimulus.events) {
    if (!pins.inputs.contains(event.point)) {
      return Error{ErrorKind::BadArgument,
                   "the stimulus switches " + event.point + ", which no pin carries"};
    }
  }
  if (options.crystalMHz <= 0 || options.sliceMicros == 0 || options.untilMicros == 0) {
    return Error{ErrorKind::BadArgument,
                 "the crystal frequency, the time slice and the simulated time must be positive"};
  }
  if (options.watches.size() > 255)
    return Error{ErrorKind::BadArgument, "too many values to watch"};
  for (const RamWatch& watch : options.watches) {
    const bool external = watch.memory == RamMemory::External;
    if (watch.address < 0 || watch.address + watch.bytes > (external ? 0x10000 : 0x100) ||
        (watch.bytes != 1 && watch.bytes != 2 && watch.bytes != 4) || watch.bit < -1 ||
        watch.bit > 7) {
      return Error{ErrorKind::BadArgument,
                   external ? "a watched value lies outside the external RAM"
                            : "a watched value lies outside the internal RAM",
                   watch.name};
    }
  }
  return success();
}

}  // namespace

Result<StopPlan> planStops(const SimPinMap& pins, const Stimulus& stimulus,
                           const SimulationOptions& options) {
  if (Status valid = checkRequest(pins, stimulus, options); !valid) return valid.error();
  StopPlan plan;
  std::set<int> inputPorts, outputPorts;
  for (const auto& entry : pins.inputs) inputPorts.insert(entry.second.port);
  for (const auto& entry : pins.outputs) {
    if (entry.second.port < kSimulatedPorts)
      outputPorts.insert(entry.second.port);
    else
      plan.port4Outputs = true;
  }
  plan.inputPorts.assign(inputPorts.begin(), inputPorts.end());
  plan.outputPorts.assign(outputPorts.begin(), outputPorts.end());
  plan.valuesPerSample = plan.port4Outputs ? 1 : 0;
  for (const RamWatch& watch : options.watches) plan.valuesPerSample += watchParts(watch);

  // Events at one time give one change of levels.
  PortLevels now;
  for (const StimulusEvent& event : stimulus.events) {
    if (event.timeMicros > options.untilMicros) break;
    const PortPin pin = pins.inputs.at(event.point);
    if (event.on)
      now.levels[pin.port] &= ~(1 << pin.bit);
    else
      now.levels[pin.port] |= 1 << pin.bit;
    now.timeMicros = event.timeMicros;
    if (!plan.levels.empty() && plan.levels.back().timeMicros == event.timeMicros)
      plan.levels.back() = now;
    else
      plan.levels.push_back(now);
    plan.inputs.push_back({event.point, event.on, event.timeMicros});
  }

  // The simulator stops at every input change (where it applies the new levels), at every
  // sample when something must be read from the chip, and at the end, which is a sample.
  std::map<std::uint64_t, bool> sampleAt;
  for (const PortLevels& change : plan.levels) sampleAt.try_emplace(change.timeMicros, false);
  if (plan.valuesPerSample > 0) {
    for (std::uint64_t t = options.sliceMicros; t < options.untilMicros; t += options.sliceMicros)
      sampleAt[t] = true;
  }
  sampleAt[options.untilMicros] = true;
  for (const auto& [time, sample] : sampleAt) plan.stops.push_back({time, sample});
  return plan;
}

}  // namespace ladder51
