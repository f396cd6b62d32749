// Runs generated firmware on the 8051 simulator s51: loads fx1n.hex, starts the chip as from
// power-on, drives the input pins from a stimulus and records when each output point switches.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/sim/stimulus.h"

namespace ladder51 {

struct SimulationOptions {
  double crystalMHz = 12.0;
  // Simulated time to run.
  std::uint64_t untilMicros = 1'000'000;
  // Time between two samples of the output pins (and the finest step of the inputs).
  std::uint64_t sliceMicros = 1000;
  // Set the power-off flag PCON.4 before the first instruction, as the silicon does at power-up.
  bool powerOn = true;
  std::string simulator = "s51";
  // Time the simulator may take to answer one command.
  std::chrono::milliseconds answerTimeLimit{std::chrono::seconds(20)};
};

// A point switching, at simulated time.
struct PointChange {
  std::string point;
  bool on = false;
  std::uint64_t timeMicros = 0;

  bool operator==(const PointChange&) const = default;
};

struct SimulationResult {
  std::vector<PointChange> outputs;  // every Y change, in time order
  std::vector<PointChange> inputs;   // every X change as applied to the pins
  std::uint64_t simulatedMicros = 0;
  std::uint64_t clockTicks = 0;  // oscillator periods simulated
  int maxStackPointer = -1;      // highest SP seen, when the simulator reports it

  // Level of a point at a time, from the recorded changes (all points start off).
  bool isOn(const std::string& point, std::uint64_t timeMicros) const;
};

// Called after every slice with the simulated time reached (for progress).
using SimulationProgress = std::function<void(std::uint64_t simulatedMicros)>;

// Runs the hex file for `options.untilMicros` of simulated time.
Result<SimulationResult> simulate(const std::filesystem::path& hexFile, const SimPinMap& pins,
                                  const Stimulus& stimulus, const SimulationOptions& options,
                                  const SimulationProgress& progress = {});

// The Y changes as lines "Y0 on at 120 ms" (times rounded to whole milliseconds).
std::string formatTimeline(const SimulationResult& result);

// The inputs and outputs as a VCD waveform (time unit 1 us), one wire per mapped point.
std::string formatVcd(const SimulationResult& result, const SimPinMap& pins);

}  // namespace ladder51
