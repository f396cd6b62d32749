#include "core/sim/simulator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "core/toolchain/process.h"

namespace ladder51 {
namespace {

constexpr int kSimulatedPorts = 4;  // ports 0..3; the 8052 of s51 has no port 4
constexpr int kPort4Sfr = 0xE8;
constexpr int kSlicesPerBatch = 250;
// Tag bytes of the values read back (see S51::exchange).
constexpr long kMarkerTag = 0x5C000000;
constexpr long kLowPortsTag = 0x5A000000;   // P0, P1, P2
constexpr long kHighPortsTag = 0x5B000000;  // P3, port 4's SFR

// One conversation with s51. Every batch of commands ends with an expression whose value is a
// fresh marker, so that the answer to the batch is complete once the marker line arrives.
class S51 {
 public:
  explicit S51(std::chrono::milliseconds limit) : limit_(limit) {}

  Status start(const SimulationOptions& options, const std::filesystem::path& directory) {
    char crystal[32];
    std::snprintf(crystal, sizeof crystal, "%gM", options.crystalMHz);
    Status started =
        session_.start({options.simulator, {"-t", "8052", "-X", crystal, "-b"}, directory, {}});
    if (!started) return Error{"the 8051 simulator cannot be started", options.simulator};
    // The banner ends before the first command is read.
    if (Result<std::string> banner = exchange(""); !banner) return banner.error();
    return success();
  }

  Result<std::string> exchange(const std::string& commands) {
    // s51 echoes each command as it reads it, and the echo can land inside its answers. So
    // every value asked for is printed in hexadecimal behind a tag byte (0x5c for the marker)
    // while the command gives it in decimal: an echo can never look like an answer.
    const long marker = kMarkerTag + (++marker_ & 0xFFFFFF);
    char expected[16];
    std::snprintf(expected, sizeof expected, "0x%08lx", marker);
    if (Status sent = session_.send(commands + "expression /X " + std::to_string(marker) + "\n");
        !sent) {
      return sent.error();
    }
    Result<std::string> answer = session_.readUntil(expected, limit_);
    if (!answer) return Error{"the 8051 simulator stopped answering", answer.error().message};
    return answer;
  }

  void quit() {
    (void)session_.send("quit\n");
    session_.finish(std::chrono::seconds(2));
  }

 private:
  ProcessSession session_;
  std::chrono::milliseconds limit_;
  long marker_ = 0;
};

// What one "step" and the port sample after it report: the oscillator periods it ran ("Stop at
// 0x0095: (109) stepped 24 ticks") and the levels of ports 0..4.
struct SliceAnswer {
  std::uint64_t ticks = 0;
  std::array<int, 6> bytes{};  // in the order of PortSample::ports
  int portsSeen = 0;
};

// The ports that carry outputs, read after every step: up to three per tagged expression, as
// every command costs the simulator time.
struct PortSample {
  std::vector<int> ports;  // ports 0..4 in the order their bytes are read
  std::string commands;
  int expressions = 0;
};

PortSample portSample(const SimPinMap& pins) {
  PortSample sample;
  for (const auto& entry : pins.outputs) {
    if (std::find(sample.ports.begin(), sample.ports.end(), entry.second.port) ==
        sample.ports.end()) {
      sample.ports.push_back(entry.second.port);
    }
  }
  std::sort(sample.ports.begin(), sample.ports.end());
  auto name = [](int port) {
    return port == 4 ? "sfr[" + std::to_string(kPort4Sfr) + "]" : "P" + std::to_string(port);
  };
  for (std::size_t first = 0; first < sample.ports.size(); first += 3) {
    std::string expression =
        "expression /X " + std::to_string(first == 0 ? kLowPortsTag : kHighPortsTag);
    for (std::size_t k = first; k < std::min(first + 3, sample.ports.size()); ++k) {
      expression +=
          "|(" + name(sample.ports[k]) + "<<" + std::to_string(16 - 8 * (k - first)) + ")";
    }
    sample.commands += expression + "\n";
    ++sample.expressions;
  }
  return sample;
}

// The next value printed behind `tag`: the tag, six hex digits and the line's end. Register
// dumps and disassembly show shorter or longer numbers, so they never match.
std::size_t findTagged(const std::string& answer, const char* tag, std::size_t from) {
  for (std::size_t at = answer.find(tag, from); at != std::string::npos;
       at = answer.find(tag, at + 1)) {
    std::size_t end = at + 10;
    if (end >= answer.size() || (answer[end] != '\n' && answer[end] != '\r')) continue;
    bool hex = true;
    for (std::size_t k = at + 4; k < end; ++k)
      hex = hex && std::isxdigit(static_cast<unsigned char>(answer[k]));
    if (hex) return at;
  }
  return std::string::npos;
}

// Reads the answers to a batch of slices in the order they came.
std::vector<SliceAnswer> readSlices(const std::string& answer) {
  std::vector<SliceAnswer> slices;
  for (std::size_t at = 0; at < answer.size();) {
    std::size_t stepped = answer.find("stepped ", at);
    std::size_t low = findTagged(answer, "0x5a", at);
    std::size_t high = findTagged(answer, "0x5b", at);
    std::size_t next = std::min({stepped, low, high});
    if (next == std::string::npos) break;
    if (next == stepped) {
      unsigned long long ticks = 0;
      if (std::sscanf(answer.c_str() + next, "stepped %llu ticks", &ticks) == 1) {
        slices.push_back({ticks, {}, 0});
      }
      at = next + 8;
      continue;
    }
    unsigned long value = 0;
    if (!slices.empty() && std::sscanf(answer.c_str() + next, "0x%8lx", &value) == 1) {
      SliceAnswer& slice = slices.back();
      const std::size_t first = next == low ? 0 : 3;
      for (std::size_t k = 0; k < 3; ++k) {
        slice.bytes[first + k] = static_cast<int>((value >> (16 - 8 * k)) & 0xFF);
      }
      ++slice.portsSeen;
    }
    at = next + 4;
  }
  return slices;
}

}  // namespace

bool SimulationResult::isOn(const std::string& point, std::uint64_t timeMicros) const {
  bool on = false;
  const auto& changes = point.starts_with("X") ? inputs : outputs;
  for (const PointChange& change : changes) {
    if (change.timeMicros > timeMicros) break;
    if (change.point == point) on = change.on;
  }
  return on;
}

Result<SimulationResult> simulate(const std::filesystem::path& hexFile, const SimPinMap& pins,
                                  const Stimulus& stimulus, const SimulationOptions& options,
                                  const SimulationProgress& progress) {
  std::error_code ec;
  const std::filesystem::path hex = std::filesystem::absolute(hexFile, ec);
  if (!std::filesystem::is_regular_file(hex, ec))
    return Error{"no such hex file", hexFile.string()};
  if (hex.string().find('"') != std::string::npos) {
    return Error{"the simulator cannot load a file whose path holds a quote", hex.string()};
  }
  for (const auto& [point, pin] : pins.inputs) {
    if (pin.port >= kSimulatedPorts) {
      return Error{"the simulated 8052 has no port 4, so " + point + " on " + pin.name() +
                       " cannot be driven",
                   {}};
    }
  }
  for (const StimulusEvent& event : stimulus.events) {
    if (!pins.inputs.contains(event.point)) {
      return Error{"the stimulus switches " + event.point + ", which no pin carries", {}};
    }
  }
  if (options.crystalMHz <= 0 || options.sliceMicros == 0) {
    return Error{"the crystal frequency and the time slice must be positive", {}};
  }

  S51 s51(options.answerTimeLimit);
  if (Status started = s51.start(options, hex.parent_path()); !started) return started.error();
  std::string setup = "file \"" + hex.string() + "\"\n";
  if (options.powerOn) setup += "set memory sfr 0x87 0x10\n";
  Result<std::string> loaded = s51.exchange(setup);
  if (!loaded) return loaded.error();
  // s51 reports the load when the simulation first runs.
  bool loadSeen = loaded->find("words read") != std::string::npos;

  const double ticksPerMicro = options.crystalMHz;  // oscillator periods per microsecond
  auto micros = [&](std::uint64_t ticks) {
    return static_cast<std::uint64_t>(std::llround(static_cast<double>(ticks) / ticksPerMicro));
  };
  const std::uint64_t endTicks = static_cast<std::uint64_t>(
      std::llround(static_cast<double>(options.untilMicros) * ticksPerMicro));
  const std::uint64_t sliceTicks = std::max<std::uint64_t>(
      1, static_cast<std::uint64_t>(
             std::llround(static_cast<double>(options.sliceMicros) * ticksPerMicro)));

  // Outside levels of ports 0..3: a pin with its input point on is pulled low.
  std::array<int, kSimulatedPorts> levels{0xFF, 0xFF, 0xFF, 0xFF};
  std::map<std::string, bool> outputOn;
  for (const auto& entry : pins.outputs) outputOn[entry.first] = false;
  const PortSample portSampling = portSample(pins);
  const std::string& sample = portSampling.commands;
  std::array<std::size_t, 5> byteOfPort{};
  for (std::size_t k = 0; k < portSampling.ports.size(); ++k) {
    byteOfPort[static_cast<std::size_t>(portSampling.ports[k])] = k;
  }
  SimulationResult result;
  std::uint64_t now = 0;
  std::size_t nextEvent = 0;
  // Oscillator periods per instruction, refined from what the simulator reports. Planning with
  // a little more than measured makes a batch end just before an input change rather than after.
  double ticksPerInstruction = 24.0;
  auto eventTicks = [&](std::size_t k) {
    return static_cast<std::uint64_t>(
        std::llround(static_cast<double>(stimulus.events[k].timeMicros) * ticksPerMicro));
  };
  while (now < endTicks) {
    // Inputs due by now switch first.
    std::string commands;
    std::array<int, kSimulatedPorts> newLevels = levels;
    while (nextEvent < stimulus.events.size() && eventTicks(nextEvent) <= now) {
      const StimulusEvent& event = stimulus.events[nextEvent++];
      const PortPin pin = pins.inputs.at(event.point);
      if (event.on)
        newLevels[pin.port] &= ~(1 << pin.bit);
      else
        newLevels[pin.port] |= 1 << pin.bit;
      result.inputs.push_back({event.point, event.on, micros(now)});
    }
    for (int port = 0; port < kSimulatedPorts; ++port) {
      if (newLevels[port] != levels[port]) {
        char line[48];
        std::snprintf(line, sizeof line, "set hw port[%d] 0x%02x\n", port, newLevels[port]);
        commands += line;
      }
    }
    levels = newLevels;

    // Each answer of s51 costs a round trip, so the slices up to the next input change (or the
    // end) go in one batch; their lengths in instructions come from the last measured speed.
    std::uint64_t limit = endTicks;
    if (nextEvent < stimulus.events.size()) limit = std::min(limit, eventTicks(nextEvent));
    std::uint64_t planned = now;
    int batch = 0;
    while (planned < limit && batch < kSlicesPerBatch) {
      std::uint64_t target = std::min(limit, planned + sliceTicks);
      auto instructions = static_cast<std::uint64_t>(
          std::max(1.0, std::floor(static_cast<double>(target - planned) / ticksPerInstruction)));
      commands += "step " + std::to_string(instructions) + "\n" + sample;
      planned = target;
      ++batch;
    }
    if (batch == 0) {  // the next change is due at once: one instruction brings it closer
      commands += "step 1\n" + sample;
      batch = 1;
    }
    Result<std::string> answer = s51.exchange(commands);
    if (!answer) return answer.error();
    if (!loadSeen && answer->find("words read") == std::string::npos) {
      s51.quit();
      return Error{"the simulator could not load the hex file", hex.string()};
    }
    loadSeen = true;
    std::vector<SliceAnswer> slices = readSlices(*answer);
    if (slices.size() != static_cast<std::size_t>(batch)) {
      s51.quit();
      return Error{"the simulator's answer cannot be read", {}};
    }
    std::uint64_t batchTicks = 0;
    for (const SliceAnswer& slice : slices) {
      if (slice.ticks == 0) {
        s51.quit();
        return Error{"the simulated chip has stopped", {}};
      }
      if (slice.portsSeen != portSampling.expressions) {
        s51.quit();
        return Error{"the simulator's answer about the ports cannot be read", {}};
      }
      now += slice.ticks;
      batchTicks += slice.ticks;
      for (const auto& [point, pin] : pins.outputs) {
        // Outputs are active low: a pin at 0 is an output that is on.
        const int level = slice.bytes[byteOfPort[static_cast<std::size_t>(pin.port)]];
        bool on = (level & (1 << pin.bit)) == 0;
        if (on != outputOn[point]) {
          outputOn[point] = on;
          result.outputs.push_back({point, on, micros(now)});
        }
      }
    }
    if (batchTicks > static_cast<std::uint64_t>(batch) * 12) {
      // Average oscillator periods per instruction over the batch (12 is the least).
      std::uint64_t instructionsRun = 0;
      for (std::size_t at = commands.find("step "); at != std::string::npos;
           at = commands.find("step ", at + 5)) {
        instructionsRun += std::strtoull(commands.c_str() + at + 5, nullptr, 10);
      }
      ticksPerInstruction = 1.1 * std::max(12.0, static_cast<double>(batchTicks) /
                                                     static_cast<double>(instructionsRun));
    }
    if (progress) progress(micros(now));
  }

  Result<std::string> state = s51.exchange("state\n");
  if (state) {
    std::size_t at = state->find("Max value of stack pointer=");
    unsigned value = 0;
    if (at != std::string::npos &&
        std::sscanf(state->c_str() + at, "Max value of stack pointer= %x", &value) == 1) {
      result.maxStackPointer = static_cast<int>(value);
    }
  }
  s51.quit();
  result.clockTicks = now;
  result.simulatedMicros = micros(now);
  return result;
}

std::string formatTimeline(const SimulationResult& result) {
  std::string text;
  for (const PointChange& change : result.outputs) {
    text += change.point + (change.on ? " on" : " off") + " at " +
            std::to_string((change.timeMicros + 500) / 1000) + " ms\n";
  }
  return text;
}

std::string formatVcd(const SimulationResult& result, const SimPinMap& pins) {
  // Identifiers are single printable characters from '!' on, one per point.
  std::map<std::string, char> ids;
  char next = '!';
  for (const auto* side : {&pins.inputs, &pins.outputs}) {
    for (const auto& entry : *side) ids[entry.first] = next++;
  }
  std::string text = "$timescale 1us $end\n$scope module plc $end\n";
  for (const auto& [point, id] : ids) {
    text += "$var wire 1 ";
    text += id;
    text += " " + point + " $end\n";
  }
  text += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
  for (const auto& entry : ids) {
    text += '0';
    text += entry.second;
    text += '\n';
  }
  text += "$end\n";
  std::vector<PointChange> all = result.inputs;
  all.insert(all.end(), result.outputs.begin(), result.outputs.end());
  std::stable_sort(all.begin(), all.end(), [](const PointChange& a, const PointChange& b) {
    return a.timeMicros < b.timeMicros;
  });
  std::uint64_t shown = 0;
  for (const PointChange& change : all) {
    if (change.timeMicros != shown) {
      text += "#" + std::to_string(change.timeMicros) + "\n";
      shown = change.timeMicros;
    }
    text += change.on ? '1' : '0';
    text += ids.at(change.point);
    text += '\n';
  }
  text += "#" + std::to_string(result.simulatedMicros) + "\n";
  return text;
}

}  // namespace ladder51
