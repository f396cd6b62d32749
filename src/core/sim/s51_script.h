// What ladder51 tells s51: the command line that starts it, the setup that loads the firmware
// and connects the waveforms, the stops in batches, and the waveform of the input pins.
//
// Every value asked for is printed in hexadecimal behind a tag byte while the command gives the
// tag in decimal: s51 echoes each command as it reads it, the echo can land among its answers,
// and so an echo can never look like an answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/sim/simulator.h"
#include "core/sim/stop_plan.h"

namespace ladder51 {

// Tags in the top byte of the values read back: the end of a batch, port 4, a watch (with the
// watch's index in the next byte; a 32-bit value comes as two, its low half first).
inline constexpr long kMarkerTag = 0x5C000000;
inline constexpr long kPort4Tag = 0x5B000000;
inline constexpr long kWatchTag = 0x5D000000;

// Stops sent in one batch. Two batches are in flight at a time so that the simulator always has
// its next commands waiting (when idle it looks for input only every 100 ms).
inline constexpr std::size_t kStopsPerBatch = 64;

// The files of one run, as the commands name them.
struct S51Files {
  std::filesystem::path hex;           // the firmware, an absolute path
  std::filesystem::path stimulusWave;  // the waveform s51 plays into the input pins
  std::filesystem::path outputWave;    // the waveform s51 records of the output ports
};

// Commands sent together, and what their answer covers.
struct S51Batch {
  std::string commands;
  std::size_t firstStop = 0;  // index into StopPlan::stops
  std::size_t stopCount = 0;
  // Simulated time from the previous batch's last stop to this one's.
  std::uint64_t simulatedMicros = 0;
  // The answer is complete with this text: the batch's last command prints it.
  std::string answerEnd;
};

// A command that prints the k-th marker (from 1), and the line that answers it: the end of an
// answer.
std::string markerCommand(std::size_t k);
std::string markerAnswer(std::size_t k);

// The arguments that start s51 for the chip at this crystal, reading commands on its input.
std::vector<std::string> s51Arguments(const SimulationOptions& options);

// The levels of the input ports over time, as a waveform s51 plays into the pins, with every
// stop marked on a simulator variable (s51 breaks at every event of this waveform).
std::string stimulusWaveform(const StopPlan& plan);

// The commands that load the firmware and, for a power-up, set the power-on flag PCON.4 (ucsim
// starts with it clear, which the firmware reads as a watchdog restart).
std::string loadCommands(const std::filesystem::path& hex, bool powerOn);

// The commands that have s51 record the levels of `ports` (0..3) into the waveform file `wave` as
// the chip runs; with no ports, only the recorder's creation.
std::string recordCommands(const std::vector<int>& ports, const std::filesystem::path& wave);

// The command that prints port 4's level behind kPort4Tag.
std::string port4Command();

// The commands that load the firmware, set the power-on flag, and start both waveforms.
std::string setupCommands(const StopPlan& plan, const SimulationOptions& options,
                          const S51Files& files);

// The commands that read port 4 and the watched values at a sample.
std::string sampleCommands(const StopPlan& plan, const SimulationOptions& options);
// The commands that print each watch behind kWatchTag and its index.
std::string watchCommands(const std::vector<RamWatch>& watches);

// The whole conversation: the setup and the stops in batches; each stop is a run to the next
// event of the stimulus waveform, followed by the reads when it is a sample. The last batch
// also stops the output recording and asks for the stack's high-water mark.
std::vector<S51Batch> scriptBatches(const StopPlan& plan, const SimulationOptions& options,
                                    const S51Files& files,
                                    std::size_t stopsPerBatch = kStopsPerBatch);

}  // namespace ladder51
