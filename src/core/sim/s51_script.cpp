#include "core/sim/s51_script.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace ladder51 {
namespace {

// The simulator variable the stimulus waveform switches at every stop time: the last byte of
// external RAM, far above the tables the firmware keeps there.
constexpr char kClockVariable[] = "ladder51_clock";
constexpr char kClockCell[] = "xram 0xffff";
constexpr char kPort4Sfr[] = "sfr[0xe8]";

std::string bits(int value) {
  std::string text;
  for (int bit = 7; bit >= 0; --bit) text += (value >> bit) & 1 ? '1' : '0';
  return text;
}

// The one-letter identifier of the k-th input port's wire.
std::string wireId(std::size_t k) {
  return std::string(1, static_cast<char>('a' + k));
}

// A byte of the watch's memory: "iram[0x1a]", "xram[0x01c7]".
std::string cellText(const RamWatch& watch, int offset) {
  char cell[32];
  if (watch.memory == RamMemory::External)
    std::snprintf(cell, sizeof cell, "xram[0x%04x]", watch.address + offset);
  else
    std::snprintf(cell, sizeof cell, "iram[0x%02x]", watch.address + offset);
  return cell;
}

// The expressions that read a watched value, each one into the low 16 bits of its answer: one
// for a bit, a byte or a 16-bit value, two for a 32-bit value (its low half first).
std::vector<std::string> watchExpressions(const RamWatch& watch) {
  const std::string cell = cellText(watch, 0);
  if (watch.bit >= 0) return {"((" + cell + ">>" + std::to_string(watch.bit) + ")&1)"};
  if (watch.bytes == 1) return {cell};
  std::vector<std::string> halves;
  for (int at = 0; at < watch.bytes; at += 2)
    halves.push_back("(" + cellText(watch, at) + "|(" + cellText(watch, at + 1) + "<<8))");
  return halves;
}

}  // namespace

std::string markerCommand(std::size_t k) {
  return "expression /X " + std::to_string(kMarkerTag + static_cast<long>(k & 0xFFFFFF)) + "\n";
}
std::string markerAnswer(std::size_t k) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", kMarkerTag + static_cast<long>(k & 0xFFFFFF));
  return text;
}

std::vector<std::string> s51Arguments(const SimulationOptions& options) {
  char crystal[32];
  std::snprintf(crystal, sizeof crystal, "%gM", options.crystalMHz);
  return {"-t", "8052", "-X", crystal, "-b"};
}

std::string stimulusWaveform(const StopPlan& plan) {
  std::string text = "$timescale 1us $end\n$scope module stimulus $end\n";
  // s51 maps a wire of width w to bits w-2..0, so 32-bit wires carry the 8 pins.
  for (std::size_t k = 0; k < plan.inputPorts.size(); ++k) {
    text +=
        "$var wire 32 " + wireId(k) + " port" + std::to_string(plan.inputPorts[k]) + "_pin $end\n";
  }
  text += "$var wire 32 z " + std::string(kClockVariable) + " $end\n";
  text += "$upscope $end\n$enddefinitions $end\n";
  std::size_t change = 0;
  PortLevels current;
  int clock = 0;
  for (const Stop& stop : plan.stops) {
    text += "#" + std::to_string(stop.timeMicros) + "\n";
    for (; change < plan.levels.size() && plan.levels[change].timeMicros <= stop.timeMicros;
         ++change) {
      for (std::size_t k = 0; k < plan.inputPorts.size(); ++k) {
        const int port = plan.inputPorts[k];
        if (plan.levels[change].levels[port] != current.levels[port]) {
          current.levels[port] = plan.levels[change].levels[port];
          text += "b" + bits(current.levels[port]) + " " + wireId(k) + "\n";
        }
      }
    }
    clock ^= 1;
    text += "b" + bits(clock) + " z\n";
  }
  return text;
}

std::string loadCommands(const std::filesystem::path& hex, bool powerOn) {
  std::string load = "file \"" + hex.string() + "\"\n";
  if (powerOn) load += "set memory sfr 0x87 0x10\n";
  return load;
}

std::string setupCommands(const StopPlan& plan, const SimulationOptions& options,
                          const S51Files& files) {
  std::string setup = loadCommands(files.hex, options.powerOn);
  setup += "var " + std::string(kClockVariable) + " " + kClockCell + "\n";
  setup += recordCommands(plan.outputPorts, files.outputWave);
  setup += "set hw vcd[1] input \"" + files.stimulusWave.string() +
           "\"\nset hw vcd[1] break\nset hw vcd[1] start\n";
  return setup;
}

std::string recordCommands(const std::vector<int>& ports, const std::filesystem::path& wave) {
  std::string commands = "set hw vcd[0] new 1\n";
  if (ports.empty()) return commands;
  for (int port : ports) commands += "set hw vcd[0] add port_" + std::to_string(port) + "_cfg 2\n";
  return commands + "set hw vcd[0] file \"" + wave.string() + "\"\nset hw vcd[0] start\n";
}

std::string port4Command() {
  return "expression /X " + std::to_string(kPort4Tag) + "|" + kPort4Sfr + "\n";
}

std::string sampleCommands(const StopPlan& plan, const SimulationOptions& options) {
  return (plan.port4Outputs ? port4Command() : "") + watchCommands(options.watches);
}

std::string watchCommands(const std::vector<RamWatch>& watches) {
  std::string commands;
  for (std::size_t k = 0; k < watches.size(); ++k) {
    for (const std::string& expression : watchExpressions(watches[k])) {
      commands += "expression /X " + std::to_string(kWatchTag + (static_cast<long>(k) << 16)) +
                  "|" + expression + "\n";
    }
  }
  return commands;
}

std::vector<S51Batch> scriptBatches(const StopPlan& plan, const SimulationOptions& options,
                                    const S51Files& files, std::size_t stopsPerBatch) {
  const std::string sample = sampleCommands(plan, options);
  stopsPerBatch = std::max<std::size_t>(stopsPerBatch, 1);
  std::vector<S51Batch> batches;
  std::uint64_t reached = 0;
  for (std::size_t first = 0; first < plan.stops.size(); first += stopsPerBatch) {
    S51Batch batch;
    batch.firstStop = first;
    batch.stopCount = std::min(plan.stops.size() - first, stopsPerBatch);
    if (first == 0) batch.commands = setupCommands(plan, options, files);
    for (std::size_t k = first; k < first + batch.stopCount; ++k) {
      batch.commands += "run\n";
      if (plan.stops[k].sample) batch.commands += sample;
    }
    if (first + batch.stopCount == plan.stops.size())
      batch.commands += "set hw vcd[0] stop\nstate\n";
    batch.commands += markerCommand(batches.size() + 1);
    batch.answerEnd = markerAnswer(batches.size() + 1);
    const std::uint64_t end = plan.stops[first + batch.stopCount - 1].timeMicros;
    batch.simulatedMicros = end - reached;
    reached = end;
    batches.push_back(std::move(batch));
  }
  return batches;
}

}  // namespace ladder51
