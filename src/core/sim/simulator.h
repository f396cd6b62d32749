// Runs generated firmware on the 8051 simulator s51: loads fx1n.hex, starts the chip as from
// power-on, drives the input pins from a stimulus and records when each output point switches.
//
// The simulator itself does the timing: the stimulus goes to it as a waveform that it applies
// at the exact simulated times, and it records the output ports as a waveform of their own, so
// that the conversation needs no round trip per time slice. It stops only where values must be
// read from the chip (samples of watched RAM, outputs on port 4) and at the end.
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

// The memory a watched value lies in: the chip's internal RAM, or its XRAM (read with MOVX),
// where the firmware keeps the tables that outgrow the internal RAM.
enum class RamMemory { Internal, External };

// A value in the chip's RAM to read while the firmware runs: `bytes` bytes from `address`
// (little-endian, as SDCC stores them), or one bit of the byte at `address`.
struct RamWatch {
  std::string name;  // how the value is shown: "D3", "M5"
  int address = 0;   // 0x00..0xFF in internal RAM, 0x0000..0xFFFF in XRAM
  int bytes = 1;     // 1, 2 or 4
  int bit = -1;      // 0..7 for a bit, -1 for the whole value
  RamMemory memory = RamMemory::Internal;

  bool operator==(const RamWatch&) const = default;
};

// A watched value as read at a sample time.
struct ValueChange {
  std::string name;
  long value = 0;
  std::uint64_t timeMicros = 0;

  bool operator==(const ValueChange&) const = default;
};

struct SimulationOptions {
  double crystalMHz = 12.0;
  // Simulated time to run.
  std::uint64_t untilMicros = 1'000'000;
  // Time between two samples of the watched RAM cells (and of outputs on port 4, which the
  // simulated 8052 does not have and so cannot record by itself). Outputs on ports 0..3 and
  // the inputs switch at their exact times whatever this is.
  std::uint64_t sliceMicros = 1000;
  // Set the power-off flag PCON.4 before the first instruction, as the silicon does at power-up.
  bool powerOn = true;
  std::string simulator = "s51";
  // Time the simulator may take to answer one command.
  std::chrono::milliseconds answerTimeLimit{std::chrono::seconds(20)};
  // Values read at every sample.
  std::vector<RamWatch> watches;
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
  // Watched values: each one at the first sample, then whenever a sample finds it changed.
  std::vector<ValueChange> watched;
  // Every watched value at the last sample (the end of the run), in the order of the watches.
  std::vector<ValueChange> finalValues;

  // Level of a point at a time, from the recorded changes (all points start off).
  bool isOn(const std::string& point, std::uint64_t timeMicros) const;
};

// Called after every stop of the simulator with the simulated time reached (for progress).
using SimulationProgress = std::function<void(std::uint64_t simulatedMicros)>;

// Runs the hex file for `options.untilMicros` of simulated time. (core/sim/timeline.h shows
// the result as text.)
Result<SimulationResult> simulate(const std::filesystem::path& hexFile, const SimPinMap& pins,
                                  const Stimulus& stimulus, const SimulationOptions& options,
                                  const SimulationProgress& progress = {});

}  // namespace ladder51
